// The problems a reader reported, one per line, as tests compare them.
#pragma once

#include <string>
#include <vector>

#include "logfile/log_contact.h"

// "skipped line 4, record 2: ...\n" or "warning ...\n" per problem shown,
// in order, then "N not shown\n" when some are not.
inline std::string problemText(const torv::logfile::LogProblems& problems) {
    std::string text;
    for (const torv::logfile::LogProblem& problem : problems.shown) {
        text += (problem.kind == torv::logfile::LogProblem::Kind::kSkipped ? "skipped " : "warning ") +
                locatedText(problem) + "\n";
    }
    if (problems.notShown > 0) {
        text += std::to_string(problems.notShown) + " not shown\n";
    }
    return text;
}
