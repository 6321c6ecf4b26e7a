// The UBN report each entrant gets back, as text and as a page of its own.
// It is published with the results, so it holds contest data only (calls,
// times, bands, exchanges, the lines of the logs), never file names, paths
// or header remarks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "crosscheck/contest_report.h"
#include "crosscheck/hourly_chart.h"

namespace torv::crosscheck {

// What every report of a contest shares, found once for all of them.
struct UbnShared {
    // For each log, the contacts of other logs that miscopied it: every
    // BUSTED-CALL and BUSTED-EXCHANGE whose counterpart is in it, and every
    // BUSTED-CALL the call history found whose real call is its own, as (log,
    // contact), in the other logs' order.
    std::vector<std::vector<std::pair<uint32_t, uint32_t>>> miscopies;
    HourSpan span;        // the hours of the charts
    std::string contest;  // "TORV 2026"
    CategoryParts shown;  // the parts of the categories the headings show
};
UbnShared ubnShared(const ContestReport& report);

// The UBN report of one entrant, in the report's language: its category,
// claimed and checked score side by side, how its QSO lines add up, its
// clock, every contact that is not CONFIRMED grouped by status with its
// line and the reason (unreadable lines too), then what others logged
// wrong of it (never penalised) and its contacts per hour.
std::string ubnText(const ContestReport& report, const UbnShared& shared, size_t log);
// The same as a page of its own, beside the results page.
std::string ubnHtml(const ContestReport& report, const UbnShared& shared, size_t log);

}  // namespace torv::crosscheck
