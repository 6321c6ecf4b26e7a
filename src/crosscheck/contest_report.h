// Everything known of a checked contest, from which every file `torv check`
// writes is made: the logs, the verdicts, each entrant's scores and header,
// and the settings of the check. Pure: the caller writes the texts where
// they belong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crosscheck/checked_score.h"
#include "crosscheck/crosscheck.h"

namespace crosscheck {

// Everything known of one entrant once the logs are checked.
struct Entrant {
    std::string file;              // the log's file, as given
    std::string categoryOperator;  // CATEGORY-OPERATOR, "" when absent
    HeaderFacts header;
    std::vector<std::string> qsoText;         // each contact's line as the file holds it
    std::vector<std::string> unreadableText;  // each unreadable line as the file holds it
    // The engine's score of the whole log, and the checked score.
    int32_t claimedQsos = 0;  // contacts the engine counts: stored, no duplicate, a call
    int32_t claimedPoints = 0;
    int32_t claimedMultipliers = 0;
    int32_t claimedScore = 0;
    CheckedScore checked;
    std::vector<std::string> findings;  // header sanity, one sentence each
};

struct CheckSettings {
    CheckOptions options;
    ScoreRules rules;
    Period period;
};

struct ContestReport {
    std::vector<SubmittedLog> logs;
    std::vector<LogVerdict> verdicts;
    std::vector<Entrant> entrants;  // one per log, same order
    CheckSettings settings;
    std::vector<std::string> notes;  // about the files: left out, replaced
};

// Counts of one entrant's verdicts.
struct VerdictCounts {
    int32_t confirmed = 0;
    int32_t nil = 0;
    int32_t busted = 0;  // busted calls and busted exchanges
    int32_t unique = 0;
};
VerdictCounts countVerdicts(const LogVerdict& verdict);

// The log's claimed score: its CLAIMED-SCORE when that is a number, else
// the engine's recomputation.
int64_t claimedScoreOf(const Entrant& entrant);

// The entrants' indexes in results order: by CATEGORY-OPERATOR (in text
// order, entrants without one last), then checked score high to low, then call.
std::vector<size_t> resultsOrder(const ContestReport& report);

// The entrants in results order, each with its rank in its category.
struct Ranked {
    size_t log;
    int rank;
    bool opensCategory;
};
std::vector<Ranked> ranked(const ContestReport& report);

// "(no category)" or the entrant's category.
std::string categoryOf(const Entrant& entrant);

// Each log's UBN report name without folder and extension ("PY2AAA_P"),
// in the logs' order: safeFileNames of their calls.
std::vector<std::string> ubnFileNames(const ContestReport& report);

// The detail of the verdict on contact q of log l, with a note when the
// contact lies outside the contest period.
std::string detailOf(const ContestReport& report, size_t l, size_t q);

// "+3 minutes", "-1 minute".
std::string signedMinutes(int32_t minutes);

}  // namespace crosscheck
