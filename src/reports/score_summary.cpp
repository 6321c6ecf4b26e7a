#include "reports/score_summary.h"

#include "engine/text_format.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

const char* const kSpecialCallSign = "PY5TORV";

namespace {

struct PointsRule {
    const char* exchange;
    int points;
};

constexpr PointsRule kExchangePoints[] = {{"YL", 6}, {"QRP", 3}, {"MIL", 8}};
constexpr int kSpecialStationPoints = 10;
constexpr int kOrdinaryPoints = 2;
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

int contactPoints(const CInfo& contact) {
    if (contact.call == kSpecialCallSign) {
        return kSpecialStationPoints;
    }
    for (const PointsRule& rule : kExchangePoints) {
        if (contact.exchangeReceived == rule.exchange) {
            return rule.points;
        }
    }
    return kOrdinaryPoints;
}

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

ScoreSummary computeScoreSummary(const std::vector<CInfo>& contactList, std::vector<std::string>& bandList,
                                 const ContestContext& context) {
    ScoreSummary summary;
    summary.text += formatText("      TORV %s-%s\r\n\tContestant: %s \r\n\tQSOs\tPoints\tMULT\r\n",
                               context.startText.c_str(), context.endText.c_str(), context.contestantCall.c_str());
    sortBandsDescending(bandList);

    // One pass over the log groups the counted contacts by band, in log
    // order, so the summary costs time linear in the log.
    std::unordered_map<std::string, size_t> bandIndex;
    for (size_t i = 0; i < bandList.size(); ++i) {
        bandIndex.emplace(bandList[i], i);
    }
    std::vector<std::vector<const CInfo*>> counted(bandList.size());
    for (const CInfo& contact : contactList) {
        if (contact.call.empty() || contact.dupe != 0) {
            continue;
        }
        auto band = bandIndex.find(contact.band);
        if (band != bandIndex.end()) {
            counted[band->second].push_back(&contact);
        }
    }

    int64_t totalPoints = 0;
    int64_t totalMultipliers = 0;
    std::unordered_set<std::string> seenAreas;
    for (size_t b = 0; b < bandList.size(); ++b) {
        int64_t bandPoints = 0;
        BandRow row{bandList[b], static_cast<int32_t>(counted[b].size()), 0, 0};
        for (const CInfo* contact : counted[b]) {
            bandPoints += contactPoints(*contact);
            if (!contact->area.empty() && seenAreas.insert(contact->area).second) {
                summary.workedAreas.push_back(contact->area);
                ++totalMultipliers;
                ++row.newMultipliers;
            }
        }
        row.points = wrapToInt32(bandPoints);
        summary.bands.push_back(std::move(row));
        summary.text += formatText("%s\t %i\t %i\r\n", bandList[b].c_str(), static_cast<int>(counted[b].size()),
                                   wrapToInt32(bandPoints));
        totalPoints += bandPoints;
    }

    summary.points = wrapToInt32(totalPoints);
    summary.multipliers = wrapToInt32(totalMultipliers);
    summary.score = wrapToInt32(static_cast<int64_t>(summary.points) * summary.multipliers);
    summary.text += formatText("Total\t %i\t %i\t %i\r\n", static_cast<int>(contactList.size()), summary.points,
                               summary.multipliers);
    summary.text += formatText("\r\nScore: %i*%i = %i", summary.points, summary.multipliers, summary.score);
    return summary;
}
