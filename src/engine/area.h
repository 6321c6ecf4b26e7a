// The contest's area table and the rules built on it: exchange validation and
// the area a stored contact counts for.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/contest.h"

namespace torv::engine {

// The area codes, in search order: the Brazilian states and "UF".
inline constexpr const auto& areaCodes = contest::kAreaCodes;

// Every area a contact can count for, in the order the area window lists
// them: the codes, then the island prefixes.
extern const std::array<std::string_view, contest::kAreaCodes.size() + contest::kIslandAreas.size()> kAreas;

// True when the text equals one of the codes exactly (case-sensitive).
bool isAreaCode(std::string_view text);

// Letters a-z made upper case, leading and trailing white space removed.
std::string normalisedExchange(std::string_view exchange);

// The host's test while an exchange is typed: 1 for a category word or an
// area code exactly as written, 0 otherwise ("599" included).
int isValidExchange(std::string_view exchange);

struct AreaAssignment {
    std::string area;        // island prefix, area code or empty
    bool errorLineDue;       // the exchange names no area and is no category word
    std::string normalised;  // the normalised exchange, for the error line
};

// The area of an accepted contact: island stations by their prefix, the rest
// by their normalised exchange; category words carry no area.
AreaAssignment assignArea(std::string_view prefix, std::string_view exchangeReceived);

// True for a category word ("YL", "MIL", "QRP"), compared exactly.
bool isCategoryWord(std::string_view exchange);

}  // namespace torv::engine
