#include "reports/score_summary.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <utility>

#include "engine/contest.h"
#include "engine/text_format.h"

namespace torv::reports {

namespace contest = engine::contest;
using engine::ContactStore;
using engine::ContestContext;
using engine::formatText;
using engine::ScoreEntry;

namespace {

constexpr size_t kBandSortWidth = 20;

std::string paddedBand(const std::string& band) {
    return band.size() >= kBandSortWidth ? band : std::string(kBandSortWidth - band.size(), '0') + band;
}

// The score is a 32-bit signed value; a product beyond it wraps, as the
// host's 32-bit arithmetic does, instead of being undefined.
int32_t wrapToInt32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace

void sortBandsDescending(std::vector<std::string>& bands) {
    std::vector<std::string> keys;
    keys.reserve(bands.size());
    for (const std::string& band : bands) {
        keys.push_back(paddedBand(band));
    }
    for (size_t i = 0; i + 1 < bands.size(); ++i) {
        for (size_t j = i + 1; j < bands.size(); ++j) {
            if (keys[i] < keys[j]) {
                std::swap(keys[i], keys[j]);
                std::swap(bands[i], bands[j]);
            }
        }
    }
}

namespace {

// Remembers which (band, area) pairs have been met: a table when the ids
// are few, as they are in any real log, else a hash set.
class PairSet {
public:
    PairSet(size_t bands, size_t areas) : areas_(areas) {
        if (areas == 0 || bands <= kTableLimit / areas) {
            table_.assign(bands * areas, 0);
        }
    }
    // True when the pair is new.
    bool insert(uint32_t band, uint32_t area) {
        if (!table_.empty()) {
            return std::exchange(table_[size_t{band} * areas_ + area], 1) == 0;
        }
        return set_.insert(static_cast<uint64_t>(band) * areas_ + area).second;
    }

private:
    static constexpr size_t kTableLimit = size_t(1) << 20;
    size_t areas_;
    std::vector<uint8_t> table_;
    std::unordered_set<uint64_t> set_;
};

// Each band's QSOs and points, and each band's areas in the order their
// first counted contact comes: one pass over the compact entries in log order.
struct BandTotals {
    std::vector<size_t> qsos;
    std::vector<int64_t> points;
    std::vector<std::vector<uint32_t>> areas;
};

BandTotals bandTotals(const ContactStore& store) {
    const size_t bandCount = store.bandIdCount();
    BandTotals totals{std::vector<size_t>(bandCount, 0), std::vector<int64_t>(bandCount, 0),
                      std::vector<std::vector<uint32_t>>(bandCount)};
    PairSet metPairs(bandCount, store.areaIdCount());
    for (const ScoreEntry& entry : store.scoreEntries()) {
        if (!entry.counted) {
            continue;
        }
        ++totals.qsos[entry.band];
        totals.points[entry.band] += entry.points;
        if (entry.area != ScoreEntry::kNoArea && metPairs.insert(entry.band, entry.area)) {
            totals.areas[entry.band].push_back(entry.area);
        }
    }
    return totals;
}

}  // namespace

ScoreSummary computeScoreSummary(const ContactStore& store, std::vector<std::string>& bandList,
                                 const ContestContext& context) {
    ScoreSummary summary;
    summary.text += formatText("      %s %s-%s\r\n\tContestant: %s \r\n\tQSOs\tPoints\tMULT\r\n",
                               std::string(contest::kName).c_str(), context.startText.c_str(), context.endText.c_str(),
                               context.contestantCall.c_str());
    sortBandsDescending(bandList);
    const BandTotals totals = bandTotals(store);
    const size_t bandCount = store.bandIdCount();

    int64_t totalPoints = 0;
    int64_t totalMultipliers = 0;
    std::vector<uint8_t> seenAreas(store.areaIdCount(), 0);
    std::vector<uint8_t> bandShown(bandCount, 0);
    for (const std::string& band : bandList) {
        size_t bandQsos = 0;
        int64_t bandPoints = 0;
        int32_t newMultipliers = 0;
        const std::optional<uint32_t> id = store.bandId(band);
        // A band text listed twice gets its contacts on its first row only.
        if (id && std::exchange(bandShown[*id], 1) == 0) {
            bandQsos = totals.qsos[*id];
            bandPoints = totals.points[*id];
            for (uint32_t area : totals.areas[*id]) {
                if (std::exchange(seenAreas[area], 1) == 0) {
                    summary.workedAreas.push_back(store.areaName(area));
                    ++totalMultipliers;
                    ++newMultipliers;
                }
            }
        }
        summary.bands.push_back(BandRow{band, static_cast<int32_t>(bandQsos), wrapToInt32(bandPoints), newMultipliers});
        summary.text +=
            formatText("%s\t %i\t %i\r\n", band.c_str(), static_cast<int>(bandQsos), wrapToInt32(bandPoints));
        totalPoints += bandPoints;
    }

    summary.points = wrapToInt32(totalPoints);
    summary.multipliers = wrapToInt32(totalMultipliers);
    summary.score = wrapToInt32(static_cast<int64_t>(summary.points) * summary.multipliers);
    summary.text +=
        formatText("Total\t %i\t %i\t %i\r\n", static_cast<int>(store.count()), summary.points, summary.multipliers);
    summary.text += formatText("\r\nScore: %i*%i = %i", summary.points, summary.multipliers, summary.score);
    return summary;
}

}  // namespace torv::reports
