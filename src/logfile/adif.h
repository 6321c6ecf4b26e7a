// Reading ADIF (.adi) files, the text format loggers exchange contest logs in.
//
// A file is an optional header, then records. Each record is a run of fields
// written as <NAME:LENGTH>VALUE or <NAME:LENGTH:TYPE>VALUE and closed by <EOR>.
// Text between fields (blanks, line ends, comments) is ignored; the value is
// exactly LENGTH bytes, so it may hold blanks, '<' or line ends.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/read_fault.h"

namespace torv::logfile {

struct AdifField {
    std::string name;  // upper case, whatever the file wrote
    std::string value;
};

struct AdifRecord {
    size_t number = 0;  // 1 for the file's first record
    size_t offset = 0;  // byte offset of the record's first tag in the file
    size_t line = 0;    // line of the record's first tag, 1 for the first
    std::vector<AdifField> fields;

    // The value of the last field with that (upper-case) name, nullptr when
    // the record has none.
    const std::string* find(std::string_view upperCaseName) const;
};

// Bad input, located: the line, the record number (0 for the header) and
// the byte offset of the offending tag or record. what() reads e.g.
// "line 12, record 3: no CALL".
class AdifError : public std::runtime_error {
public:
    AdifError(size_t line, size_t recordNumber, size_t byteOffset, ReadFault fault);
    // A problem of the file rather than of a record (ReadFaultKind::kOther).
    AdifError(size_t line, size_t recordNumber, size_t byteOffset, const std::string& problem);
    size_t line() const { return line_; }
    size_t recordNumber() const { return recordNumber_; }
    size_t byteOffset() const { return byteOffset_; }
    // The problem alone, without the location.
    const std::string& problem() const { return problem_; }
    const ReadFault& fault() const { return fault_; }

private:
    size_t line_;
    size_t recordNumber_;
    size_t byteOffset_;
    std::string problem_;
    ReadFault fault_;
};

struct AdifFile {
    std::string header;  // the text before <EOH>, "" when the file has no header
    std::vector<AdifRecord> records;
    // Records that could not be read and were skipped (only when parsing
    // with recovery), in file order.
    std::vector<AdifError> skipped;
    // Further headers (two exports glued together), stepped over, in file
    // order; each names the fields it held.
    std::vector<AdifError> steppedOver;
    size_t emptyRecords = 0;  // <EOR>s with no field before them: no records
};

enum class AdifRecovery {
    kNone,         // the first problem throws
    kSkipRecords,  // a bad record is skipped up to its <EOR> and reported
};

// Parses a whole file held in memory.
//
// The header: when the text (after an optional UTF-8 byte-order mark) does not
// start with '<', everything up to the first <EOH> is the header, and a
// missing <EOH> is an error. When it starts with '<' there is no header text;
// an <EOH> met before the first <EOR> still closes a header made of fields.
//
// Field names and EOR/EOH are matched in any case; lengths count bytes; type
// indicators are accepted and ignored; CR LF and LF line ends alike. An
// <EOH> after the first record ends a second header: its fields are stepped
// over. An <EOR> with no field before it is no record, and an <EOF> between
// records ends nothing; both are passed over. Problems:
// a tag without '>', a field without a length or with a length that is not a
// number, a value running past the end of the text, or fields after the last
// <EOR>. Without recovery the first throws
// AdifError; with kSkipRecords each makes its record skipped (reading resumes
// after the record's <EOR>), and only a header without <EOH> throws. Memory
// stays proportional to the text: lengths are checked against it first.
AdifFile parseAdif(std::string_view text, AdifRecovery recovery = AdifRecovery::kNone);

// Counts lines up to growing byte offsets of one text, each character looked
// at once over all calls.
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : text_(text) {}
    // The line (1 for the first) of the byte at offset; offsets may go back,
    // which costs a recount from the start.
    size_t lineAt(size_t offset);

private:
    std::string_view text_;
    size_t offset_ = 0;
    size_t line_ = 1;
};

}  // namespace torv::logfile
