// Decimal digits in the texts the simulator reads (ADIF fields, steps).
#pragma once

#include <cctype>
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

// The value of a text of digits (checked with allDigits first).
inline int digitsValue(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}
