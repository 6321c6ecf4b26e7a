// results.html: the results page the committee publishes.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace crosscheck {

// One self-contained page: the results tables, a picture per entrant of its
// contacts per hour by band, links to the UBN pages.
std::string resultsHtml(const ContestReport& report);

}  // namespace crosscheck
