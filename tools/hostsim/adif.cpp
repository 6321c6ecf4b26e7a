#include "hostsim/adif.h"

#include <cctype>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string upperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

// Offset of the first "<EOH>" (any case) at or after from, npos when none.
size_t findEndOfHeader(std::string_view text, size_t from) {
    for (size_t at = text.find('<', from); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (upperCase(text.substr(at, 5)) == "<EOH>") {
            return at;
        }
    }
    return std::string_view::npos;
}

std::string locationText(size_t recordNumber, size_t byteOffset) {
    const std::string where = recordNumber == 0 ? "header" : "record " + std::to_string(recordNumber);
    return where + " at byte " + std::to_string(byteOffset);
}

// One tag: <NAME>, <NAME:LENGTH> or <NAME:LENGTH:TYPE>.
struct Tag {
    std::string name;  // upper case
    bool hasLength = false;
    size_t length = 0;
    size_t end = 0;  // offset just after '>'
};

// Reads the tag starting at text[at] == '<'. recordNumber locates errors.
Tag readTag(std::string_view text, size_t at, size_t recordNumber) {
    const size_t close = text.find('>', at);
    if (close == std::string_view::npos) {
        throw AdifError(recordNumber, at, "the tag has no closing '>'");
    }
    const std::string_view inside = text.substr(at + 1, close - at - 1);
    Tag tag;
    tag.end = close + 1;
    const size_t colon = inside.find(':');
    tag.name = upperCase(inside.substr(0, colon));
    if (tag.name.empty()) {
        throw AdifError(recordNumber, at, "a tag without a field name: \"<" + std::string(inside) + ">\"");
    }
    if (colon == std::string_view::npos) {
        return tag;
    }
    const size_t secondColon = inside.find(':', colon + 1);
    const std::string_view length = inside.substr(
        colon + 1, secondColon == std::string_view::npos ? std::string_view::npos : secondColon - colon - 1);
    if (length.empty() || length.size() > 9) {
        throw AdifError(recordNumber, at,
                        "the length of field " + tag.name + " is not a number: \"" + std::string(length) + "\"");
    }
    for (char c : length) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            throw AdifError(recordNumber, at,
                            "the length of field " + tag.name + " is not a number: \"" + std::string(length) + "\"");
        }
        tag.length = tag.length * 10 + static_cast<size_t>(c - '0');
    }
    tag.hasLength = true;
    return tag;
}

}  // namespace

const std::string* AdifRecord::find(std::string_view upperCaseName) const {
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
        if (it->name == upperCaseName) {
            return &it->value;
        }
    }
    return nullptr;
}

AdifError::AdifError(size_t recordNumber, size_t byteOffset, const std::string& problem)
    : std::runtime_error(locationText(recordNumber, byteOffset) + ": " + problem),
      recordNumber_(recordNumber),
      byteOffset_(byteOffset),
      problem_(problem) {}

AdifFile parseAdif(std::string_view text) {
    AdifFile file;
    size_t position = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;

    if (position < text.size() && text[position] != '<') {
        const size_t endOfHeader = findEndOfHeader(text, position);
        if (endOfHeader == std::string_view::npos) {
            throw AdifError(0, position, "no <EOH> ends the header text (a file without a header starts with '<')");
        }
        file.header = std::string(text.substr(position, endOfHeader - position));
        position = endOfHeader + 5;
    }

    AdifRecord current;
    bool headerPossible = file.header.empty();  // an <EOH> may still close a header made of fields
    for (size_t at = text.find('<', position); at != std::string_view::npos; at = text.find('<', position)) {
        const size_t recordNumber = file.records.size() + 1;
        const Tag tag = readTag(text, at, recordNumber);
        if (current.fields.empty()) {
            current.offset = at;
        }
        position = tag.end;
        if (!tag.hasLength) {
            if (tag.name == "EOR") {
                current.number = recordNumber;
                file.records.push_back(std::move(current));
                current = AdifRecord();
                headerPossible = false;
            } else if (tag.name == "EOH" && headerPossible) {
                current = AdifRecord();  // fields of the header are not kept
                headerPossible = false;
            } else if (tag.name == "EOH") {
                throw AdifError(recordNumber, at, "<EOH> after the first record");
            } else {
                throw AdifError(recordNumber, at, "field " + tag.name + " has no length");
            }
            continue;
        }
        if (tag.length > text.size() - tag.end) {
            throw AdifError(recordNumber, at,
                            "the value of field " + tag.name + " (" + std::to_string(tag.length) +
                                " bytes) runs past the end of the file");
        }
        current.fields.push_back({tag.name, std::string(text.substr(tag.end, tag.length))});
        position = tag.end + tag.length;
    }
    if (!current.fields.empty()) {
        throw AdifError(file.records.size() + 1, current.offset, "no <EOR> closes the last record");
    }
    return file;
}
