// File names made from calls. A call comes from a submitted log, so it may
// hold anything: path separators, "..", a device name, thousands of bytes.
#pragma once

#include <string>
#include <vector>

namespace torv::crosscheck {

// One safe file name (without extension) per call, in the same order:
// letters A-Z, digits, '-' and '_' only (lower case made upper, '/' made
// '_', anything else dropped; "NOCALL" when nothing is left), at most 40
// characters, a device name of Windows (CON, PRN, AUX, NUL, COM0-9,
// LPT0-9) prefixed with '_', and names equal without regard to case
// numbered from the second one on ("A_P", "A_P-2").
std::vector<std::string> safeFileNames(const std::vector<std::string>& calls);

}  // namespace torv::crosscheck
