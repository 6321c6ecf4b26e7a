// Checking a whole contest: the submitted logs in, the committee's report
// out. Every log is read and scored alone through the scoring pass the
// plug-in runs (on all cores, each log being independent), then all of them
// are cross-checked, and each log is read a second time for the lines its
// report quotes. What is written of the report is the plan of
// contestcheck/output_plan.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crosscheck/categories_file.h"
#include "crosscheck/contest_report.h"

namespace torv::contestcheck {

// What the committee asks of a check. New options of the cross-check go in
// `settings` (crosscheck::CheckSettings), which reaches it whole.
struct CheckRequest {
    // The window, the uniques, the penalty, the language, and the one
    // contest period (settings.options.period): the cross-check's
    // OUT-OF-PERIOD and the dates of each log's scoring pass (without one,
    // the pass takes the log's first and last contact, as `torv score` does).
    crosscheck::CheckSettings settings;
    unsigned threads = 0;  // 0: one per core
    // Checks every log whatever contest it names; without it a log naming
    // another contest is left out.
    bool anyContest = false;
    // The committee's categories file, when given: its name and what it says.
    std::string categoriesFile;
    crosscheck::CategoriesFile categories;
};

struct CheckOutcome {
    // Every file given and what became of it is in the report
    // (torv::crosscheck::diagnosticLines tells it).
    crosscheck::ContestReport report;
    bool inputProblems = false;  // a file left out, a record skipped, a line of the categories file left aside
};

// A submitted file as read: its bytes and when it was last modified (any
// clock, compared only with the other files'). A file that can be loaded
// again (not a pipe) is, to quote its lines in the reports, instead of
// being held in memory through the cross-check.
struct LogSource {
    std::string bytes;
    int64_t modified = 0;
    bool again = true;
};

// Reads a file; throws logfile::LogFileError saying why it cannot. Called
// from several threads at once, one file each.
using LogLoader = std::function<LogSource(const std::string& path)>;

// The loader of files on disk: at most io::kLogFileLimit bytes each.
LogSource loadLogFile(const std::string& path);

// The submitted logs: their paths in the order given, each file once, and
// how one is read; and the folders inside the folders given, which are not
// read (the committee page names them).
struct LogSources {
    std::vector<std::string> paths;
    LogLoader load = loadLogFile;
    std::vector<std::string> foldersNotRead;
};

// Checks the logs. A file that cannot be read, is no log, or names no
// station is reported and left out, and so is a log that names another
// contest (but with request.anyContest) or has no contact that could be
// read (no QSO line, or none readable: it would rank with nothing and turn
// the contacts others made with it into NILs); one that has changed when it is loaded
// again is reported, and its report quotes none of its lines; of several
// logs of one call the one modified last is checked (then the one whose
// file name comes last in a natural order, case aside: "log-2" before
// "log-10"), with one warning naming the file checked and those left out.
CheckOutcome check(const LogSources& sources, const CheckRequest& request);

// True when a comes before b in the natural order of file names: letter
// case aside, runs of digits compared as numbers ("x-2" before "x-10").
bool naturallyBefore(const std::string& a, const std::string& b);

// True when, of two logs of one call, the first is checked rather than the
// second: the one modified last, then the one whose file name comes last
// in the natural order, then the later path.
bool checkedRather(int64_t modifiedA, const std::string& pathA, int64_t modifiedB, const std::string& pathB);

}  // namespace torv::contestcheck
