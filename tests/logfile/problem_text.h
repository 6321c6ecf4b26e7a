// The problems a reader reported, one per line, as tests compare them.
#pragma once

#include <string>
#include <vector>

#include "logfile/log_contact.h"

// "skipped line 4, record 2: ...\n" or "warning ...\n" per problem, in order.
inline std::string problemText(const std::vector<LogProblem>& problems) {
    std::string text;
    for (const LogProblem& problem : problems) {
        text += (problem.kind == LogProblem::Kind::kSkipped ? "skipped " : "warning ") + locatedText(problem) + "\n";
    }
    return text;
}
