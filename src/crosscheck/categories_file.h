// The committee's categories file (`torv check --categories FILE`): the
// category of entrants whose log has none (ADIF) or a wrong one. A CSV file
// with the header line "call,operator,band,power,mode", or the same with a
// sixth column "club" (a semicolon between the fields too, as spreadsheets
// write it in some languages; a field in quotes may hold the separator) and
// a line per entrant; an empty field keeps what the log says. The
// committee's decisions file is read the same way (decisions.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/category.h"

namespace torv::crosscheck {

struct GivenCategory {
    std::string call;   // upper case
    Category category;  // "" where the log's part stays
    std::string club;   // as written, blanks trimmed; "" where the log's CLUB stays
    uint32_t line = 0;
};

struct CategoriesFile {
    std::vector<GivenCategory> entries;  // one per call: a later line replaces an earlier one
    // What is wrong in it, one sentence each ("line 4: ..."), at most
    // kShownProblems and then how many more; each such line is left aside.
    std::vector<std::string> problems;
};

// The file's size is bounded by its reader; this bounds the rest.
constexpr size_t kCategoriesLineLimit = 200;  // bytes of one line
constexpr size_t kShownProblems = 20;

// The fields of a CSV line, each trimmed of blanks: a field in quotes may
// hold the separator, and "" in it is a quote.
std::vector<std::string> fieldsOf(std::string_view line, char separator);

// The lines of a committee's CSV file (its UTF-8 mark and line ends
// dropped) and their separator: a semicolon when the first line has one
// and no comma, as spreadsheets write it in some languages, else a comma.
struct CsvLines {
    std::vector<std::string_view> lines;  // the header first
    char separator = ',';
    bool optionalColumn = false;  // the header ends in the optional column
};
// Throws std::invalid_argument when the first line's fields (its first
// lineLimit bytes, in lower case) are neither the header's ("call,line,...")
// nor, when one is given, the header's followed by optionalColumn (",club").
CsvLines csvLines(std::string_view text, std::string_view header, size_t lineLimit,
                  std::string_view optionalColumn = {});

// Reads the file's text. Throws std::invalid_argument when its first line
// is not the header (nothing of it can be trusted then).
CategoriesFile readCategoriesFile(std::string_view text);

// The category as ranked: the log's, each part given replaced.
Category withGiven(const Category& fromLog, const Category& given);

}  // namespace torv::crosscheck
