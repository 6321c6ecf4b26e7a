// Small text helpers of the log readers (and of the simulator's steps):
// decimal digits, ASCII case (calendar/ascii_case.h), trimming, the blanks loggers put between
// fields, UTF-8 sequences.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calendar/ascii_case.h"

namespace torv::logfile {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
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

// A field of a message: its name, then its value in quotes, shortened
// (FREQ "14.0x").
inline std::string quoted(std::string_view what, std::string_view value) {
    return std::string(what) + " \"" + shortened(value) + "\"";
}

// The length of the well-formed UTF-8 sequence starting at text[at], 0 when
// the bytes there are no such sequence (overlong forms and surrogates
// included, and a lone ASCII byte).
size_t utf8SequenceLength(std::string_view text, size_t at);

// The fields of a line as loggers separate them: by runs of blanks, a blank
// being a space, a tab, CR, LF or a non-breaking space, written as UTF-8
// (C2 A0) or as a lone 8-bit byte (A0). An A0 that continues another UTF-8
// sequence (C3 A0 is "\xC3\xA0") belongs to its character.
std::vector<std::string_view> blankSeparated(std::string_view text);
// The same into `fields`, emptied first (a reader reuses one vector for
// every line).
void blankSeparated(std::string_view text, std::vector<std::string_view>& fields);

// The text without those blanks at either end.
std::string_view trimmedOfBlanks(std::string_view text);
// The text without those blanks at its start.
std::string_view withoutLeadingBlanks(std::string_view text);

}  // namespace torv::logfile
