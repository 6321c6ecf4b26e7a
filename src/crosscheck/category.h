// The entrants' categories: operator × band × power × mode, in the contest's
// own words. Results are ranked within each category.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torv::crosscheck {

enum class Language : uint8_t;  // glossary.h

// The four parts of a category, in the order of the results.
enum class CategoryPart : uint8_t { kOperator, kBand, kPower, kMode };
constexpr size_t kCategoryParts = 4;

// A category as written (a log's CATEGORY-* tags, the committee's file),
// each part upper case with its blanks trimmed and collapsed ("single-op  a"
// is "SINGLE-OP A"); "" when it is not given.
struct Category {
    std::array<std::string, kCategoryParts> parts;

    const std::string& part(CategoryPart p) const { return parts[static_cast<size_t>(p)]; }
    std::string& part(CategoryPart p) { return parts[static_cast<size_t>(p)]; }
    bool operator==(const Category& other) const { return parts == other.parts; }
};

// A part as a category holds it: upper case, blanks trimmed and collapsed.
std::string categoryText(std::string_view written);

// The place of a part's value among the contest's values (operator: the
// header dialog's list, then MULTI-OP; band: ALL, then the contest bands
// from the lowest frequency; power: HIGH, LOW, QRP; mode: CW, SSB, MIXED),
// or -1 when the value is not one of them (missing or unknown, shown as
// "—"). Categories sort by these places, unknown values last.
int categoryPlace(CategoryPart part, const std::string& value);

// The contest's values of a part, in their order.
std::vector<std::string> categoryValues(CategoryPart part);

// True when the band part names a band: it starts with a digit ("40M",
// "160M", "1.2G", "432"), where ALL and the words of other contests do not.
bool namesBand(const std::string& band);

// True when the band part names a band (it starts with a digit) that the
// contest does not count ("160M", "6M", "70CM", "432"): such an entrant is
// ranked under no category, and checked as one of all bands.
bool namesOtherBand(const std::string& band);

// The band of a single-band category as the contacts name it ("40M" ->
// "40m"), "" for ALL and for a value that is not a contest band.
std::string singleBandOf(const Category& category);

// True when the operator part is the check log's (CHECKLOG): the entrant
// is listed, not ranked.
bool isCheckLog(const Category& category);

// How an entrant's category places it in the results.
enum class CategoryStanding : uint8_t {
    kRanked,     // at least one part is one of the contest's values
    kNone,       // no part is: listed under "no category"
    kOtherBand,  // its band is not a contest band: listed under "no category"
};
CategoryStanding standingOf(const Category& category);

// Which parts of the categories the published pages show: those that at
// least one entrant of the contest gives as one of the contest's values.
using CategoryParts = std::array<bool, kCategoryParts>;

// A value in the words of the published pages, in the language ("Single
// operator A", "todas as bandas", "low power", "modo misto"); "" when it is
// not one of the contest's values.
std::string categoryValueWords(CategoryPart part, const std::string& value, Language language);

// A category's heading on the published pages: the words of each part
// shown, joined by middle dots, the first letter a capital ("Single
// operator A · all bands · low power"). A part shown that the category
// does not give as one of the contest's values says so ("power not
// given"); the contest's words stay on the committee's page.
std::string categoryTitle(const Category& category, Language language, const CategoryParts& shown);

// The order of the results tables: by each part's place, unknown values
// last, then the entrants that are not ranked (no category). Two entrants
// with equal keys are in one table.
using CategoryKey = std::array<int, kCategoryParts + 1>;
CategoryKey categoryKey(const Category& category);

}  // namespace torv::crosscheck
