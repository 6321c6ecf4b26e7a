// A contact as the host passes it, and as the store keeps it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/date_time.h"

namespace torv::engine {

// The fields of the host's 33 contact arguments that any rule reads, copied
// out of the host's memory.
struct ContactFields {
    std::string ownCall;
    std::string call;
    abi::DateTimeArg qsoTime;
    uint32_t frequency = 0;  // hertz
    std::string mode;
    std::string rstSent;
    std::string rstReceived;
    std::string exchangeSent;
    std::string exchangeReceived;
    std::string prefix;
    std::string auxText;
    std::string band;
};

}  // namespace torv::engine

// One stored contact.
struct CInfo {
    std::string call;
    std::string prefix;
    std::string auxText;
    std::string band;
    std::string mode;
    std::string rstReceived;
    std::string rstSent;
    std::string exchangeReceived;
    std::string exchangeSent;
    std::string area;           // island prefix, area code or empty
    uint32_t frequencyKHz = 0;  // hertz / 1000, rounded down
    int32_t dupe = 0;           // 1 when an earlier record had the same call, band and mode
    torv::abi::DateTimeArg time;
};
