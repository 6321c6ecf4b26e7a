// What a check writes: the committee's files, named relative to the output
// folder, each with its text made only when asked (one file at a time, so
// that the texts of a large contest are never all held at once, and one
// that cannot be made costs only itself). One table of the outputs gives
// both the plan of a check and the names a check may have written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/contest_report.h"

namespace torv::contestcheck {

// The folder of the logs' UBN reports, inside the output folder.
inline constexpr const char* kReportFolder = "ubn";

// A file of the plan: its path relative to the output folder ('/' between
// folder and name), and its content, UTF-8, made when called.
struct PlannedFile {
    std::string name;
    std::function<std::string()> text;
};

// In a fixed order: qsos.csv, ubn/NAME.txt and .html for every log (NAME
// from crosscheck::ubnFileNames), results.txt, results.csv, results.html,
// soapbox.html when an entrant wrote a soapbox, committee.html, and
// results.json when asked. The texts refer to the
// report, which must outlive them.
std::vector<PlannedFile> outputPlan(const crosscheck::ContestReport& report, bool json);

// True for a name some check's plan may hold (results.json included, and
// ubn/NAME.txt or .html for any NAME of capitals, digits, '-' and '_'),
// false for anything else: what a list of earlier outputs may name.
bool isOutputName(std::string_view name);

// Takes a file's name and its text once made; "" when it is written, else
// why not. Called from several threads at once, one file each.
using OutputWriter = std::function<std::string(const std::string& name, const std::string& text)>;

// What makeOutputs says of a file it did not make because it was told to stop.
inline constexpr const char* kNotMade = "not made: the run stopped";

// Makes the files' texts and hands each to `write`, on `threads` threads
// (0: one per core), so that at most one text per thread is held at once.
// `stop`, when given, is asked before each file: once it says true, the
// files left are not made (kNotMade). Returns, in the files' order, what
// `write` said, or why the text could not be made.
std::vector<std::string> makeOutputs(const std::vector<PlannedFile>& plan, unsigned threads, const OutputWriter& write,
                                     const std::function<bool()>& stop = {});

// "15 logs, 584 QSO lines: 446 confirmed, 30 NIL, 12 busted, 9 unique;
// results in OUT/results.txt", without a line end; `out` is the output
// folder as the user named it.
std::string summaryLine(const crosscheck::ContestReport& report, const std::string& out);

}  // namespace torv::contestcheck
