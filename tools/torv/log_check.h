// `torv check` without the console: every submitted log read and scored
// alone through the scoring pass the plug-in runs (on all cores, each log being
// independent), then all of them cross-checked, and the committee's files
// made as texts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "crosscheck/categories_file.h"
#include "crosscheck/contest_report.h"
#include "engine/date_time.h"

struct CheckRequest {
    torv::crosscheck::CheckSettings settings;     // window, uniques, penalty, contest period in minutes
    std::optional<torv::abi::DateTimeArg> start;  // the contest period for scoring, as torv score takes it
    std::optional<torv::abi::DateTimeArg> end;
    unsigned threads = 0;  // 0: one per core
    // The committee's categories file, when given: its name and what it says.
    std::string categoriesFile;
    torv::crosscheck::CategoriesFile categories;
};

struct CheckOutcome {
    // Every file given and what became of it is in the report
    // (torv::crosscheck::diagnosticLines tells it on standard error).
    torv::crosscheck::ContestReport report;
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

// Reads a file; throws LogFileError saying why it cannot.
using LogLoader = std::function<LogSource(const std::string& path)>;

// The loader of files on disk: at most kLogFileLimit bytes each.
LogSource loadLogFile(const std::string& path);

// Checks the logs at these paths. A file that cannot be read, is no log, or
// names no station is reported and left out; one that has changed when it
// is loaded again is reported, and its report quotes none of its lines; of several logs of one call
// the one modified last is checked (then the one whose file name comes
// last in a natural order, case aside: "log-2" before "log-10"), with one
// warning naming the file checked and those left out.
CheckOutcome checkLogs(const std::vector<std::string>& paths, const CheckRequest& request, const LogLoader& load);

// A file `torv check` writes: its path relative to the output folder, and
// its content, made only when asked (one file at a time, so that the texts
// of a large contest are never all held at once, and one that cannot be
// made costs only itself).
struct CheckFile {
    std::string name;
    std::function<std::string()> text;
};

// In a fixed order: qsos.csv, ubn/NAME.txt and .html for every log (NAME
// from torv::crosscheck::ubnFileNames), results.txt, results.csv, results.html,
// committee.html, and results.json when asked. Every text is UTF-8.
std::vector<CheckFile> checkFiles(const torv::crosscheck::ContestReport& report, bool json);

// Takes a file's name and its text once made; "" when it is written, else
// why not. Called from several threads at once, one file each.
using CheckFileWriter = std::function<std::string(const std::string& name, const std::string& text)>;

// Makes the files' texts and hands each to `write`, on `threads` threads
// (0: one per core), so that at most one text per thread is held at once.
// Returns, in the files' order, what `write` said, or why the text could
// not be made.
std::vector<std::string> makeCheckFiles(const std::vector<CheckFile>& files, unsigned threads,
                                        const CheckFileWriter& write);

// True when a comes before b in the natural order of file names: letter
// case aside, runs of digits compared as numbers ("x-2" before "x-10").
bool naturallyBefore(const std::string& a, const std::string& b);
