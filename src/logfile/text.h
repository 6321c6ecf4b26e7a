// Small text helpers of the log readers (and of the simulator's steps):
// decimal digits, ASCII case, trimming.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

inline bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// True for a non-empty text of digits only.
inline bool allDigits(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return !text.empty();
}

// The value of a text of at most nine digits (checked with allDigits first).
inline int digitsValue(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// The text with a to z made A to Z; other bytes unchanged.
inline std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

// The text with A to Z made a to z; other bytes unchanged.
inline std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

// The text without blanks, tabs, CR and LF at either end.
inline std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A text shown in a message, cut to its first 40 bytes (then "..."), so that
// hostile input cannot make a message as long as the file.
inline std::string shortened(std::string_view text) {
    constexpr size_t kMaximum = 40;
    return text.size() <= kMaximum ? std::string(text) : std::string(text.substr(0, kMaximum)) + "...";
}
