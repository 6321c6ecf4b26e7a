// `torv check` without the console: every submitted log read and scored
// alone through the plug-in's module object (on all cores, each log being
// independent), then all of them cross-checked, and the committee's files
// made as texts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "crosscheck/check_reports.h"
#include "engine/date_time.h"

struct CheckRequest {
    crosscheck::CheckSettings settings;  // window, uniques, penalty, contest period in minutes
    std::optional<DateTimeArg> start;    // the contest period for scoring, as torv score takes it
    std::optional<DateTimeArg> end;
    unsigned threads = 0;  // 0: one per core
};

struct CheckOutcome {
    crosscheck::ContestReport report;
    // For standard error, one line each: skipped records, files left out,
    // logs replaced by a later one of the same call.
    std::vector<std::string> diagnostics;
    bool inputProblems = false;  // a file left out or a record skipped
};

// Reads a file's bytes; throws LogFileError saying why it cannot.
using LogLoader = std::function<std::string(const std::string& path)>;

// Checks the logs at these paths. A file that cannot be read, is no log, or
// names no station is reported and left out; of two logs of one call the
// later file name wins, with a warning naming both.
CheckOutcome checkLogs(const std::vector<std::string>& paths, const CheckRequest& request, const LogLoader& load);

// The files `torv check` writes, as (path relative to the output folder,
// content), in a fixed order: qsos.csv, ubn/<CALL>.txt and .html for every
// log, results.txt, results.csv, results.html, and results.json when asked.
std::vector<std::pair<std::string, std::string>> checkFiles(const crosscheck::ContestReport& report, bool json);

// Minutes since 1970 of an OLE Automation date, to the nearest minute.
int64_t minuteOfOleDate(double oleDate);

// The message of the last finding line of a contact ("NO CONTEST BAND !!!").
std::string findingMessage(const std::string& findingLines);
