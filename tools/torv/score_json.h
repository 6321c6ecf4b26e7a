// The machine-readable result of `torv score --json`.
#pragma once

#include <string>

#include "contestcheck/rule_counts.h"
#include "scoring/log_scoring.h"

namespace torv::cli {

struct ScoreJsonInput {
    std::string log;            // the file as named on the command line
    std::string format;         // "ADIF" or "Cabrillo"
    size_t contacts = 0;        // contacts read and passed
    size_t skippedRecords = 0;  // records that could not be read
    size_t warnings = 0;
    contestcheck::RuleCounts rules;
    std::string otherContest;  // the other contest the log names, "" when it names this one or none
};

// One JSON object, LF line ends, ending in a line end:
//   log, format, otherContest (only when the log names another contest), contestant, contactsRead, skippedRecords,
//   warnings, bands [{band, qsos, points, newMultipliers}], qsos (the counted ones), records (the store's, as in the
//   Total row), points, multipliers, areas [..], score, findings {noContestBand, noTestMode, noRxNumber,
//   areaNotAcceptable, dupe}, outsidePeriod, offContestBands.
std::string scoreJson(const torv::scoring::ScoredLog& scored, const ScoreJsonInput& input,
                      const std::string& contestant);

// The text as a JSON string literal, escaped as the committee's files are
// (torv::crosscheck::jsonEscaped).
std::string jsonString(const std::string& text);

}  // namespace torv::cli
