// The score summary the host shows: one row per band, the totals and the
// score, recomputed from the whole log on every request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/points.h"
#include "engine/store.h"

namespace torv::reports {

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

// The summary of the store's log: bandList is sorted in place first, and its
// order stays. A contact counts on its band when its call is not empty and it
// is no duplicate; each area counts once over the whole log, on the first
// band in sorted order where a counted contact carries it. The cost is one
// pass over the store's compact entries.
ScoreSummary computeScoreSummary(const engine::ContactStore& store, std::vector<std::string>& bandList,
                                 const engine::ContestContext& context);

}  // namespace torv::reports
