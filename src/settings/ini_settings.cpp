#include "settings/ini_settings.h"

#include "engine/contest.h"
#include "io/file.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace torv::settings {

namespace contest = engine::contest;
using ports::kSettingsValueMax;

// The file is handled as text in its own code units: bytes of the ANSI code
// page, or UTF-16 little-endian units when it starts with that byte-order
// mark (the profile functions honour that mark, and a user's editor may have
// saved the file so). Lines are edited in place, so every line this class
// does not set stays as it was, byte for byte.

namespace {

// Unicode of the bytes 0x80..0x9F of Windows-1252, the usual ANSI code page;
// the other bytes are the same as their code point. Only used for UTF-16 files.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

template <typename Unit>
std::basic_string<Unit> fromAnsi(const std::string& text);

template <>
std::string fromAnsi<char>(const std::string& text) {
    return text;
}

template <>
std::u16string fromAnsi<char16_t>(const std::string& text) {
    std::u16string units;
    units.reserve(text.size());
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        units += (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : static_cast<char16_t>(c);
    }
    return units;
}

std::string toAnsi(const std::string& text) {
    return text;
}

// Characters the ANSI code page cannot show become '?', as the system's
// conversion does.
std::string toAnsi(const std::u16string& units) {
    std::string text;
    text.reserve(units.size());
    for (char16_t u : units) {
        char byte = '?';
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            byte = static_cast<char>(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kCp1252High[i] == u) {
                    byte = static_cast<char>(0x80 + i);
                    break;
                }
            }
        }
        text += byte;
    }
    return text;
}

// The blanks around names and values. ^Z counts too: old DOS tools left it
// at the end of text files. Not 0xA0: in a UTF-8 file that byte ends letters.
template <typename Unit>
bool isBlank(Unit c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

template <typename Unit>
Unit asciiLower(Unit c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Unit>(c - 'A' + 'a') : c;
}

template <typename Unit>
struct Span {
    size_t begin = 0;
    size_t end = 0;
};

template <typename Unit>
Span<Unit> trimmed(const std::basic_string<Unit>& text, Span<Unit> span) {
    while (span.begin < span.end && isBlank(text[span.begin])) {
        ++span.begin;
    }
    while (span.end > span.begin && isBlank(text[span.end - 1])) {
        --span.end;
    }
    return span;
}

template <typename Unit>
bool equalsIgnoringCase(const std::basic_string<Unit>& text, Span<Unit> span, const std::basic_string<Unit>& name) {
    if (span.end - span.begin != name.size()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(text[span.begin + i]) != asciiLower(name[i])) {
            return false;
        }
    }
    return true;
}

enum class LineKind { kBlank, kSection, kEntry };

// One line of the file: its text without the line end, and what it holds.
template <typename Unit>
struct Line {
    size_t begin = 0;  // first unit of the line
    size_t end = 0;    // one past its last unit before the line end
    size_t next = 0;   // first unit of the next line
    LineKind kind = LineKind::kBlank;
    Span<Unit> name;  // section name, or key name
    bool hasValue = false;
    Span<Unit> value;  // trimmed, when hasValue
};

// A section header is '[' first, the name up to the line's last ']', and
// anything after that ignored. A line with '=' is a key and its value; a
// line without is a key without a value (such a key hides any later line of
// the same name but reads as missing). Comments (';') need no rule of their
// own: no key of this plug-in starts with ';'.
template <typename Unit>
void classify(const std::basic_string<Unit>& text, Line<Unit>& line) {
    const Span<Unit> content = trimmed(text, Span<Unit>{line.begin, line.end});
    if (content.begin == content.end) {
        line.kind = LineKind::kBlank;
        return;
    }
    if (text[content.begin] == '[') {
        for (size_t i = content.end; i > content.begin + 1; --i) {
            if (text[i - 1] == ']') {
                line.kind = LineKind::kSection;
                line.name = trimmed(text, Span<Unit>{content.begin + 1, i - 1});
                return;
            }
        }
    }
    line.kind = LineKind::kEntry;
    size_t equals = content.begin;
    while (equals < content.end && text[equals] != '=') {
        ++equals;
    }
    line.name = trimmed(text, Span<Unit>{content.begin, equals});
    line.hasValue = equals < content.end;
    if (line.hasValue) {
        line.value = trimmed(text, Span<Unit>{equals + 1, content.end});
    }
}

// LF, CR LF and a lone CR each end a line; the last line may have no end.
template <typename Unit>
std::vector<Line<Unit>> splitLines(const std::basic_string<Unit>& text, size_t start) {
    std::vector<Line<Unit>> lines;
    size_t pos = start;
    while (pos < text.size()) {
        Line<Unit> line;
        line.begin = pos;
        while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') {
            ++pos;
        }
        line.end = pos;
        if (pos < text.size()) {
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        }
        line.next = pos;
        classify(text, line);
        lines.push_back(line);
    }
    return lines;
}

// Where a key is in the file. Only the first section of the name counts: a
// later section of the same name is neither read nor written.
struct Location {
    bool sectionFound = false;
    size_t lastSectionLine = 0;  // its header, or its last non-blank line
    bool keyFound = false;
    size_t keyLine = 0;
};

template <typename Unit>
Location locate(const std::basic_string<Unit>& text, const std::vector<Line<Unit>>& lines,
                const std::basic_string<Unit>& section, const std::basic_string<Unit>& key) {
    Location where;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line<Unit>& line = lines[i];
        if (line.kind == LineKind::kSection) {
            if (where.sectionFound) {
                break;
            }
            if (equalsIgnoringCase(text, line.name, section)) {
                where.sectionFound = true;
                where.lastSectionLine = i;
            }
        } else if (where.sectionFound && line.kind == LineKind::kEntry) {
            where.lastSectionLine = i;
            if (!where.keyFound && equalsIgnoringCase(text, line.name, key)) {
                where.keyFound = true;
                where.keyLine = i;
            }
        }
    }
    return where;
}

template <typename Unit>
std::basic_string<Unit> trimmedCopy(const std::basic_string<Unit>& text) {
    const Span<Unit> span = trimmed(text, Span<Unit>{0, text.size()});
    return text.substr(span.begin, span.end - span.begin);
}

// The file as read: nullopt when it cannot be opened, with missing telling
// whether it simply is not there (or its folder is not).
struct FileBytes {
    std::optional<std::string> bytes;
    bool missing = false;
};

FileBytes readBytes(const std::string& path) {
    FileBytes file;
    errno = 0;
    const torv::io::File in = torv::io::open(path, "rb");
    if (!in) {
        file.missing = errno == ENOENT;
        return file;
    }
    file.bytes = torv::io::readRest(in.get());
    return file;
}

// Replaces the file's content. Fails (and changes nothing) when the folder is
// missing or the file is read-only; a failure is not reported, as the
// profile functions' callers here ignore it too.
void writeBytes(const std::string& path, const std::string& bytes) {
    torv::io::writeWhole(path, bytes);
}

bool hasUtf16Mark(const std::string& bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

// The units of a UTF-16 file, its mark included, so that unit offsets and
// byte offsets stay in step; an odd last byte is kept aside.
std::u16string utf16Units(const std::string& bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return units;
}

std::string utf16Bytes(const std::u16string& units, const std::string& original) {
    std::string bytes;
    bytes.reserve(units.size() * 2 + 1);
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    if (original.size() % 2 != 0) {
        bytes += original.back();
    }
    return bytes;
}

template <typename Unit>
std::optional<std::string> findValue(const std::basic_string<Unit>& text, size_t start, const std::string& key) {
    const std::vector<Line<Unit>> lines = splitLines(text, start);
    const Location where =
        locate(text, lines, fromAnsi<Unit>(contest::kSettingsSection), trimmedCopy(fromAnsi<Unit>(key)));
    if (!where.keyFound || !lines[where.keyLine].hasValue) {
        return std::nullopt;
    }
    const Span<Unit> value = lines[where.keyLine].value;
    return toAnsi(text.substr(value.begin, value.end - value.begin));
}

// Sets the key in text (empty for a new file), from unit start on (after a
// byte-order mark); false when the file already holds that value.
template <typename Unit>
bool setValue(std::basic_string<Unit>& text, size_t start, const std::string& key, const std::string& value) {
    const std::basic_string<Unit> newline = fromAnsi<Unit>("\r\n");
    const std::basic_string<Unit> name = trimmedCopy(fromAnsi<Unit>(key));
    // Leading blanks would be lost on the next read anyway; trailing ones are
    // kept in the file as given (and dropped on read).
    std::basic_string<Unit> stored = fromAnsi<Unit>(value);
    size_t lead = 0;
    while (lead < stored.size() && isBlank(stored[lead])) {
        ++lead;
    }
    stored.erase(0, lead);

    const std::vector<Line<Unit>> lines = splitLines(text, start);
    const Location where = locate(text, lines, fromAnsi<Unit>(contest::kSettingsSection), name);
    if (where.keyFound) {
        const Line<Unit>& line = lines[where.keyLine];
        if (line.hasValue && text.compare(line.value.begin, line.value.end - line.value.begin, stored) == 0) {
            return false;
        }
        // The key keeps the spelling the file gives it; the line keeps its end.
        const std::basic_string<Unit> replacement =
            text.substr(line.name.begin, line.name.end - line.name.begin) + static_cast<Unit>('=') + stored;
        text.replace(line.begin, line.end - line.begin, replacement);
        return true;
    }
    const std::basic_string<Unit> entry = name + static_cast<Unit>('=') + stored + newline;
    if (where.sectionFound) {
        // After the section's last line that is not blank, so that blank lines
        // before the next section stay where they are.
        const Line<Unit>& last = lines[where.lastSectionLine];
        const bool ended = last.next > last.end;
        text.insert(last.next, ended ? entry : newline + entry);
        return true;
    }
    if (!lines.empty() && lines.back().next == lines.back().end) {
        text += newline;
    }
    text += fromAnsi<Unit>("[") + fromAnsi<Unit>(contest::kSettingsSection) + fromAnsi<Unit>("]") + newline + entry;
    return true;
}

// As returned to the caller: the text ends at a NUL (the system hands out C
// strings), one pair of matching quotes around the whole text is dropped, and
// at most kSettingsValueMax characters are kept.
std::string returned(std::string text) {
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        text.resize(nul);
    }
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    if (text.size() > kSettingsValueMax) {
        text.resize(kSettingsValueMax);
    }
    return text;
}

template <typename Unit>
bool hasSection(const std::basic_string<Unit>& text, size_t start) {
    return locate(text, splitLines(text, start), fromAnsi<Unit>(contest::kSettingsSection), std::basic_string<Unit>())
        .sectionFound;
}

}  // namespace

bool iniHasSettingsSection(const std::string& fileBytes) {
    return hasUtf16Mark(fileBytes) ? hasSection(utf16Units(fileBytes), 1) : hasSection(fileBytes, 0);
}

std::string iniSettingsValue(const std::optional<std::string>& fileBytes, const std::string& key,
                             const std::string& defaultValue) {
    std::optional<std::string> found;
    if (fileBytes) {
        const std::string& bytes = *fileBytes;
        found = hasUtf16Mark(bytes) ? findValue(utf16Units(bytes), 1, key) : findValue(bytes, 0, key);
    }
    if (found) {
        return returned(*found);
    }
    // Trailing spaces of the default are dropped, as the system's reader does.
    std::string fallback = defaultValue;
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.pop_back();
    }
    return returned(fallback);
}

IniSettings::IniSettings(std::string path) : path_(std::move(path)) {}

std::string IniSettings::readText(const std::string& key, const std::string& defaultValue) {
    return iniSettingsValue(readBytes(path_).bytes, key, defaultValue);
}

void IniSettings::writeText(const std::string& key, const std::string& value) {
    FileBytes file = readBytes(path_);
    if (!file.bytes && !file.missing) {
        return;  // there but unreadable: never replace what we cannot see
    }
    const std::string original = file.bytes ? *file.bytes : std::string();
    if (hasUtf16Mark(original)) {
        std::u16string units = utf16Units(original);
        if (setValue(units, 1, key, value)) {
            writeBytes(path_, utf16Bytes(units, original));
        }
        return;
    }
    std::string text = original;
    if (setValue(text, 0, key, value) || !file.bytes) {
        writeBytes(path_, text);
    }
}

}  // namespace torv::settings
