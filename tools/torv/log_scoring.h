// One contest log through the module object the plug-in uses: a reset with
// the contestant and the period, every contact in file order, then the score
// summary, with headless ports (settings read from a given file and never
// written, the header confirmed, message boxes kept, findings in memory).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/contact.h"
#include "logfile/log_contact.h"
#include "logfile/log_file.h"
#include "reports/score_summary.h"

// The contact the host would pass for a log record: its time a valid
// date-time, no auxiliary text; without a frequency, the lower edge of its
// band.
torv::engine::ContactFields contactFieldsOf(const torv::logfile::LogContact& contact);

// The largest file read as a contest log: a million QSO lines are 80 MB.
constexpr uint64_t kLogFileLimit = uint64_t{512} << 20;

// A contact repeated n times draws n(n-1)/2 lines: 1 GB of them is a
// log no committee wants read that way.
constexpr uint64_t kFindingsLimit = uint64_t{1} << 30;

class FindingsTooLarge : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScoringSetup {
    std::string contestantCall;
    torv::abi::DateTimeArg start{0.0, torv::abi::kDateTimeNull};  // the contest period
    torv::abi::DateTimeArg end{0.0, torv::abi::kDateTimeNull};
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
    // err.txt; none: they are only counted.
    std::function<void(std::string_view bytes)> writeFindings;
    // The most bytes writeFindings may take: a contact whose findings would
    // go past it stops the scoring with FindingsTooLarge.
    uint64_t findingsLimit = kFindingsLimit;
};

enum class ContactResult { kStored, kDupe, kRefused };

struct ContactOutcome {
    ContactResult result = ContactResult::kRefused;
    std::string finding;  // the message of the contact's last finding ("DUPE !!!"), "" when none
    std::string area;     // the stored record's area (its multiplier), "" when none or refused
};

// How many finding lines end in each of the engine's messages.
struct FindingCounts {
    size_t noContestBand = 0;
    size_t noTestMode = 0;
    size_t noRxNumber = 0;
    size_t areaNotAcceptable = 0;
    size_t dupe = 0;
};

struct ScoredLog {
    std::string summary;                   // what GetResult0 returns
    torv::reports::ScoreSummary numbers;   // the same summary's rows, totals and areas
    size_t storedCount = 0;                // the records of the store (the Total row's first number)
    std::vector<ContactOutcome> contacts;  // one per contact, in order
    FindingCounts findings;                // the lines of "err.txt" as the plug-in writes it
    std::string cabrillo;                  // the Cabrillo file, when exported
    std::string cabrilloFileName;          // the name the plug-in gives it
};

// The setup `torv score` gives a log: the contestant is `call`, else the
// log's station; a Cabrillo log keeps its CALLSIGN; the period is the one
// given, else the dates of the first and last contact.
ScoringSetup scoringSetupFor(const torv::logfile::LogFile& log, const std::string& call,
                             const std::optional<torv::abi::DateTimeArg>& start,
                             const std::optional<torv::abi::DateTimeArg>& end);

// Scores the contacts. Contacts without an own call take the contestant's.
// Throws FindingsTooLarge as said above.
ScoredLog scoreLog(const std::vector<torv::logfile::LogContact>& contacts, const ScoringSetup& setup);

// The message of a finding line ("NO CONTEST BAND !!!"), the text after the
// fields and three blanks; the line may end in CR LF.
std::string_view findingMessage(std::string_view line);
