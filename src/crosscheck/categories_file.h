// The committee's categories file (`torv check --categories FILE`): the
// category of entrants whose log has none (ADIF) or a wrong one. A CSV file
// with the header line "call,operator,band,power,mode", or the same with a
// sixth column "club" (a semicolon between the fields too, as spreadsheets
// write it in some languages) and a line per entrant; an empty field keeps
// what the log says.
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

// Reads the file's text. Throws std::invalid_argument when its first line
// is not the header (nothing of it can be trusted then).
CategoriesFile readCategoriesFile(std::string_view text);

// The category as ranked: the log's, each part given replaced.
Category withGiven(const Category& fromLog, const Category& given);

}  // namespace torv::crosscheck
