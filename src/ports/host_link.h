// The assistant's link to the running host, through its automation object
// ("Pelk2.Application"): the radio frequency, the call in the entry field,
// and command texts for the host to carry out. The assistant makes one with
// connectToHost (assistant/host_connection.h).
//
// Every call may block until the host's main thread serves it; a false result
// means the call failed (the host went away) and the caller gives up quietly.
#pragma once

#include <string>

namespace torv::ports {

class HostLink {
public:
    virtual ~HostLink() = default;
    // Dispatch id 2: the radio frequency in hertz.
    virtual bool frequency(double& hertz) = 0;
    // Dispatch id 8 with 5: the call now in the host's entry field, "" when
    // none or when the answer holds no string.
    virtual bool enteredCall(std::string& call) = 0;
    // Dispatch id 16: a command text such as "<MODE:CW>".
    virtual bool sendCommand(const std::string& command) = 0;
};

}  // namespace torv::ports
