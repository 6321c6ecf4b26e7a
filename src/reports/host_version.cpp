#include "reports/host_version.h"

#include "engine/text_format.h"

namespace torv::reports {

using engine::formatText;

std::string formatHostVersion(uint32_t mostSignificant, uint32_t leastSignificant) {
    const unsigned major = mostSignificant >> 16;
    const unsigned minor = mostSignificant & 0xFFFF;
    const unsigned third = leastSignificant >> 16;
    return major == 2 ? formatText("%u.%u", major, minor) : formatText("%u.%u.%u", major, minor, third);
}

}  // namespace torv::reports
