// results.json: the results as data.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

std::string resultsJson(const ContestReport& report);

}  // namespace torv::crosscheck
