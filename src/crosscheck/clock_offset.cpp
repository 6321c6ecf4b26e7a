// Internal to the cross-check: the clock-offset estimate (clock_offset.h).
#include "crosscheck/clock_offset.h"

#include <algorithm>
#include <utility>

namespace torv::crosscheck::detail {

namespace {

// The median of the differences, the mean of the middle two (rounded
// toward zero) for an even count.
int64_t median(std::vector<int64_t>& values) {
    const size_t n = values.size();
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(n / 2);
    std::nth_element(values.begin(), middle, values.end());
    const int64_t upperMiddle = *middle;
    if (n % 2 == 1) {
        return upperMiddle;
    }
    const int64_t lowerMiddle = *std::max_element(values.begin(), middle);
    return (lowerMiddle + upperMiddle) / 2;
}

// How many of each log's contacts have a partner.
std::vector<uint32_t> pairedPerLog(const Contest& contest, const std::vector<int32_t>& partner) {
    std::vector<uint32_t> paired(contest.logCount(), 0);
    for (size_t l = 0; l < contest.logCount(); ++l) {
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            paired[l] += partner[f] >= 0 ? 1 : 0;
        }
    }
    return paired;
}

}  // namespace

void estimateClocks(const Contest& contest, const PairIndex& index, int64_t window, std::vector<LogVerdict>& verdicts) {
    const size_t logs = verdicts.size();
    std::vector<int64_t> hours(logs, 0);
    std::vector<int32_t> rough = index.pairUp(hours, window);
    hours = index.wholeHourShifts(pairedPerLog(contest, rough), window);
    std::vector<uint8_t> shifted(logs, 0);
    for (size_t l = 0; l < logs; ++l) {
        shifted[l] = hours[l] != 0 ? 1 : 0;
    }
    index.pairAgain(hours, shifted, window, rough);
    // First against the other stations' times; then once more, with the
    // times of each station whose estimate rests on more pairs than this
    // log's as that estimate corrects them, so that a small log is not
    // pulled off by the clock of a big one.
    std::vector<int64_t> first(logs, 0);
    std::vector<uint32_t> pairs(logs, 0);
    std::vector<int64_t> differences;
    for (int round = 0; round < 2; ++round) {
        std::vector<int64_t> estimate(logs, 0);
        for (size_t l = 0; l < logs; ++l) {
            differences.clear();
            for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
                if (rough[f] >= 0) {
                    const uint32_t other = static_cast<uint32_t>(rough[f]);
                    const uint32_t otherLog = contest.logOfFlat(other);
                    const int64_t otherOffset = hours[otherLog] + (pairs[otherLog] > pairs[l] ? first[otherLog] : 0);
                    differences.push_back((contest.minute(f) - hours[l]) - (contest.minute(other) - otherOffset));
                }
            }
            verdicts[l].offsetPairs = static_cast<uint32_t>(differences.size());
            estimate[l] = differences.empty() ? 0 : median(differences);
        }
        first = std::move(estimate);
        for (size_t l = 0; l < logs; ++l) {
            pairs[l] = verdicts[l].offsetPairs;
        }
    }
    for (size_t l = 0; l < logs; ++l) {
        verdicts[l].offsetMinutes = static_cast<int32_t>(hours[l] + first[l]);
        verdicts[l].wholeHours = static_cast<int32_t>(hours[l] / 60);
    }
}

}  // namespace torv::crosscheck::detail
