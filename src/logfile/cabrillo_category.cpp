#include "logfile/cabrillo_category.h"

#include <algorithm>
#include <array>
#include <string>

#include "logfile/text.h"

namespace torv::logfile {

using calendar::upperCase;

namespace {

struct CategoryKeyword {
    std::string_view word;
    CategoryWord meaning;
};

// The words of Cabrillo 2.0 categories, with the short forms loggers wrote.
constexpr std::array<CategoryKeyword, 26> kCategoryKeywords{{
    {"SINGLE-OP", {"CATEGORY-OPERATOR", "SINGLE-OP"}},
    {"SO", {"CATEGORY-OPERATOR", "SINGLE-OP"}},
    {"MULTI-OP", {"CATEGORY-OPERATOR", "MULTI-OP"}},
    {"MO", {"CATEGORY-OPERATOR", "MULTI-OP"}},
    {"CHECKLOG", {"CATEGORY-OPERATOR", "CHECKLOG"}},
    {"ALL", {"CATEGORY-BAND", "ALL"}},
    {"160M", {"CATEGORY-BAND", "160M"}},
    {"80M", {"CATEGORY-BAND", "80M"}},
    {"40M", {"CATEGORY-BAND", "40M"}},
    {"20M", {"CATEGORY-BAND", "20M"}},
    {"15M", {"CATEGORY-BAND", "15M"}},
    {"10M", {"CATEGORY-BAND", "10M"}},
    {"6M", {"CATEGORY-BAND", "6M"}},
    {"2M", {"CATEGORY-BAND", "2M"}},
    {"222", {"CATEGORY-BAND", "222"}},
    {"432", {"CATEGORY-BAND", "432"}},
    {"HIGH", {"CATEGORY-POWER", "HIGH"}},
    {"LOW", {"CATEGORY-POWER", "LOW"}},
    {"QRP", {"CATEGORY-POWER", "QRP"}},
    {"CW", {"CATEGORY-MODE", "CW"}},
    {"SSB", {"CATEGORY-MODE", "SSB"}},
    {"PH", {"CATEGORY-MODE", "SSB"}},
    {"RTTY", {"CATEGORY-MODE", "RTTY"}},
    {"RY", {"CATEGORY-MODE", "RTTY"}},
    {"FM", {"CATEGORY-MODE", "FM"}},
    {"MIXED", {"CATEGORY-MODE", "MIXED"}},
}};

}  // namespace

CategoryWord categoryWord(std::string_view upperCaseWord) {
    for (const CategoryKeyword& keyword : kCategoryKeywords) {
        if (keyword.word == upperCaseWord) {
            return keyword.meaning;
        }
    }
    return {};
}

void addCategoryTags(std::vector<CabrilloTag>& header, LogProblems& problems) {
    const auto category =
        std::find_if(header.begin(), header.end(), [](const CabrilloTag& tag) { return tag.name == "CATEGORY"; });
    if (category == header.end()) {
        return;
    }
    const std::string words = category->value;  // the header grows below
    const size_t line = category->line;
    for (std::string_view word : blankSeparated(words)) {
        const CategoryWord meaning = categoryWord(upperCase(word));
        if (meaning.tag.empty()) {
            problems.add({LogProblem::Kind::kWarning, line, 0,
                          "CATEGORY word \"" + shortened(word) + "\" is not known: it stays in CATEGORY alone"});
        } else if (findCabrilloTag(header, meaning.tag) == nullptr) {
            header.push_back({std::string(meaning.tag), std::string(meaning.value), line});
        }
    }
}

}  // namespace torv::logfile
