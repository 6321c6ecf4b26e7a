// The contest committee's cross-check: every submitted log held against the
// others, contact by contact. Pure functions over parsed logs; reading the
// files and scoring each log with the engine happen before, writing the
// reports after.
//
// The rules run in this order. A contact's own status comes first and is
// kept whatever the pairs: refused (by the engine, or on no band the
// contest counts), duplicate, outside the contest period, on another band
// than a single-band entrant's. Each log's clock offset is estimated from
// the pairs found on its logged times with a wide window, whole hours
// (a time zone or a date set wrong) before minutes. Pairs are formed on the
// corrected times, contacts the engine counts first, then any two. Then,
// over the whole contest: unpaired contacts are tried as busted calls of a
// station near the call logged that logged this one (the other log's
// evidence); a counted contact still without a pair takes over the pair of
// a duplicate twin logged within the window of it; each side is judged for
// itself; a unique call near a call the contest's logs hold often, heard on
// the band within the hour and sending the exchange received, is a busted
// copy of it (the call history); a contact with a station that sent no log
// is held against what the other logs received from it (the consensus);
// a NIL is unverified when the other log has a line there that could not
// be read. The committee's decisions come last. "A log holds a call": one
// of its QSO lines that is not refused logs it.
//
// Built for the largest contests: calls are interned once, contacts are
// indexed by (caller, worked call, band, mode) with sorted times, and the
// per-contact work allocates nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/compact_text.h"
#include "engine/contact_outcome.h"
#include "engine/contest.h"
#include "logfile/read_fault.h"

namespace torv::crosscheck {

// What the engine made of a contact when the log was scored alone.
enum class EngineResult : uint8_t { kStored, kRefused, kDupe };

// The verdict on one contact. Its words are the contest descriptor's
// (contest::kCheckStatusWords), which this order indexes.
enum class QsoStatus : uint8_t {
    kConfirmed,
    kBustedExchange,
    kBustedCall,
    kNil,
    kUnique,
    kUnverified,
    kRefused,      // by the engine, or on no band the contest counts
    kDupe,         // by the engine
    kOutOfPeriod,  // made outside the contest period, by the corrected time
    kOtherBand,    // a single-band entrant's contact on another band
    kUnreadable,   // a QSO line that could not be read: never a LogQso's verdict
};
constexpr int kStatusCount = 11;

// The status's word: "CONFIRMED", "BUSTED-EXCHANGE", "BUSTED-CALL", "NIL",
// "UNIQUE", "UNVERIFIED", "REFUSED", "DUPE", "OUT-OF-PERIOD", "OTHER-BAND",
// "UNREADABLE".
const char* statusWord(QsoStatus status);

// One QSO line of a log. A contest holds a million of them at once, so the
// texts are CompactText (eight bytes each, short texts in place) and the
// fields are ordered to leave no padding but two bytes: 64 bytes a line.
struct LogQso {
    uint32_t line = 0;  // 1-based line (or record) number in its file
    EngineResult engine = EngineResult::kStored;
    // The engine's finding that decided a refused or duplicate contact;
    // meaningless for a stored one.
    engine::FindingCode finding = engine::FindingCode::kNoContestBand;
    int64_t minute = 0;  // minutes since 1970-01-01 00:00 UTC, as logged
    CompactText call;    // the call worked, as logged
    CompactText band;    // "40m"
    CompactText mode;    // "CW", "SSB", ...
    CompactText exchangeSent;
    CompactText exchangeReceived;
    CompactText area;  // the area the engine gave a stored contact (its multiplier), "" for none
};

// A QSO line of a log that could not be read, with what can still be read
// of it. The rules leave it aside; the reports list it.
struct UnreadableQso {
    uint32_t line = 0;
    logfile::ReadFault fault;       // why it cannot be read
    std::string call;               // the call worked, "" when it cannot be read
    std::optional<int64_t> minute;  // minutes since 1970, when the date and time can be read
};

// One submitted log. Calls are compared in upper case; a caller hands in
// logs of distinct calls (two logs of one call: the first one counts, the
// other's contacts are never anybody's counterpart).
struct SubmittedLog {
    std::string call;
    std::vector<LogQso> qsos;
    std::vector<UnreadableQso> unreadable;  // in line order
    // The entrant's category band as given ("40M", "ALL"; from the log's
    // CATEGORY-BAND or the committee's list), "" when none is.
    std::string categoryBand = {};
};

// The word of an unreadable line in the reports.
inline constexpr const char* kUnreadableWord =
    engine::contest::kCheckStatusWords[static_cast<size_t>(QsoStatus::kUnreadable)];

// The contest period, minutes since 1970-01-01 00:00 UTC, both ends included.
struct Period {
    std::optional<int64_t> start;
    std::optional<int64_t> end;
    // True when the minute lies before the start or after the end.
    bool excludes(int64_t minute) const { return (start && minute < *start) || (end && minute > *end); }
};

// One decision of the committee: the final status of the QSO line `line`
// (its line number in its file, as qsos.csv gives it) in the log of `call`.
struct Decision {
    std::string call;  // upper case
    uint32_t line = 0;
    QsoStatus status = QsoStatus::kConfirmed;  // one a line can be decided to: kDecidableStatuses
    std::string note;
    uint32_t row = 0;  // its line in the decisions file
};

// The statuses the committee may decide a line to.
inline constexpr std::array kDecidableStatuses = {
    QsoStatus::kConfirmed, QsoStatus::kBustedCall, QsoStatus::kBustedExchange, QsoStatus::kNil,
    QsoStatus::kUnique,    QsoStatus::kUnverified, QsoStatus::kRefused};

// The committee's decisions file (`torv check --overrides FILE`), as read
// (decisions.h): its rows in file order and what was wrong in it.
struct DecisionsFile {
    std::string name;  // the file as given, for the reports
    std::vector<Decision> rows;
    std::vector<std::string> problems;  // "line 4: ...; left aside", one sentence each
};

struct CheckOptions {
    int windowMinutes = 5;         // the widest time difference of a pair, corrected times
    int offsetWindowMinutes = 30;  // the same for the clock-offset estimate, logged times
    Period period;                 // contacts outside it (corrected times) are OUT-OF-PERIOD
    DecisionsFile decisions;       // applied after every rule
};

// What an entrant's category band means to the check. A value that starts
// with a digit names a band ("40M", "160M", "6M", "432", "1.2G"); an entrant
// is single-band when that band is one the contest counts, else it is
// checked as ALL.
struct CategoryBand {
    std::string band;          // the band named, as contacts spell it ("40m", "432"); "" for ALL or none
    bool contestBand = false;  // the band is one the contest counts
};
CategoryBand categoryBandOf(std::string_view categoryBand);

// The verdict on one contact and, when it has one, its counterpart: the
// contact it is paired with (also for refused and duplicate contacts), or
// for a busted call the contact of the station it really was.
struct QsoVerdict {
    QsoStatus status = QsoStatus::kConfirmed;
    bool decided = false;   // the committee decided the status (LogVerdict::decisions)
    int32_t otherLog = -1;  // index into the logs, -1 when unpaired
    uint32_t otherQso = 0;  // index into that log's contacts
    // UNVERIFIED for want of the other log's line: that line, which could
    // not be read; else 0.
    uint32_t unreadableLine = 0;
    // What the verdict rests on beyond a pair: 1 + its index in
    // LogVerdict::evidence, 0 for nothing.
    uint32_t evidence = 0;
};

// The evidence of the rules that look past the other station's log.
enum class EvidenceKind : uint8_t {
    kCallHistory,   // BUSTED-CALL: `call` is held by `count` logs, the logged call by `total` (1)
    kLoneCopy,      // BUSTED-EXCHANGE: `count` of `total` logs received `exchange` from `call`, no other this
    kAsConsensus,   // UNVERIFIED: as `count` of `total` logs received from `call`
    kMinorityCopy,  // UNVERIFIED: `count` of `total` logs received `exchange`, other logs this one too
};
struct Evidence {
    EvidenceKind kind = EvidenceKind::kCallHistory;
    int32_t callLog = -1;  // the log `call` sent, -1 when it sent none
    uint32_t count = 0;
    uint32_t total = 0;
    CompactText call;
    CompactText exchange;  // the consensus exchange
};

// A decision of the committee as applied to a line.
struct AppliedDecision {
    uint32_t qso = 0;                            // the contact's index in its log
    QsoStatus replaced = QsoStatus::kConfirmed;  // the status the rules gave it
    uint32_t row = 0;                            // the decisions file's line
    std::string note;
};

struct LogVerdict {
    int32_t offsetMinutes = 0;  // logged minus true time, subtracted before pairing
    // The whole hours of offsetMinutes, when the log's clock was found off
    // by hours or days (a time zone or a date set wrong); else 0.
    int32_t wholeHours = 0;
    uint32_t offsetPairs = 0;      // the pairs the estimate rests on
    std::vector<QsoVerdict> qsos;  // one per contact, in the log's order
    std::vector<Evidence> evidence;
    std::vector<AppliedDecision> decisions;  // by contact
};

// The evidence of a verdict, or nullptr.
inline const Evidence* evidenceOf(const LogVerdict& log, const QsoVerdict& v) {
    return v.evidence == 0 ? nullptr : &log.evidence[v.evidence - 1];
}
// The decision applied to contact q, or nullptr.
const AppliedDecision* decisionOf(const LogVerdict& log, uint32_t q);

// The call of a verdict's counterpart, "" for none: the other log's call;
// for a busted call the call history found, or a busted exchange against a
// consensus, that call (which may have sent no log).
std::string otherCallOf(const std::vector<SubmittedLog>& logs, const LogVerdict& verdict, const QsoVerdict& v);

// Why a row of the decisions file was left aside once the logs were known.
enum class DecisionProblemKind : uint8_t {
    kNoLog,      // no log of the call was checked
    kNoQsoLine,  // the line is no QSO line of the log
    kOwnStatus,  // the line has a status of its own (REFUSED, DUPE, OUT-OF-PERIOD, OTHER-BAND, UNREADABLE)
};
struct DecisionProblem {
    uint32_t row = 0;
    DecisionProblemKind kind = DecisionProblemKind::kNoLog;
    std::string call;
    uint32_t line = 0;
    QsoStatus own = QsoStatus::kRefused;  // kOwnStatus: that status
};

// The verdicts and the rows of the decisions file left aside.
struct CrossCheckResult {
    std::vector<LogVerdict> verdicts;
    std::vector<DecisionProblem> decisionProblems;
};

// Offsets of this size or more are worth telling the entrant about.
constexpr int kReportedOffsetMinutes = 2;

// Runs every rule over the logs, the committee's decisions last; the result
// has one LogVerdict per log, in the same order.
CrossCheckResult checkContest(const std::vector<SubmittedLog>& logs, const CheckOptions& options);
// The same, the verdicts alone.
std::vector<LogVerdict> crossCheck(const std::vector<SubmittedLog>& logs, const CheckOptions& options);

// True when one call is one edit from the other: one character replaced,
// added or dropped, or a portable suffix ("/P", "/QRP", "/5") added or
// dropped. Equal calls are not one edit apart. Exact comparison: callers
// pass upper-case calls.
bool oneEditApart(std::string_view a, std::string_view b);

// How a logged call is near a real one, for a contact of a mode: one edit
// (oneEditApart), two neighbouring characters swapped, or exactly two
// characters each one the mode's operators confuse with the other
// (engine::contest::confusable). Swaps and confusions are looked for in
// calls of at most kLongestNearCall characters; no call is that long.
enum class NearKind : uint8_t { kNone, kOneEdit, kSwapped, kConfused };
constexpr size_t kLongestNearCall = 16;
struct Nearness {
    NearKind kind = NearKind::kNone;
    uint8_t differences = 0;       // 1 for one edit, 2 for the others: the second key of the busted-call ties
    std::array<char, 2> logged{};  // swapped or confused: the two characters logged, in call order
    std::array<char, 2> real{};    // and those of the real call
};
// A pair both swapped and confused counts as swapped. Exact comparison:
// callers pass upper-case calls.
Nearness nearness(std::string_view logged, std::string_view real, std::string_view mode);

// Upper case, blanks trimmed: how exchanges and calls are compared, the
// area rules' normalisation (normalisedExchange).
std::string normalised(std::string_view text);

// The short explanation of a verdict for the contact q of log `self`:
//   CONFIRMED          ""
//   BUSTED-EXCHANGE    "logged SP, PY2AAA sent RJ", "logged RJ; 14 of 15 logs received SP from PY2XYZ"
//   BUSTED-CALL        "logged PY2AAB, was PY2AAA", "logged PY5HAK, was PY5SAN (CW: H for S, K for N)",
//                      "logged PY2ABD, was PY2ABC; found by the call history: PY2ABD: 1 log; PY2ABC: 14 logs"
//   NIL                "not in PY2AAA's log"
//   UNIQUE             "PY2XYZ sent no log and is in no other log"
//   UNVERIFIED         "PY2XYZ sent no log", "the other log's line 17 could not be read",
//                      "PY2XYZ sent no log; as 14 of 15 logs"
//   REFUSED            the engine's finding, or "no contest band"
//   DUPE               the engine's finding
//   OUT-OF-PERIOD      "outside the contest period"
//   OTHER-BAND         "on 20m, not the entrant's category band"
// and for a line the committee decided on, "decided by the committee: NOTE".
std::string verdictDetail(const std::vector<SubmittedLog>& logs, const std::vector<LogVerdict>& verdicts, size_t self,
                          size_t q);

}  // namespace torv::crosscheck
