// One contest log through the pass the plug-in's module runs: a reset with
// the contestant and the period, every contact in file order, then the score
// summary, with headless ports (settings read from given bytes and never
// written, the header confirmed, findings streamed or only counted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/contact.h"
#include "engine/contact_outcome.h"
#include "logfile/log_contact.h"
#include "logfile/log_file.h"
#include "reports/score_summary.h"

namespace torv::scoring {

// The contact the host would pass for a log record: its time a valid
// date-time, no auxiliary text; without a frequency, the lower edge of its
// band.
engine::ContactFields contactFieldsOf(const logfile::LogContact& contact);

// A contact repeated n times draws n(n-1)/2 lines: 1 GB of them is a
// log no committee wants read that way.
constexpr uint64_t kFindingsLimit = uint64_t{1} << 30;

// The findings of a contact would take the bytes written past the limit.
class FindingsTooLarge : public std::runtime_error {
public:
    explicit FindingsTooLarge(uint64_t limit)
        : std::runtime_error("the findings would pass their limit"), limit_(limit) {}
    uint64_t limit() const { return limit_; }

private:
    uint64_t limit_;
};

struct ScoringSetup {
    std::string contestantCall;
    abi::DateTimeArg start{0.0, abi::kDateTimeNull};  // the contest period
    abi::DateTimeArg end{0.0, abi::kDateTimeNull};
    bool exportCabrillo = false;
    // The bytes of the plug-in's settings file for the Cabrillo header
    // (none: the header the dialog shows without one). Nothing is written.
    std::optional<std::string> settings;
    // The CALLSIGN line (and the sent-call column) of the Cabrillo file, as
    // an operator would type it in the header dialog; "" keeps the contestant.
    std::string callsign;
    // Called every few thousand contacts with how many were passed.
    std::function<void(size_t passed, size_t total)> progress;
    // Takes the findings as they come, in the bytes the plug-in writes to
    // err.txt; none: they are only counted, and never rendered.
    std::function<void(std::string_view bytes)> writeFindings;
    // The most bytes writeFindings may take: a contact whose findings would
    // go past it stops the scoring with FindingsTooLarge.
    uint64_t findingsLimit = kFindingsLimit;
};

// How many lines of each finding the error file has (a DUPE line per
// earlier twin).
struct FindingCounts {
    size_t noContestBand = 0;
    size_t noTestMode = 0;
    size_t noRxNumber = 0;
    size_t areaNotAcceptable = 0;
    size_t dupe = 0;
};

struct ScoredLog {
    std::string summary;                           // what GetResult0 returns
    reports::ScoreSummary numbers;                 // the same summary's rows, totals and areas
    size_t storedCount = 0;                        // the records of the store (the Total row's first number)
    std::vector<engine::ContactOutcome> contacts;  // what the engine decided, one per contact, in order
    FindingCounts findings;                        // the lines of "err.txt" as the plug-in writes it
    std::string cabrillo;                          // the Cabrillo file, when exported
    std::string cabrilloFileName;                  // the name the plug-in gives it
};

// The setup `torv score` gives a log: the contestant is `call`, else the
// log's station; a Cabrillo log keeps its CALLSIGN; the period is the one
// given, else the dates of the first and last contact.
ScoringSetup scoringSetupFor(const logfile::LogFile& log, const std::string& call,
                             const std::optional<abi::DateTimeArg>& start, const std::optional<abi::DateTimeArg>& end);

// Scores the contacts. Contacts without an own call take the contestant's.
// Throws FindingsTooLarge as said above.
ScoredLog scoreLog(const std::vector<logfile::LogContact>& contacts, const ScoringSetup& setup);

}  // namespace torv::scoring
