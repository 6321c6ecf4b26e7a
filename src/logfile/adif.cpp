#include "logfile/adif.h"

#include <algorithm>

#include "logfile/text.h"

namespace torv::logfile {

using calendar::upperCase;

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
    ReadFault fault;
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
        throw TagProblem{at, {ReadFaultKind::kTagNotClosed, {}, {}}};
    }
    const std::string_view inside = text.substr(at + 1, close - at - 1);
    Tag tag;
    tag.end = close + 1;
    const size_t colon = inside.find(':');
    tag.name = upperCase(inside.substr(0, colon));
    if (tag.name.empty()) {
        throw TagProblem{at, {ReadFaultKind::kTagWithoutName, shortened(inside), {}}};
    }
    if (colon == std::string_view::npos) {
        return tag;
    }
    const size_t secondColon = inside.find(':', colon + 1);
    const std::string_view length = inside.substr(
        colon + 1, secondColon == std::string_view::npos ? std::string_view::npos : secondColon - colon - 1);
    if (length.size() > 9 || !allDigits(length)) {
        throw TagProblem{at, {ReadFaultKind::kLengthNotNumber, shortened(length), shortened(tag.name)}};
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

AdifError::AdifError(size_t line, size_t recordNumber, size_t byteOffset, ReadFault fault)
    : std::runtime_error(locationText(line, recordNumber) + ": " + readFaultText(fault)),
      line_(line),
      recordNumber_(recordNumber),
      byteOffset_(byteOffset),
      problem_(readFaultText(fault)),
      fault_(std::move(fault)) {}

AdifError::AdifError(size_t line, size_t recordNumber, size_t byteOffset, const std::string& problem)
    : AdifError(line, recordNumber, byteOffset, ReadFault{ReadFaultKind::kOther, problem, {}}) {}

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

namespace {

// Reads an ADIF file tag by tag: the header text, then fields gathered into
// records up to each <EOR>. A bad record is reported, and with recovery
// skipped up to its <EOR>.
class AdifParser {
public:
    AdifParser(std::string_view text, AdifRecovery recovery) : text_(text), recovery_(recovery), lines_(text) {}

    AdifFile parse() {
        readHeaderText();
        for (size_t at = text_.find('<', position_); at != std::string_view::npos; at = text_.find('<', position_)) {
            if (!readTagAt(at)) {
                return std::move(file_);
            }
        }
        if (!current_.fields.empty()) {
            const AdifError error(current_.line, recordNumber_, current_.offset,
                                  ReadFault{ReadFaultKind::kRecordNotClosed, {}, {}});
            if (recovery_ == AdifRecovery::kNone) {
                throw error;
            }
            file_.skipped.push_back(error);
        }
        return std::move(file_);
    }

private:
    // Text before the first '<' is a header that an <EOH> must end.
    void readHeaderText() {
        position_ = text_.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
        if (position_ < text_.size() && text_[position_] != '<') {
            const size_t endOfHeader = findMarker(text_, position_, "<EOH>");
            if (endOfHeader == std::string_view::npos) {
                throw AdifError(lines_.lineAt(position_), 0, position_,
                                "no <EOH> ends the header text (a file without a header starts with '<')");
            }
            file_.header = std::string(text_.substr(position_, endOfHeader - position_));
            position_ = endOfHeader + 5;
        }
        headerPossible_ = file_.header.empty();
    }

    // The tag at `at` and, for a field, its value. False when reading ends
    // here (a bad record with nothing readable after it).
    bool readTagAt(size_t at) {
        Tag tag;
        try {
            tag = readTag(text_, at);
        } catch (const TagProblem& problem) {
            const bool closed = text_.find('>', at) != std::string_view::npos;
            return skipBadRecord(at, problem.fault, closed ? at + 1 : std::string_view::npos);
        }
        if (current_.fields.empty()) {
            current_.offset = at;
            current_.line = lines_.lineAt(at);
        }
        position_ = tag.end;
        if (!tag.hasLength) {
            return readMarker(tag, at);
        }
        if (tag.length > text_.size() - tag.end) {
            return skipBadRecord(at, {ReadFaultKind::kValuePastEnd, std::to_string(tag.length), shortened(tag.name)},
                                 tag.end);
        }
        current_.fields.push_back({std::move(tag.name), std::string(text_.substr(tag.end, tag.length))});
        position_ = tag.end + tag.length;
        return true;
    }

    // A tag without a length: <EOR>, <EOH>, <EOF>, or a field that lacks one.
    bool readMarker(const Tag& tag, size_t at) {
        if (tag.name == "EOR" && current_.fields.empty()) {
            ++file_.emptyRecords;
            headerPossible_ = false;
        } else if (tag.name == "EOR") {
            current_.number = recordNumber_++;
            // The records of a log have much the same fields: room for as
            // many as the last one held.
            const size_t fieldsBefore = current_.fields.size();
            file_.records.push_back(std::move(current_));
            current_ = AdifRecord();
            current_.fields.reserve(fieldsBefore);
            headerPossible_ = false;
        } else if (tag.name == "EOH") {
            if (!headerPossible_) {
                file_.steppedOver.push_back(secondHeader(current_, lines_.lineAt(at), at));
            }
            current_ = AdifRecord();  // fields of a header are not kept
            headerPossible_ = false;
        } else if (tag.name != "EOF" || !current_.fields.empty()) {
            return skipBadRecord(at, {ReadFaultKind::kNoLength, {}, shortened(tag.name)}, at);
        }
        return true;
    }

    // Reports a bad record; with recovery, skips it up to the <EOR> found
    // from searchFrom (npos: none). False when reading cannot go on.
    bool skipBadRecord(size_t at, ReadFault fault, size_t searchFrom) {
        AdifError error(lines_.lineAt(at), recordNumber_, at, std::move(fault));
        if (recovery_ == AdifRecovery::kNone) {
            throw error;
        }
        file_.skipped.push_back(std::move(error));
        current_ = AdifRecord();
        ++recordNumber_;
        headerPossible_ = false;
        const size_t end = searchFrom == std::string_view::npos ? searchFrom : findMarker(text_, searchFrom, "<EOR>");
        position_ = end == std::string_view::npos ? end : end + 5;
        return position_ != std::string_view::npos;
    }

    std::string_view text_;
    AdifRecovery recovery_;
    LineCounter lines_;
    AdifFile file_;
    size_t position_ = 0;
    AdifRecord current_;
    size_t recordNumber_ = 1;
    bool headerPossible_ = true;  // an <EOH> may still close a header made of fields
};

}  // namespace

AdifFile parseAdif(std::string_view text, AdifRecovery recovery) {
    return AdifParser(text, recovery).parse();
}

}  // namespace torv::logfile
