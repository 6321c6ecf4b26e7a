// The UBN report each entrant gets back: as text and as a page of its own.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace crosscheck {

// The UBN report of one entrant: claimed and checked score side by side,
// the clock offset, the header findings, then every contact that is not
// CONFIRMED grouped by status, with its line and the reason, and last the
// lines that could not be read.
std::string ubnText(const ContestReport& report, size_t log);
// The same as a page of its own.
std::string ubnHtml(const ContestReport& report, size_t log);

}  // namespace crosscheck
