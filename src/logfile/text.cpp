#include "logfile/text.h"

namespace torv::logfile {

namespace {

constexpr unsigned char kNoBreakSpace = 0xA0;

unsigned char byteAt(std::string_view text, size_t at) {
    return static_cast<unsigned char>(text[at]);
}

// The length of the blank at text[at], 0 when there is none; the lengths of
// other characters, so that the scan steps over whole UTF-8 sequences.
struct Step {
    size_t length;
    bool blank;
};

Step stepAt(std::string_view text, size_t at) {
    const unsigned char c = byteAt(text, at);
    if (c < 0x80) {
        return {1, c == ' ' || c == '\t' || c == '\r' || c == '\n'};
    }
    if (c == kNoBreakSpace) {
        return {1, true};
    }
    const size_t sequence = utf8SequenceLength(text, at);
    if (sequence == 2 && c == 0xC2 && byteAt(text, at + 1) == kNoBreakSpace) {
        return {2, true};
    }
    return {sequence == 0 ? 1 : sequence, false};
}

bool isAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

size_t utf8SequenceLength(std::string_view text, size_t at) {
    const unsigned char lead = byteAt(text, at);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byteAt(text, at + 1) < low || byteAt(text, at + 1) > high) {
        return 0;
    }
    for (size_t i = at + 2; i < at + length; ++i) {
        if (byteAt(text, i) < 0x80 || byteAt(text, i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void blankSeparated(std::string_view text, std::vector<std::string_view>& fields) {
    fields.clear();
    // Steps over one character of the kind asked for (blank or not): ASCII
    // at once, anything else through the UTF-8 step.
    auto over = [text](size_t& at, bool blank) {
        const unsigned char c = byteAt(text, at);
        if (c < 0x80) {
            if (isAsciiBlank(static_cast<char>(c)) != blank) {
                return false;
            }
            ++at;
            return true;
        }
        const Step step = stepAt(text, at);
        if (step.blank != blank) {
            return false;
        }
        at += step.length;
        return true;
    };
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && over(at, true)) {
        }
        const size_t start = at;
        while (at < text.size() && over(at, false)) {
        }
        if (at > start) {
            fields.push_back(text.substr(start, at - start));
        }
    }
}

std::vector<std::string_view> blankSeparated(std::string_view text) {
    std::vector<std::string_view> fields;
    blankSeparated(text, fields);
    return fields;
}

std::string_view withoutLeadingBlanks(std::string_view text) {
    size_t first = 0;
    while (first < text.size()) {
        const Step step = stepAt(text, first);
        if (!step.blank) {
            return text.substr(first);
        }
        first += step.length;
    }
    return {};
}

std::string_view trimmedOfBlanks(std::string_view text) {
    text = withoutLeadingBlanks(text);
    // Blanks at the end are found from the end when the text ends in ASCII:
    // an ASCII byte is never part of a longer UTF-8 sequence, so the scan
    // from the start would end its last field there too.
    size_t end = text.size();
    while (end > 0 && isAsciiBlank(text[end - 1])) {
        --end;
    }
    if (end == 0 || byteAt(text, end - 1) < 0x80) {
        return text.substr(0, end);
    }
    end = 0;
    for (size_t at = 0; at < text.size();) {
        const Step step = stepAt(text, at);
        if (!step.blank) {
            end = at + step.length;
        }
        at += step.length;
    }
    return text.substr(0, end);
}

}  // namespace torv::logfile
