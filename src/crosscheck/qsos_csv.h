// qsos.csv: the verdict on every QSO line of every log.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

// "log,line,status,other,detail" and one row per QSO line, sorted by log
// call, then line; a line that could not be read is UNREADABLE, its detail
// the reason.
std::string qsosCsv(const ContestReport& report);

}  // namespace torv::crosscheck
