// results.json: the results as data.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace crosscheck {

std::string resultsJson(const ContestReport& report);

}  // namespace crosscheck
