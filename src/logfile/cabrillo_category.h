// The one-line CATEGORY: of Cabrillo 2.0 logs ("CATEGORY: SINGLE-OP ALL LOW
// MIXED"), read word by word into the tags of Cabrillo 3.0.
#pragma once

#include <string_view>
#include <vector>

#include "logfile/cabrillo_reader.h"

namespace torv::logfile {

// What one word of a CATEGORY: line says: the 3.0 tag it fills and the
// value it gives, both upper case; tag is "" for a word that is not known.
struct CategoryWord {
    std::string_view tag;
    std::string_view value;
};
CategoryWord categoryWord(std::string_view upperCaseWord);

// Adds to the header, for each known word of its CATEGORY tag, the 3.0 tag
// the word fills when the header has none (the first word for a tag wins),
// on CATEGORY's line. The CATEGORY tag stays as it is; each word that is not
// known is reported as a warning.
void addCategoryTags(std::vector<CabrilloTag>& header, LogProblems& problems);

}  // namespace torv::logfile
