#include "reports/host_version.h"

namespace torv::reports {

std::optional<std::string> findHostVersion(const std::string&) {
    return std::nullopt;
}

}  // namespace torv::reports
