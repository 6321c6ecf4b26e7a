// The results as a text table and as CSV.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

std::string resultsText(const ContestReport& report);
std::string resultsCsv(const ContestReport& report);

}  // namespace torv::crosscheck
