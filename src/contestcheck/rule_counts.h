// What the check would not count of a log that the plug-in scores: for
// `torv score`, which scores as the plug-in does and tells the difference.
#pragma once

#include <cstddef>
#include <vector>

#include "crosscheck/crosscheck.h"
#include "logfile/log_contact.h"
#include "scoring/log_scoring.h"

namespace torv::contestcheck {

struct RuleCounts {
    size_t outsidePeriod = 0;    // contacts outside the contest period given
    size_t offContestBands = 0;  // contacts stored on no contest band (6 m, 60 m, no band at all)
};

// The contacts of a scored log that the check would not count: outside the
// period (none without one, by their logged time), and the ones the engine
// took though they lie on no band the contest counts.
RuleCounts ruleCounts(const std::vector<logfile::LogContact>& contacts, const scoring::ScoredLog& scored,
                      const crosscheck::Period& period);

}  // namespace torv::contestcheck
