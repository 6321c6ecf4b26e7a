// ASCII letter case, the one case fold of the tree: a to z and A to Z only,
// whatever the locale, every other byte (UTF-8 and 8-bit letters too) left
// as it is. It sits in the lowest layer because the engine and the log
// readers both fold and share no other.
#pragma once

#include <string>
#include <string_view>

namespace torv::calendar {

constexpr char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The text with a to z made A to Z.
inline std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = asciiUpper(c);
    }
    return result;
}

// The text with A to Z made a to z.
inline std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = asciiLower(c);
    }
    return result;
}

}  // namespace torv::calendar
