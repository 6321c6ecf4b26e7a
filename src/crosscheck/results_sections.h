// What the results page shows beside the categories' tables: the best
// entrant of each state, the clubs, the logs without errors, and the page
// of the entrants' soapbox texts. Each is found by a small function of the
// report, and made a section of the page that the table of contents lists.
// The sections link each call to its row in the categories' tables, so
// that each entrant's UBN link stays in one table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

// One section of the results page.
struct PageSection {
    std::string id;     // the anchor of the section ("states")
    std::string title;  // its heading, and its entry in the table of contents
    size_t count = 0;   // what the table of contents shows beside the title
    std::string html;   // the section's body, after its heading
};

// The area the log sends most often among the contest's area codes (the
// entrant's state), "" when it sends none; of areas sent equally often,
// the first in the area table's order.
std::string sentArea(const SubmittedLog& log);

// The best entrants of each state, all categories together: those with
// the state's highest checked score (several when equal), in results
// order. States in the area table's order, those of no entrant left out.
struct StateBest {
    std::string state;
    std::vector<size_t> logs;
};
std::vector<StateBest> bestOfEachState(const ContestReport& report, const std::vector<Ranked>& rows);

// A club's name as clubs are compared: blanks trimmed and collapsed, upper
// case ("  Clube  de Radio " and "CLUBE DE RADIO" are one club).
std::string clubKey(std::string_view club);

// The clubs of at least two ranked entrants, by the sum of their checked
// scores, high to low (equal sums share a rank, then by name). A club is
// named as most of its entrants write it (blanks collapsed; of spellings
// used equally often, the first in results order); its entrants are by
// checked score, then call.
struct ClubTotal {
    std::string name;
    std::vector<size_t> logs;
    int64_t score = 0;
    int rank = 0;
};
std::vector<ClubTotal> clubTotals(const ContestReport& report, const std::vector<Ranked>& rows);

// The logs without errors: ranked entrants with at least one contact
// checked and none NIL, busted call or busted exchange, by checked score,
// then call.
std::vector<size_t> goldenLogs(const ContestReport& report, const std::vector<Ranked>& rows);

// The sections of those, in the page's order; rowIds names each log's row
// in the categories' tables (the anchor its call links to).
std::vector<PageSection> resultsSections(const ContestReport& report, const std::vector<Ranked>& rows,
                                         const std::vector<std::string>& rowIds);

// The entrants whose log carries a soapbox text, by call.
std::vector<size_t> soapboxLogs(const ContestReport& report);

// soapbox.html: each entrant's soapbox text, escaped, its line breaks
// kept, its call linking to its row on the results page.
std::string soapboxHtml(const ContestReport& report);

}  // namespace torv::crosscheck
