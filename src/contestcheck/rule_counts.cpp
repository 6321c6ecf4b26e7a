#include "contestcheck/rule_counts.h"

#include "calendar/minutes.h"
#include "engine/contest.h"

namespace torv::contestcheck {

RuleCounts ruleCounts(const std::vector<logfile::LogContact>& contacts, const scoring::ScoredLog& scored,
                      const crosscheck::Period& period) {
    RuleCounts counts;
    for (size_t i = 0; i < contacts.size(); ++i) {
        if (period.excludes(calendar::minuteOfOleDate(contacts[i].oleDate))) {
            ++counts.outsidePeriod;
        }
        if (scored.contacts[i].result != engine::ContactResult::kRefused &&
            !engine::contest::isCountedBand(contacts[i].band)) {
            ++counts.offContestBands;
        }
    }
    return counts;
}

}  // namespace torv::contestcheck
