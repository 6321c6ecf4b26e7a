// results.html: the results page the committee publishes.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

// One self-contained page in the report's language: the contest and its
// year, the rules applied and the tool's version; a table of contents
// (each category with its count, the other sections, the soapbox page);
// one table per category headed in words (ranked, its header row in view
// while scrolling, columns sorted by a click and a box to find a call, by
// a small inline script; without scripts the page reads as written, by
// rank), each entrant's contacts per hour on one scale per table, each
// call linking to its UBN page and each row named by the log's UBN name;
// then the sections of results_sections.h, whose calls link to those rows.
// It fits a 1280-pixel window; on a phone's width each row shows its rank,
// call and checked score. Nothing private: no file names, paths, header
// remarks or warnings.
std::string resultsHtml(const ContestReport& report);

}  // namespace torv::crosscheck
