// Readable names for table-driven test cases.
#pragma once

#include <cctype>
#include <string>

// The description with every character but letters and digits made "_".
inline std::string testName(const std::string& description) {
    std::string name;
    for (unsigned char c : description) {
        name += std::isalnum(c) ? static_cast<char>(c) : '_';
    }
    return name.empty() ? std::string("empty") : name;
}
