#include "reports/host_version.h"

std::optional<std::string> findHostVersion(const std::string&) {
    return std::nullopt;
}
