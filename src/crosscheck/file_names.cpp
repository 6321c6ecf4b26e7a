#include "crosscheck/file_names.h"

#include <algorithm>
#include <map>
#include <set>

#include "calendar/ascii_case.h"

namespace torv::crosscheck {

using calendar::asciiUpper;
using calendar::isAsciiLetter;

namespace {

constexpr size_t kNameLength = 40;

std::string cleaned(const std::string& call) {
    std::string name;
    for (const char c : call) {
        if (name.size() == kNameLength) {
            break;
        }
        if (isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_') {
            name += asciiUpper(c);
        } else if (c == '/') {
            name += '_';
        }
    }
    return name.empty() ? "NOCALL" : name;
}

// Windows opens these as devices whatever the extension ("CON.txt" too).
bool isDeviceName(const std::string& name) {
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") {
        return true;
    }
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) && name[3] >= '0' &&
           name[3] <= '9';
}

}  // namespace

std::vector<std::string> safeFileNames(const std::vector<std::string>& calls) {
    std::vector<std::string> names;
    names.reserve(calls.size());
    std::set<std::string> taken;
    // The last number given to each cleaned name, so that a thousand calls
    // that clean alike cost a thousand tries, not half a million.
    std::map<std::string, int> lastNumber;
    for (const std::string& call : calls) {
        std::string name = cleaned(call);
        if (isDeviceName(name)) {
            name = "_" + name;
        }
        std::string unique = name;
        int& number = lastNumber[name];
        while (!taken.insert(unique).second) {
            number = std::max(number, 1) + 1;
            unique = name + "-" + std::to_string(number);
        }
        names.push_back(std::move(unique));
    }
    return names;
}

}  // namespace torv::crosscheck
