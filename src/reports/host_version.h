// The host's version for the Cabrillo file's CREATED-BY line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace torv::reports {

// "major.minor" for major version 2, "major.minor.third" for any other, from
// the two 32-bit words of a fixed file version.
std::string formatHostVersion(uint32_t mostSignificant, uint32_t leastSignificant);

// The version of the first "*.exe" of the folder ("" for the current one),
// in directory order, whose name contains "Pelk": none when there is no such
// file or its version cannot be read. Only Windows looks; elsewhere none.
std::optional<std::string> findHostVersion(const std::string& folder);

}  // namespace torv::reports
