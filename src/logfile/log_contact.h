// One contact of a contest log as the readers give it, in plain types, and
// what a reader found wrong on the way. Whoever passes contacts on (the
// simulator to a plug-in, the command-line tool to the engine) converts
// from these types itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

// "line 42, record 17: no CALL", "line 3: ..." (no record), or the text
// alone (neither).
std::string locatedText(const LogProblem& problem);
