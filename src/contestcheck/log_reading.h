// One submitted log read and scored for the check, and loaded again for
// the lines its report quotes: the first and the second reading of
// contestcheck::check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "contestcheck/contest_check.h"
#include "crosscheck/contest_report.h"
#include "logfile/log_file.h"

namespace torv::contestcheck {

// What quotes a log's lines once the contest is checked: its bytes, held
// only when they cannot be loaded again (a pipe); a file's bytes are loaded
// again instead of being held through the cross-check (at a million lines
// they would be a third of the memory), and known by their hash.
struct LogBytes {
    std::string held;
    bool loadAgain = false;
    size_t hash = 0;
};

// One log read and scored, or the reason it is left out.
struct ReadLog {
    bool usable = false;
    crosscheck::SubmittedLog log;
    crosscheck::Entrant entrant;
    LogBytes bytes;
    int64_t modified = 0;
    crosscheck::FileRecord file;
    bool inputProblems = false;
};

// The first name the log gives its contest that is not the contest's
// (engine::contest::namesTheContest), as written; none when every name is
// the contest's or the log gives none.
std::optional<std::string> otherContestOf(const logfile::LogFile& log);

// The file left out for this reason.
ReadLog leftOut(const std::string& path, const std::string& why);

// Loads the file, reads it and scores it with the request's contest period;
// one that cannot be loaded or read, or names no station, comes back not
// usable, its file record saying why. Throws what the loader or the scoring
// pass throws but logfile::LogFileError.
ReadLog readAndScore(const std::string& path, const CheckRequest& request, const LogLoader& load);

// The decoded text of a log loaded again, when its bytes hash as the ones
// first read; false (and no text) when they do not or cannot be read.
bool loadedAgain(const std::string& path, size_t hash, const LogLoader& load, std::string& text);

}  // namespace torv::contestcheck
