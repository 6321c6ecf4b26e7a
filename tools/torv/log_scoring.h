// One contest log through the module object the plug-in uses: a reset with
// the contestant and the period, every contact in file order, then the score
// summary, with headless ports (settings read from a given file and never
// written, the header confirmed, message boxes kept, findings in memory).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/contact.h"
#include "logfile/log_contact.h"
#include "logfile/log_file.h"
#include "reports/score_summary.h"

// The contact the host would pass for a log record: its time a valid
// date-time, no auxiliary text; without a frequency, the lower edge of its
// band.
ContactFields contactFieldsOf(const LogContact& contact);

struct ScoringSetup {
    std::string contestantCall;
    DateTimeArg start{0.0, kDateTimeNull};  // the contest period
    DateTimeArg end{0.0, kDateTimeNull};
    bool exportCabrillo = false;
    // The plug-in's settings file for the Cabrillo header ("" for none: the
    // header the dialog shows without one). Read only: nothing is written.
    std::string settingsPath;
    // The CALLSIGN line (and the sent-call column) of the Cabrillo file, as
    // an operator would type it in the header dialog; "" keeps the contestant.
    std::string callsign;
    // Called every few thousand contacts with how many were passed.
    std::function<void(size_t passed, size_t total)> progress;
};

enum class ContactResult { kStored, kDupe, kRefused };

struct ContactOutcome {
    ContactResult result = ContactResult::kRefused;
    std::string findings;  // the engine's lines for this contact, each ending in CR LF
    std::string area;      // the stored record's area (its multiplier), "" when none or refused
};

struct ScoredLog {
    std::string summary;                   // what GetResult0 returns
    ScoreSummary numbers;                  // the same summary's rows, totals and areas
    size_t storedCount = 0;                // the records of the store (the Total row's first number)
    std::vector<ContactOutcome> contacts;  // one per contact, in order
    std::string errorFile;                 // "err.txt" as the plug-in writes it
    std::string cabrillo;                  // the Cabrillo file, when exported
    std::string cabrilloFileName;          // the name the plug-in gives it
};

// The setup `torv score` gives a log: the contestant is `call`, else the
// log's station; a Cabrillo log keeps its CALLSIGN; the period is the one
// given, else the dates of the first and last contact.
ScoringSetup scoringSetupFor(const LogFile& log, const std::string& call, const std::optional<DateTimeArg>& start,
                             const std::optional<DateTimeArg>& end);

// Scores the contacts. Contacts without an own call take the contestant's.
ScoredLog scoreLog(const std::vector<LogContact>& contacts, const ScoringSetup& setup);

// How many lines of the findings end in each of the engine's messages.
struct FindingCounts {
    size_t noContestBand = 0;
    size_t noTestMode = 0;
    size_t noRxNumber = 0;
    size_t areaNotAcceptable = 0;
    size_t dupe = 0;
};
FindingCounts countFindings(const std::string& errorFile);
