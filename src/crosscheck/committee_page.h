// committee.html: what the committee needs and does not publish.
#pragma once

#include <string>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {

// One self-contained page in the report's language, what the committee
// acts on first: the logs that deserve a look (fewer than half the claimed
// contacts confirmed, more than a fifth unique, a clock off by more than
// 10 minutes), most contacts not confirmed first; the clocks that were
// off; the categories (entrants with none, bands the contest does not
// count, words that are not the contest's, categories the committee gave
// and the problems of its file); header findings (claimed scores that
// differ, categories the contacts do not match); the logs replaced by a
// later one of their call; and last every file given and what became of it
// (checked, left out and why, replaced) with what its reader said. No file
// name stands above the logs that deserve a look.
std::string committeeHtml(const ContestReport& report);

}  // namespace torv::crosscheck
