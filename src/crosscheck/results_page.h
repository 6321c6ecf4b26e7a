// results.html: the results page the committee publishes.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

// One self-contained page in the report's language: the contest and its
// year, the rules applied and the tool's version, then one table per
// category (ranked, its header row in view while scrolling, columns sorted
// by a click and a box to find a call, by a small inline script; without
// scripts the page reads as written, by rank), each entrant's contacts per
// hour on one scale per table, and links to the UBN pages. Nothing private:
// no file names, paths, header remarks or warnings.
std::string resultsHtml(const ContestReport& report);

}  // namespace torv::crosscheck
