// The committee's categories file made from the logs' own headers (`torv
// categories`): a row per entrant, in the form `torv check --categories`
// reads, for the committee to fill in what the logs leave out (ADIF logs
// carry no category) or name in words that are not the contest's.
#pragma once

#include <string>
#include <vector>

#include "contestcheck/contest_check.h"

namespace torv::contestcheck {

struct CategoriesListing {
    // "call,operator,band,power,mode", then a row per entrant by call: each
    // part as its log gives it when that is one of the contest's words,
    // else empty.
    std::string csv;
    // One English sentence each, in order: the files left out (as the check
    // leaves them out) and the logs replaced by another of their call, then
    // each part left empty because the log's word is not the contest's.
    std::vector<std::string> notes;
    bool inputProblems = false;  // a file left out or a record skipped, as the check counts them
};

// Reads the logs as `check` does (the request's threads and anyContest
// count) and lists the entrants it would check, one row per call.
CategoriesListing listCategories(const LogSources& sources, const CheckRequest& request);

}  // namespace torv::contestcheck
