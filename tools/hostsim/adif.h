// Reading ADIF (.adi) files, the text format loggers exchange contest logs in.
//
// A file is an optional header, then records. Each record is a run of fields
// written as <NAME:LENGTH>VALUE or <NAME:LENGTH:TYPE>VALUE and closed by <EOR>.
// Text between fields (blanks, line ends, comments) is ignored; the value is
// exactly LENGTH bytes, so it may hold blanks, '<' or line ends.
//
// Portable: no Windows header, so the reader is unit-tested natively.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct AdifField {
    std::string name;  // upper case, whatever the file wrote
    std::string value;
};

struct AdifRecord {
    size_t number = 0;  // 1 for the file's first record
    size_t offset = 0;  // byte offset of the record's first tag in the file
    std::vector<AdifField> fields;

    // The value of the last field with that (upper-case) name, nullptr when
    // the record has none.
    const std::string* find(std::string_view upperCaseName) const;
};

struct AdifFile {
    std::string header;  // the text before <EOH>, "" when the file has no header
    std::vector<AdifRecord> records;
};

// Bad input, located: the record number (0 for the header) and the byte
// offset of the offending tag or record. what() reads e.g.
// "record 3 at byte 1234: no CALL".
class AdifError : public std::runtime_error {
public:
    AdifError(size_t recordNumber, size_t byteOffset, const std::string& problem);
    size_t recordNumber() const { return recordNumber_; }
    size_t byteOffset() const { return byteOffset_; }
    // The problem alone, without the location.
    const std::string& problem() const { return problem_; }

private:
    size_t recordNumber_;
    size_t byteOffset_;
    std::string problem_;
};

// Parses a whole file held in memory.
//
// The header: when the text (after an optional UTF-8 byte-order mark) does not
// start with '<', everything up to the first <EOH> is the header, and a
// missing <EOH> is an error. When it starts with '<' there is no header text;
// an <EOH> met before the first <EOR> still closes a header made of fields.
//
// Field names and EOR/EOH are matched in any case; lengths count bytes; type
// indicators are accepted and ignored; CR LF and LF line ends alike. Throws
// AdifError for a tag without '>', a field without a length or with a length
// that is not a number, a value running past the end of the text, an <EOH>
// after the first record, or fields after the last <EOR>.
AdifFile parseAdif(std::string_view text);
