// One contact of a contest log as the readers give it, in plain types, and
// what a reader found wrong on the way. Whoever passes contacts on (the
// simulator to a plug-in, the command-line tool to the engine) converts
// from these types itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logfile/read_fault.h"

namespace torv::logfile {

struct LogContact {
    std::string ownCall;     // the station that logged it
    std::string call;        // the station worked
    double oleDate = 0;      // date and time (UTC) as an OLE Automation date
    uint32_t frequency = 0;  // hertz; 0 when the log gives none
    std::string band;        // as the host writes it ("40m"); "" when unknown
    std::string mode;        // "CW", "SSB", "RTTY", ... in upper case
    std::string rstSent;
    std::string rstReceived;
    std::string exchangeSent;      // as logged
    std::string exchangeReceived;  // as logged
    std::string prefix;            // the country prefix the host would give the call
    std::string transmitter;       // a Cabrillo log's transmitter column ("0", "1"), "" when none
    size_t line = 0;               // the line the record starts on, 1 for the first
    size_t record = 0;             // 1 for the file's first record (ADIF record, Cabrillo QSO line)
};

// A finding of a reader, located in the file. A skipped record is not among
// the contacts; a warning's record is.
struct LogProblem {
    enum class Kind { kSkipped, kWarning };
    Kind kind = Kind::kSkipped;
    size_t line = 0;    // 0 when it concerns the whole file
    size_t record = 0;  // 0 for the header or the whole file
    std::string text;   // the problem alone, e.g. "no CALL"
};

// The findings of a reader over one file, bounded so that no input can make
// them long: the first kShown in file order are kept (those about the whole
// file, line 0, first), the others only counted.
struct LogProblems {
    static constexpr size_t kShown = 20;
    std::vector<LogProblem> shown;
    size_t notShown = 0;
    size_t warnings = 0;  // warnings found, shown or not

    // Puts the problem in its place by line, after those of the same line;
    // when that makes more than kShown, the last one is only counted.
    void add(LogProblem problem);
};

// A record that cannot be read, with what can still be read of it, so that
// the committee's files can list it and say what the other station's
// contact meets there.
struct UnreadableRecord {
    size_t line = 0;
    size_t record = 0;
    ReadFault fault;                // why it cannot be read
    std::string call;               // the station worked, "" when it cannot be read
    std::optional<double> oleDate;  // the date and time, when they can be read

    // Why it cannot be read, as the reader says it (readFaultText).
    std::string reason() const { return readFaultText(fault); }
};

// "line 42, record 17: no CALL", "line 3: ..." (no record), or the text
// alone (neither).
std::string locatedText(const LogProblem& problem);

// A problem as the command-line tool prints it after the file name:
// "line 4, record 2: skipped: ...", "warning: ...".
std::string problemMessage(const LogProblem& problem);

// The line that stands for the problems not shown: "12 more problems not
// shown (at most 20 per file)".
std::string notShownMessage(size_t notShown);

}  // namespace torv::logfile
