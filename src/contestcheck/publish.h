// Publishing a check's files into the output folder, all or nothing: every
// file of the plan is made under a temporary name beside its place (inside
// the output folder), and only when all are made do they take their places,
// one rename each, in a moment. A file that cannot be made, or an
// interruption meanwhile, leaves every old file as it was and no temporary
// behind. A list of what a run wrote (kManifest) lets the next run remove
// what it no longer writes; files that no run listed stay untouched.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "contestcheck/output_plan.h"

namespace torv::contestcheck {

// The list of what a run wrote into the output folder, one path a line.
inline constexpr const char* kManifest = "torv-check-files.txt";

// The first output of the plan (or the manifest) that is one of `inputs`
// (compared as files: another spelling, a link, other letter case on
// Windows), as OUT/NAME; empty when none is. Only outputs that may exist
// already are asked of the system, each output folder listed once.
std::string outputThatIsAnInput(const std::string& out, const std::vector<PlannedFile>& plan,
                                const std::vector<std::string>& inputs);

struct Publication {
    // What went wrong, one sentence each ("cannot write OUT/NAME: why").
    // Before the files took their places, none of them did.
    std::vector<std::string> problems;
    bool interrupted = false;  // stopped by an interruption: no file took its place
    bool published = false;    // the files took their places
};

// Publishes the plan's files and the manifest into `out` (the output
// folder, made when missing, without a trailing '/'), making the files on
// `threads` threads (0: one per core). Temporaries a killed run left behind
// are removed first. `interrupted` is asked before each file is made: once
// it says true, the run stops and removes what it made. Once all are made
// the files take their places and the stale files of the last run's list
// (none of them one of `inputs`) are removed; `interrupted` is not asked
// then, as that takes a moment and leaves the results whole.
Publication publish(const std::string& out, const std::vector<PlannedFile>& plan, unsigned threads,
                    const std::vector<std::string>& inputs, const std::function<bool()>& interrupted);

}  // namespace torv::contestcheck
