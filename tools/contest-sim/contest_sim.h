// Synthetic contests for the cross-check's tests and benchmarks: stations
// and the contacts they really made, then each station's log as it would
// arrive, with known faults injected (the other side never logged it, calls
// miscopied by one letter, swapped letters or two of the mode's confusions,
// also from stations that sent no log, exchanges miscopied, by one log or
// the same wrong copy by several, a re-work hours after a bust, mobile
// stations and ones of two exchanges, one-off stations near frequent
// calls, each side's time a minute or two off, clocks off
// by minutes, hours or a day, duplicates a few minutes from the contact,
// refused bands and modes, bands the contest does not count, contacts
// outside the contest period, single-band entrants working other bands,
// stations that send no log), and what the cross-check must make of every
// line. Categories are in the contest's own words.
//
// Everything is deterministic for a seed, on every platform: the generator
// draws from its own random source, not from the standard distributions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crosscheck/crosscheck.h"

namespace torv::contestsim {

struct SimOptions {
    uint64_t seed = 1;
    int stations = 60;        // stations on the air
    int contacts = 3000;      // contacts really made
    int casualStations = 12;  // more stations that make one or two contacts, most of them sending no log
    double casualSubmitShare = 0.3;
    double silentShare = 0.1;       // stations that send no log
    double adifShare = 1.0 / 7;     // logs sent as ADIF rather than Cabrillo
    double clockOffShare = 0.1;     // logs whose clock is off by 2 to 10 minutes
    double wholeHoursShare = 0.03;  // logs whose clock is off by whole hours or a day (and up to 5 minutes)
    double singleBandShare = 0.1;   // stations on one band only (their category says so)
    double checkLogShare = 0.02;    // logs sent as check logs (category CHECKLOG), not to be ranked
    int jitterMinutes = 2;          // each side's time is off by up to this, either way
    // Per contact, at most one of these faults.
    double nilRate = 0.03;
    double bustedCallRate = 0.02;
    double bustedExchangeRate = 0.02;
    double dupeRate = 0.01;
    double refusedRate = 0.01;
    double offBandRate = 0.01;      // on 6 m, 60 m or no band at all
    double outOfPeriodRate = 0.01;  // minutes to an hour outside the contest period
    double otherBandRate = 0.05;    // of a single-band station's contacts, those on another band
    // Of the busted calls between two logs, those the same two stations
    // work again hours later (the other side's second contact a duplicate).
    double reworkShare = 0.2;
    // Stations that send no log: mobile ones that change state halfway,
    // and ones that send a category word part of the time.
    double mobileShare = 0.15;
    double twoExchangesShare = 0.15;
    // Casual stations whose call is near a regular station's.
    double nearCasualShare = 0.3;
    // The committee's decisions on this many lines (one of them decided
    // twice, the later row counting), and then four rows it must leave
    // aside: a call with no log, a duplicate's line, a line that is no QSO
    // line, an unknown status. None when 0.
    int decisions = 0;
    // ADIF logs carry no category: true when the committee's list of
    // categories (categoriesCsv) gives theirs to the check, false when a
    // single-band ADIF entrant is checked as ALL.
    bool categoriesListed = true;
    // Per log: the claimed score is left out, or is off.
    double claimMissingShare = 0.05;
    double claimWrongShare = 0.05;
    // The contest period: contacts are made within it, at least a quarter
    // of an hour from its ends, but for those injected outside it.
    int64_t startMinute = 29557440;  // 2026-03-14 00:00 UTC, in minutes since 1970
    int durationMinutes = 1440;
};

// One QSO line as the log holds it.
struct SimQso {
    int64_t minute = 0;         // as logged: the true time, plus this side's error, plus the log's clock offset
    uint32_t frequencyKHz = 0;  // 0 for a contact with no band
    std::string band;           // "40m", as the engine sees it; "" for none
    std::string mode;           // "CW", "SSB" or "RTTY", as the engine sees it
    torv::crosscheck::EngineResult engine = torv::crosscheck::EngineResult::kStored;  // what the engine makes of it
    std::string call;
    std::string exchangeSent;
    std::string exchangeReceived;
    // What the cross-check must say: the status word and the counterpart's
    // call ("" when it has none).
    std::string expectedStatus;
    std::string expectedOther;
};

struct SimLog {
    std::string call;
    bool adif = false;
    std::string categoryOperator;  // one of the contest's: "SINGLE-OP A", "MULTI-OP", "YL", "CHECKLOG", ...
    std::string categoryBand;      // "ALL" or one contest band ("40M")
    std::string categoryPower;     // "HIGH", "LOW" or "QRP"
    int clockOffset = 0;           // minutes the log's clock is ahead, whole hours included
    int wholeHours = 0;            // the whole hours of clockOffset
    // The CLAIMED-SCORE header: the log's true score, another number, or none.
    bool claimPresent = true;
    int64_t claimedScore = 0;
    bool claimWrong = false;
    std::vector<SimQso> qsos;  // in file order (logged time)
};

struct SimContest {
    std::vector<SimLog> logs;
    std::vector<std::string> silentStations;
    int64_t startMinute = 0;  // the contest period, both ends included
    int64_t endMinute = 0;
    bool categoriesListed = true;  // SimOptions::categoriesListed
    // The committee's decisions file (call,line,status,note), "" when none;
    // the expectations follow its rows.
    std::string decisionsCsv;
    size_t badDecisionRows = 0;         // rows the check leaves aside once it knows the logs
    size_t unreadableDecisionRows = 0;  // rows its reader leaves aside
};

// The stations, their contacts and every submitted log with its faults and
// the verdict expected of each line, the contest period given to the check.
// A contact carries at most one fault, and faults are injected only where
// their verdict is certain: a busted call only when the station really
// worked sent a log; no two logs with whole-hour errors work each other;
// and every log keeps more than half of the contacts its clock is
// estimated from exact (both sides' errors equal, the other's clock right
// to the minute), so that the median finds every clock exactly.
SimContest generateContest(const SimOptions& options);

// "call,operator,band,power,mode" and a row for each ADIF log: the
// committee's list of the categories ADIF cannot carry.
std::string categoriesCsv(const SimContest& contest);

// A contest of about `lines` QSO lines in all, over about lines / 500 logs
// (a quarter more stations making a contact or two), for benchmarks.
SimOptions optionsForLines(int64_t lines);

// The logs as the cross-check takes them, without reading or scoring: the
// engine's verdicts (refused, duplicate) are the ones the generator expects,
// the category bands those of the headers and the list.
std::vector<torv::crosscheck::SubmittedLog> submittedLogs(const SimContest& contest);

// The log as a Cabrillo 3.0 file (TORV's QSO layout, CR LF line ends) or as
// an ADIF file (one record per line), with the file name it goes by
// ("PY2AAA.cbr", "PY2AAA_P.adi").
std::string cabrilloText(const SimLog& log);
std::string adifText(const SimLog& log);
std::string logText(const SimLog& log);
std::string fileName(const SimLog& log);

// The line of the file that holds the log's i-th contact (1-based).
uint32_t qsoLine(const SimLog& log, size_t i);

// "2026-03-14 1205" style parts of a minute since 1970.
std::string dateText(int64_t minute, bool adif);
std::string timeText(int64_t minute);

}  // namespace torv::contestsim
