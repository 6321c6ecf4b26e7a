// The score a log keeps after the cross-check, and the sanity checks of its
// header: both built on the plug-in's own score summary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crosscheck/crosscheck.h"
#include "engine/contact.h"
#include "engine/store.h"
#include "reports/score_summary.h"

namespace torv::crosscheck {

enum class UniquePolicy { kCount, kRemove };

struct ScoreRules {
    UniquePolicy uniques = UniquePolicy::kCount;
    int penalty = 0;  // times its own points off the total for each NIL and busted contact
};

struct CheckedScore {
    reports::ScoreSummary summary;  // the plug-in's summary over the contacts kept
    int32_t penaltyPoints = 0;      // taken off summary.points
    int32_t points = 0;             // summary.points less the penalty, never below 0
    int32_t score = 0;              // points * summary.multipliers
};

// The one rule of what the checked score counts: true for CONFIRMED,
// UNVERIFIED and UNIQUE (UNIQUE only when uniques are counted), false for
// every other status, UNREADABLE included. The checked score keeps exactly
// the stored contacts whose verdict counts, and the reports count the QSO
// lines by the same rule (VerdictCounts::counted, the UBN report).
bool countsInScore(QsoStatus status, UniquePolicy uniques);

// True for the verdicts the penalty is taken for: NIL and busted ones.
bool drawsPenalty(QsoStatus status);

// The checked score of one log: the plug-in's score summary over the
// contacts the engine stored (every contact not refused, in order, duplicate
// marks as the engine set them), keeping those whose verdict countsInScore.
// The penalty takes each left-out contact's points times rules.penalty off
// the total points when its verdict drawsPenalty. verdicts holds one
// verdict per contact.
CheckedScore checkedScore(const std::vector<LogQso>& qsos, const std::vector<QsoVerdict>& verdicts,
                          const ScoreRules& rules);

// The records the engine stored for these contacts, as the summary reads them.
std::vector<CInfo> storedRecords(const std::vector<LogQso>& qsos);

// What the header of a log says about itself.
struct HeaderFacts {
    bool hasHeader = true;                // a Cabrillo log; ADIF logs have no such header
    std::string categoryBand;             // CATEGORY-BAND as written, "" when absent
    std::optional<int64_t> claimedScore;  // CLAIMED-SCORE, absent when missing or not a number
    bool claimedScorePresent = false;     // the tag was there (perhaps not a number)
    std::string claimedScoreText;         // its text as written
};

// The header sanity findings of one log, one sentence each:
//   "CATEGORY-BAND 40M, but contacts on 20m, 15m"
//   "CLAIMED-SCORE missing; the log scores 1234"
//   "CLAIMED-SCORE 1300 differs from the log's score 1234"
//   "3 contacts outside the contest period (lines 12, 40, 41)"
// recomputed is the engine's score of the whole log; contacts outside the
// period are looked for only when the period is given, by their times
// corrected for the log's clock offset. A log without a
// header (ADIF) draws only the last kind.
std::vector<std::string> headerFindings(const HeaderFacts& header, const std::vector<LogQso>& qsos, int32_t recomputed,
                                        const Period& period, int32_t offsetMinutes = 0);

// True when the contact was made outside the period, by its time corrected
// for the log's clock offset.
bool outsidePeriod(const LogQso& qso, const Period& period, int32_t offsetMinutes = 0);

}  // namespace torv::crosscheck
