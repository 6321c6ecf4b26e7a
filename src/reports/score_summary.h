// The score summary the host shows: one row per band, the totals and the
// score, recomputed from the whole log on every request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/contact.h"
#include "engine/store.h"

// Contacts with this station earn the most points.
extern const char* const kSpecialCallSign;

// Points of a counted contact: 10 with the special station, 6 for "YL",
// 3 for "QRP", 8 for "MIL", else 2 (exact comparisons, first match wins).
int contactPoints(const CInfo& contact);

// Sorts band names in place, longest wavelength first ("160m" ... "10m"):
// names are compared byte-wise after left-padding with '0' to 20 characters.
// The sort is the exchange sort the summary has always used, so names that
// pad alike keep the order it gives them.
void sortBandsDescending(std::vector<std::string>& bands);

// One band's row of the summary.
struct BandRow {
    std::string band;
    int32_t qsos = 0;
    int32_t points = 0;
    int32_t newMultipliers = 0;  // areas first counted on this band
};

struct ScoreSummary {
    std::string text;
    std::vector<BandRow> bands;  // in the summary's order
    int32_t points = 0;
    int32_t multipliers = 0;
    int32_t score = 0;
    // The distinct areas of the counted contacts, in the order first counted.
    std::vector<std::string> workedAreas;
};

// The summary of the log: bandList is sorted in place first, and its order
// stays. A contact counts on its band when its call is not empty and it is
// no duplicate; each area counts once over the whole log.
ScoreSummary computeScoreSummary(const std::vector<CInfo>& contactList, std::vector<std::string>& bandList,
                                 const ContestContext& context);
