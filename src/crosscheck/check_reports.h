// What `torv check` writes for the committee, as texts: the verdict on every
// QSO line, a UBN report per entrant, and the results in text, CSV, HTML and
// JSON. Pure: the caller writes the texts where they belong.
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
    CheckOptions options;  // the contest period among them
    ScoreRules rules;
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

// Each log's UBN report name without folder and extension ("PY2AAA_P"),
// in the logs' order: safeFileNames of their calls.
std::vector<std::string> ubnFileNames(const ContestReport& report);

// "log,line,status,other,detail" and one row per QSO line, sorted by log
// call, then line; a line that could not be read is UNREADABLE, its detail
// the reason.
std::string qsosCsv(const ContestReport& report);

// The UBN report of one entrant: claimed and checked score side by side,
// the clock offset, the header findings, then every contact that is not
// CONFIRMED grouped by status, with its line and the reason, and last the
// lines that could not be read.
std::string ubnText(const ContestReport& report, size_t log);
// The same as a page of its own.
std::string ubnHtml(const ContestReport& report, size_t log);

std::string resultsText(const ContestReport& report);
std::string resultsCsv(const ContestReport& report);
// One self-contained page: the results tables, a picture per entrant of its
// contacts per hour by band, links to the UBN pages.
std::string resultsHtml(const ContestReport& report);
std::string resultsJson(const ContestReport& report);

// Text for HTML and for JSON strings.
std::string htmlEscaped(const std::string& text);
std::string jsonEscaped(const std::string& text);

}  // namespace crosscheck
