#include "logfile/adif.h"

#include <algorithm>

#include "logfile/text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Offset of the first "<EOH>" or "<EOR>" (tag, in upper case; the text in
// any case) at or after from, npos when none.
size_t findMarker(std::string_view text, size_t from, std::string_view tag) {
    for (size_t at = text.find('<', from); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (upperCase(text.substr(at, tag.size())) == tag) {
            return at;
        }
    }
    return std::string_view::npos;
}

std::string locationText(size_t line, size_t recordNumber) {
    return "line " + std::to_string(line) + ", " +
           (recordNumber == 0 ? "header" : "record " + std::to_string(recordNumber));
}

// A problem of the tag at a byte offset; the line is filled in by the parser.
struct TagProblem {
    size_t offset;
    std::string problem;
};

// One tag: <NAME>, <NAME:LENGTH> or <NAME:LENGTH:TYPE>.
struct Tag {
    std::string name;  // upper case
    bool hasLength = false;
    size_t length = 0;
    size_t end = 0;  // offset just after '>'
};

// Reads the tag starting at text[at] == '<'. Throws TagProblem.
Tag readTag(std::string_view text, size_t at) {
    const size_t close = text.find('>', at);
    if (close == std::string_view::npos) {
        throw TagProblem{at, "the tag has no closing '>'"};
    }
    const std::string_view inside = text.substr(at + 1, close - at - 1);
    Tag tag;
    tag.end = close + 1;
    const size_t colon = inside.find(':');
    tag.name = upperCase(inside.substr(0, colon));
    if (tag.name.empty()) {
        throw TagProblem{at, "a tag without a field name: \"<" + shortened(inside) + ">\""};
    }
    if (colon == std::string_view::npos) {
        return tag;
    }
    const size_t secondColon = inside.find(':', colon + 1);
    const std::string_view length = inside.substr(
        colon + 1, secondColon == std::string_view::npos ? std::string_view::npos : secondColon - colon - 1);
    if (length.size() > 9 || !allDigits(length)) {
        throw TagProblem{
            at, "the length of field " + shortened(tag.name) + " is not a number: \"" + shortened(length) + "\""};
    }
    tag.length = static_cast<size_t>(digitsValue(length));
    tag.hasLength = true;
    return tag;
}

// The report of a header after the first record, whose fields are in
// `fields` (none when the <EOH> stands alone).
AdifError secondHeader(const AdifRecord& fields, size_t endLine, size_t endOffset) {
    if (fields.fields.empty()) {
        return AdifError(endLine, 0, endOffset, "a second <EOH> is stepped over");
    }
    constexpr size_t kNamesShown = 5;
    std::string names;
    for (size_t i = 0; i < fields.fields.size() && i < kNamesShown; ++i) {
        names += (i == 0 ? "" : ", ") + shortened(fields.fields[i].name);
    }
    if (fields.fields.size() > kNamesShown) {
        names += ", ...";
    }
    return AdifError(fields.line, 0, fields.offset, "a second header (" + names + ") is stepped over");
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

AdifError::AdifError(size_t line, size_t recordNumber, size_t byteOffset, const std::string& problem)
    : std::runtime_error(locationText(line, recordNumber) + ": " + problem),
      line_(line),
      recordNumber_(recordNumber),
      byteOffset_(byteOffset),
      problem_(problem) {}

size_t LineCounter::lineAt(size_t offset) {
    if (offset < offset_) {
        offset_ = 0;
        line_ = 1;
    }
    offset = std::min(offset, text_.size());
    for (; offset_ < offset; ++offset_) {
        line_ += text_[offset_] == '\n';
    }
    return line_;
}

AdifFile parseAdif(std::string_view text, AdifRecovery recovery) {
    AdifFile file;
    LineCounter lines(text);
    size_t position = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;

    if (position < text.size() && text[position] != '<') {
        const size_t endOfHeader = findMarker(text, position, "<EOH>");
        if (endOfHeader == std::string_view::npos) {
            throw AdifError(lines.lineAt(position), 0, position,
                            "no <EOH> ends the header text (a file without a header starts with '<')");
        }
        file.header = std::string(text.substr(position, endOfHeader - position));
        position = endOfHeader + 5;
    }

    AdifRecord current;
    size_t recordNumber = 1;
    bool headerPossible = file.header.empty();  // an <EOH> may still close a header made of fields
    // Reports a bad record; with recovery, skips it up to its <EOR> and
    // tells where reading goes on (npos: nowhere).
    auto badRecord = [&](size_t at, const std::string& problem, size_t searchFrom) {
        AdifError error(lines.lineAt(at), recordNumber, at, problem);
        if (recovery == AdifRecovery::kNone) {
            throw error;
        }
        file.skipped.push_back(std::move(error));
        current = AdifRecord();
        ++recordNumber;
        headerPossible = false;
        const size_t end = searchFrom == std::string_view::npos ? searchFrom : findMarker(text, searchFrom, "<EOR>");
        return end == std::string_view::npos ? end : end + 5;
    };

    for (size_t at = text.find('<', position); at != std::string_view::npos; at = text.find('<', position)) {
        Tag tag;
        try {
            tag = readTag(text, at);
        } catch (const TagProblem& problem) {
            const bool closed = text.find('>', at) != std::string_view::npos;
            position = badRecord(at, problem.problem, closed ? at + 1 : std::string_view::npos);
            if (position == std::string_view::npos) {
                return file;
            }
            continue;
        }
        if (current.fields.empty()) {
            current.offset = at;
            current.line = lines.lineAt(at);
        }
        position = tag.end;
        if (!tag.hasLength) {
            if (tag.name == "EOR" && current.fields.empty()) {
                ++file.emptyRecords;
                headerPossible = false;
            } else if (tag.name == "EOR") {
                current.number = recordNumber++;
                // The records of a log have much the same fields: room for
                // as many as the last one held.
                const size_t fieldsBefore = current.fields.size();
                file.records.push_back(std::move(current));
                current = AdifRecord();
                current.fields.reserve(fieldsBefore);
                headerPossible = false;
            } else if (tag.name == "EOH") {
                if (!headerPossible) {
                    file.steppedOver.push_back(secondHeader(current, lines.lineAt(at), at));
                }
                current = AdifRecord();  // fields of a header are not kept
                headerPossible = false;
            } else if (tag.name != "EOF" || !current.fields.empty()) {
                position = badRecord(at, "field " + shortened(tag.name) + " has no length", at);
                if (position == std::string_view::npos) {
                    return file;
                }
            }
            continue;
        }
        if (tag.length > text.size() - tag.end) {
            position = badRecord(at,
                                 "the value of field " + shortened(tag.name) + " (" + std::to_string(tag.length) +
                                     " bytes) runs past the end of the file",
                                 tag.end);
            if (position == std::string_view::npos) {
                return file;
            }
            continue;
        }
        current.fields.push_back({std::move(tag.name), std::string(text.substr(tag.end, tag.length))});
        position = tag.end + tag.length;
    }
    if (!current.fields.empty()) {
        const AdifError error(current.line, recordNumber, current.offset, "no <EOR> closes the last record");
        if (recovery == AdifRecovery::kNone) {
            throw error;
        }
        file.skipped.push_back(error);
    }
    return file;
}
