#include "crosscheck/file_names.h"

#include <set>

namespace crosscheck {

namespace {

constexpr size_t kNameLength = 40;

std::string cleaned(const std::string& call) {
    std::string name;
    for (const char c : call) {
        if (name.size() == kNameLength) {
            break;
        }
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
            name += c;
        } else if (c >= 'a' && c <= 'z') {
            name += static_cast<char>(c - 'a' + 'A');
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
    for (const std::string& call : calls) {
        std::string name = cleaned(call);
        if (isDeviceName(name)) {
            name = "_" + name;
        }
        std::string unique = name;
        for (int n = 2; !taken.insert(unique).second; ++n) {
            unique = name + "-" + std::to_string(n);
        }
        names.push_back(std::move(unique));
    }
    return names;
}

}  // namespace crosscheck
