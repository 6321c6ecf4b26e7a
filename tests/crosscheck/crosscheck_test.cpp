#include "crosscheck/crosscheck.h"

#include <gtest/gtest.h>

#include "support/test_names.h"

namespace torv::crosscheck {
namespace {

// 14 March 2026, 00:00 UTC, in minutes since 1970.
constexpr int64_t kDay = 20526LL * 1440;

int64_t at(int hour, int minute, int day = 0) {
    return kDay + day * 1440 + hour * 60 + minute;
}

LogQso qso(uint32_t line, int64_t minute, const std::string& call, const std::string& sent, const std::string& received,
           const std::string& band = "40m", const std::string& mode = "CW",
           EngineResult engine = EngineResult::kStored) {
    LogQso q;
    q.line = line;
    q.minute = minute;
    q.call = call;
    q.band = band;
    q.mode = mode;
    q.exchangeSent = sent;
    q.exchangeReceived = received;
    q.engine = engine;
    if (engine == EngineResult::kRefused) {
        q.finding = engine::FindingCode::kNoContestBand;
    } else if (engine == EngineResult::kDupe) {
        q.finding = engine::FindingCode::kDupe;
    }
    return q;
}

LogQso dupe(uint32_t line, int64_t minute, const std::string& call, const std::string& sent,
            const std::string& received) {
    return qso(line, minute, call, sent, received, "40m", "CW", EngineResult::kDupe);
}

class CrossCheck : public ::testing::Test {
protected:
    size_t add(const std::string& call, std::vector<LogQso> qsos, const std::string& categoryBand = "") {
        logs_.push_back({call, std::move(qsos), {}, categoryBand});
        return logs_.size() - 1;
    }
    void run(int window = 5, const Period& period = {}) {
        CheckOptions options;
        options.windowMinutes = window;
        options.period = period;
        verdicts_ = crossCheck(logs_, options);
        ASSERT_EQ(verdicts_.size(), logs_.size());
    }
    // Three more stations work each of these logs on 10m at one minute both
    // sides, so that their clocks are known to agree: a difference within a
    // pair of two small logs would otherwise be taken for clock errors.
    void anchorClocks(const std::vector<size_t>& anchored) {
        for (const char* witness : {"PY5WAA", "PY5WBB", "PY5WCC"}) {
            std::vector<LogQso> worked;
            for (size_t log : anchored) {
                const int64_t minute = at(20, static_cast<int>(10 * logs_.size() + log));
                worked.push_back(
                    qso(static_cast<uint32_t>(worked.size() + 1), minute, logs_[log].call, "BA", "SP", "10m", "SSB"));
                logs_[log].qsos.push_back(qso(static_cast<uint32_t>(100 + logs_[log].qsos.size()), minute, witness,
                                              "SP", "BA", "10m", "SSB"));
            }
            add(witness, std::move(worked));
        }
    }
    QsoStatus status(size_t log, size_t q) const { return verdicts_[log].qsos[q].status; }
    // The counterpart's call and line, "" when unpaired.
    std::string other(size_t log, size_t q) const {
        const QsoVerdict& v = verdicts_[log].qsos[q];
        if (v.otherLog < 0) {
            return "";
        }
        const SubmittedLog& o = logs_[static_cast<size_t>(v.otherLog)];
        return o.call + ":" + std::to_string(o.qsos[v.otherQso].line);
    }
    std::string detail(size_t log, size_t q) const { return verdictDetail(logs_, verdicts_, log, q); }
    // Status word, counterpart and detail in one text: "CONFIRMED PY2BBB:7 ".
    std::string verdict(size_t log, size_t q) const {
        return std::string(statusWord(status(log, q))) + " " + other(log, q) + " " + detail(log, q);
    }

    std::vector<SubmittedLog> logs_;
    std::vector<LogVerdict> verdicts_;
};

// What a scenario expects of one contact: its status word, its counterpart
// ("PY2BBB:7", "" for none) and its detail; nullptr where it does not look.
struct ExpectedVerdict {
    size_t log;
    size_t q;
    const char* status;
    const char* other = nullptr;
    const char* detail = nullptr;
};

// What a scenario expects of one log's clock; pairs -1 where it does not look.
struct ExpectedClock {
    size_t log;
    int32_t offsetMinutes;
    int64_t pairs = -1;
};

// A few logs checked together and what becomes of their contacts.
struct Scenario {
    const char* name;
    std::vector<SubmittedLog> logs;
    std::vector<ExpectedVerdict> verdicts;
    std::vector<ExpectedClock> clocks = {};
    std::vector<size_t> anchored = {};  // logs whose clocks anchorClocks ties
    int window = 5;
    Period period = {};
};

SubmittedLog log(const char* call, std::vector<LogQso> qsos, const char* categoryBand = "") {
    return {call, std::move(qsos), {}, categoryBand};
}

std::vector<Scenario> scenarios() {
    const char* const notInB = "not in PY2BBB's log";
    return {
        {"BothSidesLoggedIsConfirmedBothWays",
         {log("PY2AAA", {qso(5, at(12, 0), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(7, at(12, 1), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED", "PY2BBB:7", ""}, {1, 0, "CONFIRMED", "PY2AAA:5"}}},
        // Received " sp " normalises to what A sent.
        {"EachSideOfAPairIsJudgedForItself",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "MG")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", " sp ")})},
         {{0, 0, "BUSTED-EXCHANGE", "PY2BBB:1", "logged MG, PY2BBB sent RJ"}, {1, 0, "CONFIRMED"}}},
        {"CallsAreComparedInUpperCase",
         {log("py2aaa", {qso(1, at(12, 0), "py2bbb", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED"}, {1, 0, "CONFIRMED"}}},
        {"APairAcrossTheDayBoundary",
         {log("PY2AAA", {qso(1, at(23, 58), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(0, 2, 1), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED"}, {1, 0, "CONFIRMED"}}},
        // 15m: one in CW, the other in SSB.
        {"TheSameTwoStationsOnTwoBandsPairPerBand",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "40m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", "20m"),
                         qso(3, at(12, 2), "PY2BBB", "SP", "RJ", "15m")}),
          log("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "SP", "20m"), qso(2, at(12, 0), "PY2AAA", "RJ", "SP", "40m"),
                         qso(3, at(12, 2), "PY2AAA", "RJ", "SP", "15m", "SSB")})},
         {{0, 0, nullptr, "PY2BBB:2"}, {0, 1, nullptr, "PY2BBB:1"}, {0, 2, "NIL", nullptr, notInB}, {1, 2, "NIL"}}},
        {"ACountedContactPairsBeforeANearerDuplicate",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 3), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 2), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED", "PY2BBB:1", ""}, {0, 1, "DUPE", "", "duplicate"}, {1, 0, "CONFIRMED", "PY2AAA:1", ""}}},
        // A contact the engine refused (here for want of an exchange) is no
        // duplicate twin: nothing can take its pair over, so only the first
        // round keeps the counted contact from losing to it.
        {"ACountedContactPairsBeforeANearerRefusedOne",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"),
                         qso(2, at(12, 3), "PY2BBB", "SP", "", "40m", "CW", EngineResult::kRefused)}),
          log("PY2BBB", {qso(1, at(12, 2), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED", "PY2BBB:1", ""}, {0, 1, "REFUSED", ""}, {1, 0, "CONFIRMED", "PY2AAA:1", ""}},
         {},
         {0, 1}},
        // Two logs of one call: the first counts; the second's contacts are
        // nobody's counterpart, not even as a busted call, and its own
        // contacts still get verdicts.
        {"ASecondLogOfACallIsNobodysCounterpart",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")}),
          log("PY2AAA", {qso(1, at(13, 0), "PY2BBX", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP"), qso(2, at(13, 0), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED", "PY2BBB:1", ""},
          {2, 0, "CONFIRMED", "PY2AAA:1", ""},
          {2, 1, "NIL", ""},
          {1, 0, nullptr, ""}}},
        // The duplicate alone is within the window; the contact it repeats takes its pair.
        {"ACountedContactTakesOverThePairOfItsDuplicate",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 4), "PY2BBB", "SP", "MG")}),
          log("PY2BBB", {qso(1, at(12, 6), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED", "PY2BBB:1", ""}, {0, 1, "DUPE", "", "duplicate"}, {1, 0, "CONFIRMED", "PY2AAA:1", ""}},
         {},
         {0, 1}},
        // Both twins are within the window of line 1; line 3 pairs first (3
        // minutes from B's dupe), line 2 with B's line 1; line 1 takes over the
        // pair of line 2, its nearer twin.
        {"ATakeoverTakesTheNearestTwinThatHasAPair",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 4), "PY2BBB", "SP", "RJ"),
                         dupe(3, at(12, 5), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 9), "PY2AAA", "RJ", "SP"), dupe(2, at(12, 8), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "CONFIRMED", "PY2BBB:1", ""},
          {0, 1, "DUPE", "", "duplicate"},
          {0, 2, "DUPE", "PY2BBB:2", "duplicate"},
          {1, 0, "CONFIRMED", "PY2AAA:1", ""},
          {1, 1, "DUPE", "PY2AAA:3", "duplicate"}},
         {},
         {0, 1}},
        // A twin logged 8 hours later is another contact, not the same one
        // entered twice: the counted contact is judged unpaired.
        {"NoTakeoverBeyondTheWindow",
         {log("PY2AAA", {qso(1, at(3, 14), "PY2BBB", "SP", "RJ"), dupe(2, at(11, 42), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(11, 42), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "NIL", "", notInB}, {0, 1, "DUPE", "PY2BBB:1"}, {1, 0, "CONFIRMED", "PY2AAA:2"}}},
        // The counted contact of PP4FMO at 03:14 stays the pair of the busted
        // call at 03:15; its duplicate keeps the re-work at 11:42.
        {"AReworkAfterABustKeepsBothPairs",
         {log("PP4FMO", {qso(1, at(3, 14), "PY2AAA", "SP", "RJ"), dupe(2, at(11, 42), "PY2AAA", "SP", "RJ")}),
          log("PY2AAA", {qso(1, at(3, 15), "PP4FMP", "RJ", "SP"), qso(2, at(11, 42), "PP4FMO", "RJ", "SP")})},
         {{1, 0, "BUSTED-CALL", "PP4FMO:1", "logged PP4FMP, was PP4FMO"},
          {0, 0, "CONFIRMED", "PY2AAA:1", ""},
          {1, 1, "CONFIRMED", "PP4FMO:2", ""},
          {0, 1, "DUPE", "PY2AAA:2", "duplicate"}}},
        // C is near B and logged A at the minute of the twin: the busted call
        // comes first, and a twin it paired keeps its pair.
        {"ATwinPairedAsABustedCallKeepsItsPair",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 2), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(15, 0), "PY2DDD", "RJ", "BA")}),
          log("PY2BBC", {qso(1, at(12, 2), "PY2AAA", "MG", "SP")})},
         {{0, 0, "NIL", "", notInB}, {0, 1, "DUPE", "PY2BBC:1"}, {2, 0, "CONFIRMED", "PY2AAA:2"}},
         {},
         {0, 2}},
        {"ABustedCallComesBeforeTheDuplicateTakeover",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 4), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 6), "PY2AAA", "RJ", "SP")}),
          log("PY2BBC", {qso(1, at(12, 5), "PY2AAA", "MG", "SP")})},
         {{0, 0, "BUSTED-CALL", "PY2BBC:1", "logged PY2BBB, was PY2BBC"},
          {0, 1, "DUPE", "PY2BBB:1", "duplicate"},
          {2, 0, "CONFIRMED", "PY2AAA:1"}},
         {},
         {0, 1, 2}},
        // PY2AAA sorts first: of its two contacts two minutes from B's, line 3 wins.
        {"ATieGoesToTheEarlierLineOfTheCallThatSortsFirst",
         {log("PY2AAA", {qso(3, at(12, 0), "PY2BBB", "SP", "RJ"), qso(9, at(12, 4), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(4, at(12, 2), "PY2AAA", "RJ", "SP")})},
         {{1, 0, nullptr, "PY2AAA:3"}, {0, 1, "NIL"}}},
        // The log whose call sorts later holds the two equally near contacts.
        {"ATieInTheOtherLogGoesToItsEarlierLine",
         {log("PY2BBB", {qso(8, at(12, 4), "PY2AAA", "RJ", "SP"), qso(2, at(12, 0), "PY2AAA", "RJ", "SP")}),
          log("PY2AAA", {qso(1, at(12, 2), "PY2BBB", "SP", "RJ")})},
         {{1, 0, nullptr, "PY2BBB:2"}, {0, 0, "NIL"}}},
        {"RefusedContactsPairButKeepTheirStatus",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "30m", "CW", EngineResult::kRefused)}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP", "30m", "CW", EngineResult::kRefused)})},
         {{0, 0, "REFUSED", "PY2BBB:1"}, {1, 0, "REFUSED", nullptr, "no contest band"}}},
        // A's clock runs 10 minutes ahead; B, C and D agree with each other.
        {"AClockOffIsEstimatedAndCorrected",
         {log("PY2AAA", {qso(1, at(12, 10), "PY2BBB", "SP", "RJ"), qso(2, at(12, 30), "PY2CCC", "SP", "MG"),
                         qso(3, at(12, 50), "PY2DDD", "SP", "BA")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP"), qso(2, at(13, 0), "PY2CCC", "RJ", "MG"),
                         qso(3, at(13, 10), "PY2DDD", "RJ", "BA")}),
          log("PY2CCC", {qso(1, at(12, 20), "PY2AAA", "MG", "SP"), qso(2, at(13, 0), "PY2BBB", "MG", "RJ"),
                         qso(3, at(13, 20), "PY2DDD", "MG", "BA")}),
          log("PY2DDD", {qso(1, at(12, 40), "PY2AAA", "BA", "SP"), qso(2, at(13, 10), "PY2BBB", "BA", "RJ"),
                         qso(3, at(13, 20), "PY2CCC", "BA", "MG")})},
         {{0, 0, "CONFIRMED"},
          {0, 1, "CONFIRMED"},
          {0, 2, "CONFIRMED"},
          {1, 0, "CONFIRMED"},
          {1, 1, "CONFIRMED"},
          {1, 2, "CONFIRMED"},
          {2, 0, "CONFIRMED"},
          {2, 1, "CONFIRMED"},
          {2, 2, "CONFIRMED"},
          {3, 0, "CONFIRMED"},
          {3, 1, "CONFIRMED"},
          {3, 2, "CONFIRMED"}},
         {{0, 10, 3}, {1, 0}, {2, 0}, {3, 0}}},
        // A runs 6 minutes ahead against B and C; D's one contact is with A.
        {"ASmallLogIsNotPulledOffByABigLogsClock",
         {log("PY2AAA", {qso(1, at(12, 6), "PY2BBB", "SP", "RJ"), qso(2, at(12, 36), "PY2CCC", "SP", "MG"),
                         qso(3, at(13, 6), "PY2DDD", "SP", "BA")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP"), qso(2, at(14, 0), "PY2CCC", "RJ", "MG")}),
          log("PY2CCC", {qso(1, at(12, 30), "PY2AAA", "MG", "SP"), qso(2, at(14, 0), "PY2BBB", "MG", "RJ")}),
          log("PY2DDD", {qso(1, at(13, 0), "PY2AAA", "BA", "SP")})},
         {{0, 2, "CONFIRMED"}, {3, 0, "CONFIRMED"}},
         {{0, 6}, {3, 0}},
         {},
         3},
        {"AnEvenNumberOfDifferencesTakesTheMeanOfTheMiddleTwo",
         {log("PY2AAA", {qso(1, at(12, 4), "PY2BBB", "SP", "RJ"), qso(2, at(13, 8), "PY2CCC", "SP", "MG")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")}),
          log("PY2CCC", {qso(1, at(13, 0), "PY2AAA", "MG", "SP")})},
         {},
         {{0, 6}}},
        // Outside, yet the other station's contact in the period is confirmed by it.
        {"ThePeriodHoldsForTheCorrectedTimesBothEndsIncluded",
         {log("PY2AAA", {qso(1, at(11, 59), "PY2BBB", "SP", "RJ"), qso(2, at(12, 0), "PY2CCC", "SP", "MG"),
                         qso(3, at(14, 0), "PY2DDD", "SP", "BA"), qso(4, at(14, 1), "PY2EEE", "SP", "RS"),
                         dupe(5, at(14, 3), "PY2EEE", "SP", "RS")}),
          log("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "SP")}),
          log("PY2CCC", {qso(1, at(12, 0), "PY2AAA", "MG", "SP")}),
          log("PY2DDD", {qso(1, at(14, 0), "PY2AAA", "BA", "SP")}),
          log("PY2EEE", {qso(1, at(14, 1), "PY2AAA", "RS", "SP")})},
         {{0, 0, "OUT-OF-PERIOD", "PY2BBB:1", "outside the contest period"},
          {1, 0, "CONFIRMED", "PY2AAA:1", ""},
          {0, 1, "CONFIRMED"},
          {0, 2, "CONFIRMED"},
          {0, 3, "OUT-OF-PERIOD"},
          {0, 4, "DUPE"}},
         {},
         {0, 1},
         5,
         Period{at(12, 0), at(14, 0)}},
        // They pair among themselves, as the engine's refusals do.
        {"OnlyTheContestBandsCount",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "6m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", ""),
                         qso(3, at(12, 2), "PY2BBB", "SP", "RJ", "60m"),
                         qso(4, at(12, 3), "PY2BBB", "SP", "RJ", "6m", "CW", EngineResult::kDupe)}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP", "6m")})},
         {{0, 0, "REFUSED", "PY2BBB:1", "no contest band"},
          {1, 0, "REFUSED", "PY2AAA:1", "no contest band"},
          {0, 1, "REFUSED", "", "no contest band"},
          {0, 2, "REFUSED", "", "no contest band"},
          {0, 3, "REFUSED", "", "no contest band"}}},
        // Outside the period and on another band: outside wins; refused and
        // duplicate win over both.
        {"TheOwnStatusesComeInTheirOrder",
         {log("PY2AAA",
              {qso(1, at(11, 0), "PY2BBB", "SP", "RJ", "20m"),
               qso(2, at(11, 1), "PY2BBB", "SP", "RJ", "20m", "CW", EngineResult::kDupe),
               qso(3, at(11, 2), "PY2BBB", "SP", "RJ", "2m", "CW", EngineResult::kDupe),
               qso(4, at(11, 3), "PY2BBB", "SP", "RJ", "30m", "CW", EngineResult::kRefused),
               qso(5, at(12, 30), "PY2BBB", "SP", "RJ", "15m")},
              "40M")},
         {{0, 0, "OUT-OF-PERIOD", "", "outside the contest period"},
          {0, 1, "DUPE", "", "duplicate"},
          {0, 2, "REFUSED", "", "no contest band"},
          {0, 3, "REFUSED", "", "no contest band"},
          {0, 4, "OTHER-BAND", "", "on 15m, not the entrant's category band"}},
         {},
         {},
         5,
         Period{at(12, 0), std::nullopt}},
        // Line 17 stands for one contact, the nearer; line 18 is too far, 19
        // names another station, 20 has no time.
        {"AnUnreadableLineOfTheOtherLogLeavesAContactUnverified",
         {log("PY2AAA",
              {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "40m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", "20m"),
               qso(3, at(13, 0), "PY2BBB", "SP", "RJ", "15m"), qso(4, at(14, 0), "PY2BBB", "SP", "RJ", "10m")}),
          {"PY2BBB",
           {qso(1, at(9, 0), "PY2CCC", "RJ", "MG")},
           {{17, {logfile::ReadFaultKind::kOther, "no RST", {}}, "py2aaa", at(12, 1)},
            {18, {logfile::ReadFaultKind::kOther, "no RST", {}}, "PY2AAA", at(13, 6)},
            {19, {logfile::ReadFaultKind::kOther, "no RST", {}}, "PY2AAB", at(14, 0)},
            {20, {logfile::ReadFaultKind::kNoDate, {}, {}}, "PY2AAA", std::nullopt}}}},
         {{0, 0, "NIL", "", notInB},
          {0, 1, "UNVERIFIED", "", "the other log's line 17 could not be read"},
          {0, 2, "NIL", "", notInB},
          {0, 3, "NIL", "", notInB}}},
        {"ABustedCallPairsWithTheStationItReallyWas",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBC", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "BUSTED-CALL", "PY2BBB:1", "logged PY2BBC, was PY2BBB"}, {1, 0, "CONFIRMED", "PY2AAA:1"}}},
        {"TheRightSideOfABustedCallIsJudgedOnItsExchange",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "MG")})},
         {{0, 0, "BUSTED-CALL"}, {1, 0, "BUSTED-EXCHANGE", nullptr, "logged MG, PY2AAA sent SP"}}},
        {"ABustedCallThatIsItselfASubmittedStation",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBC", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")}),
          log("PY2BBC", {qso(1, at(15, 0), "PY2DDD", "MG", "BA")})},
         {{0, 0, "BUSTED-CALL", "PY2BBB:1"}, {2, 0, "UNIQUE"}}},
        // Exact text: PY2BBB is not PY2BBB/P for the pairs.
        {"APortableSuffixDroppedIsABustedCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB/P", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "BUSTED-CALL", nullptr, "logged PY2BBB, was PY2BBB/P"}, {1, 0, "CONFIRMED"}}},
        {"TwoCwConfusionsAreABustedCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY5HAK", "SP", "PR")}),
          log("PY5SAN", {qso(1, at(12, 0), "PY2AAA", "PR", "SP")})},
         {{0, 0, "BUSTED-CALL", "PY5SAN:1", "logged PY5HAK, was PY5SAN (CW: H for S, K for N)"},
          {1, 0, "CONFIRMED", "PY2AAA:1"}}},
        // H for S and K for N are no confusions of SSB.
        {"TheConfusionsAreTheModes",
         {log("PY2AAA", {qso(1, at(12, 0), "PY5HAK", "SP", "PR", "40m", "SSB")}),
          log("PY5SAN", {qso(1, at(12, 0), "PY2AAA", "PR", "SP", "40m", "SSB")})},
         {{0, 0, "UNIQUE"}, {1, 0, "NIL"}}},
        {"TwoSsbConfusionsAreABustedCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2DBT", "SP", "PR", "20m", "SSB")}),
          log("PY2ABE", {qso(1, at(12, 1), "PY2AAA", "PR", "SP", "20m", "SSB")})},
         {{0, 0, "BUSTED-CALL", "PY2ABE:1", "logged PY2DBT, was PY2ABE (SSB: D for A, T for E)"}}},
        {"SwappedLettersAreABustedCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2DHS", "SP", "RJ", "40m", "SSB")}),
          log("PY2DSH", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP", "40m", "SSB")})},
         {{0, 0, "BUSTED-CALL", "PY2DSH:1", "logged PY2DHS, was PY2DSH (swapped letters)"}}},
        // Two letters swapped that are also a CW confusion (N and K) count as swapped.
        {"ASwapThatIsAlsoAConfusionIsASwap",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2ANK", "SP", "RJ")}),
          log("PY2AKN", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "BUSTED-CALL", nullptr, "logged PY2ANK, was PY2AKN (swapped letters)"}}},
        {"ThreeDifferencesAreNotNear",
         {log("PY2AAA", {qso(1, at(12, 0), "PY5HAK", "SP", "PR")}),
          log("PY5SIN", {qso(1, at(12, 0), "PY2AAA", "PR", "SP")})},
         {{0, 0, "UNIQUE"}, {1, 0, "NIL"}}},
        // Both 2 minutes away: the one-edit candidate before the confused one.
        {"EquallyNearInTimeFewerDifferencesWin",
         {log("PY2AAA", {qso(1, at(12, 0), "PY5SAN", "SP", "PR")}),
          log("PY5SAK", {qso(1, at(12, 2), "PY2AAA", "PR", "SP")}),
          log("PY5HAK", {qso(1, at(11, 58), "PY2AAA", "PR", "SP")})},
         {{0, 0, "BUSTED-CALL", "PY5SAK:1"}, {2, 0, "NIL"}}},
        // Both one edit and 2 minutes away: the candidate whose call sorts first.
        {"EquallyNearThenTheCandidatesCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY5SAN", "SP", "PR")}),
          log("PY5SAP", {qso(1, at(12, 2), "PY2AAA", "PR", "SP")}),
          log("PY5SAK", {qso(1, at(11, 58), "PY2AAA", "PR", "SP")})},
         {{0, 0, "BUSTED-CALL", "PY5SAK:1"}, {1, 0, "NIL"}}},
        // Nearer in time wins over fewer differences.
        {"NearerInTimeBeforeFewerDifferences",
         {log("PY2AAA", {qso(1, at(12, 0), "PY5SAN", "SP", "PR")}),
          log("PY5SAK", {qso(1, at(12, 3), "PY2AAA", "PR", "SP")}),
          log("PY5HAK", {qso(1, at(12, 1), "PY2AAA", "PR", "SP")})},
         {{0, 0, "BUSTED-CALL", "PY5HAK:1"}, {1, 0, "NIL"}}},
        {"NoBustedCallBeyondTheWindow",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBC", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 6), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "UNIQUE"}, {1, 0, "NIL"}}},
        // B has A outside the window; B is not one edit from itself, so A's contact is NIL.
        {"TheStationLoggedIsNeverItsOwnBustedCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(14, 0), "PY2AAA", "RJ", "SP")})},
         {{0, 0, "NIL"}}},
        // PY2AAB is one edit from PY2AAA, but A itself is never C.
        {"ABustedCallIsNotTheLoggersOwnCall",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2AAB", "SP", "RJ"), qso(2, at(12, 0), "PY2AAA", "SP", "RJ")})},
         {{0, 0, "UNIQUE"}, {0, 1, "NIL"}}},
        {"ABustedCallTakesTheNearestCandidate",
         {log("PY2AAA", {qso(1, at(12, 0), "PY2BBX", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(12, 3), "PY2AAA", "RJ", "SP")}),
          log("PY2BBC", {qso(1, at(12, 1), "PY2AAA", "MG", "SP")})},
         {{0, 0, nullptr, "PY2BBC:1"}, {2, 0, "CONFIRMED"}, {1, 0, "NIL"}}},
        {"UniqueAndUnverifiedDependOnTheOtherLogs",
         {log("PY2AAA", {qso(1, at(12, 0), "PY9ZZZ", "SP", "RJ"), qso(2, at(12, 5), "PY8YYY", "SP", "RJ")}),
          log("PY2BBB", {qso(1, at(13, 0), "PY8YYY", "RJ", "RJ")})},
         {{0, 0, "UNIQUE", nullptr, "PY9ZZZ sent no log and is in no other log"},
          {0, 1, "UNVERIFIED", nullptr, "PY8YYY sent no log"},
          {1, 0, "UNVERIFIED"}}},
        {"AnUnpairedDuplicateStaysADuplicate",
         {log("PY2AAA", {qso(1, at(12, 0), "PY9ZZZ", "SP", "RJ"),
                         qso(2, at(12, 1), "PY9ZZZ", "SP", "RJ", "40m", "CW", EngineResult::kDupe)})},
         {{0, 0, "UNIQUE"}, {0, 1, "DUPE"}}},
    };
}

class Scenarios : public CrossCheck, public ::testing::WithParamInterface<Scenario> {};

TEST_P(Scenarios, GiveEachContactItsVerdict) {
    const Scenario& s = GetParam();
    logs_ = s.logs;
    if (!s.anchored.empty()) {
        anchorClocks(s.anchored);
    }
    run(s.window, s.period);
    for (size_t l = 0; l < logs_.size(); ++l) {
        ASSERT_EQ(verdicts_[l].qsos.size(), logs_[l].qsos.size()) << logs_[l].call;
    }
    for (const ExpectedVerdict& e : s.verdicts) {
        SCOPED_TRACE(logs_[e.log].call + " contact " + std::to_string(e.q));
        if (e.status != nullptr) {
            EXPECT_STREQ(statusWord(status(e.log, e.q)), e.status);
        }
        if (e.other != nullptr) {
            EXPECT_EQ(other(e.log, e.q), e.other);
        }
        if (e.detail != nullptr) {
            EXPECT_EQ(detail(e.log, e.q), e.detail);
        }
    }
    for (const ExpectedClock& c : s.clocks) {
        SCOPED_TRACE(logs_[c.log].call + " clock");
        EXPECT_EQ(verdicts_[c.log].offsetMinutes, c.offsetMinutes);
        if (c.pairs >= 0) {
            EXPECT_EQ(verdicts_[c.log].offsetPairs, static_cast<uint32_t>(c.pairs));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Scenarios, ::testing::ValuesIn(scenarios()),
                         [](const auto& testCase) { return testName(testCase.param.name); });

struct WindowCase {
    const char* name;
    int64_t otherMinute;
    int window;
    QsoStatus expected;
};

class Window : public CrossCheck, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(Window, PairsUpToTheWindowIncluded) {
    const WindowCase& c = GetParam();
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, c.otherMinute, "PY2AAA", "RJ", "SP")});
    run(c.window);
    EXPECT_EQ(status(a, 0), c.expected);
    EXPECT_EQ(status(b, 0), c.expected);
}

const WindowCase kWindowCases[] = {
    {"same minute", at(12, 0), 5, QsoStatus::kConfirmed},
    {"exactly the window after", at(12, 5), 5, QsoStatus::kConfirmed},
    {"exactly the window before", at(11, 55), 5, QsoStatus::kConfirmed},
    {"a minute beyond the window", at(12, 6), 5, QsoStatus::kNil},
    {"a wider window", at(12, 9), 10, QsoStatus::kConfirmed},
    {"window zero, same minute", at(12, 0), 0, QsoStatus::kConfirmed},
    {"window zero, a minute apart", at(12, 1), 0, QsoStatus::kNil},
};
INSTANTIATE_TEST_SUITE_P(Cases, Window, ::testing::ValuesIn(kWindowCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });
struct WholeHoursCase {
    const char* name;
    int shiftedMinutes;  // how far the log's clock is off
    int shifted;         // its contacts logged with that error
    int onTime;          // its contacts logged on time
    int expectedOffset;
    int expectedHours;
};

class WholeHours : public CrossCheck, public ::testing::WithParamInterface<WholeHoursCase> {};

TEST_P(WholeHours, AreFoundWhenTheyPairThreeTimesAsManyAndAtLeastTen) {
    const WholeHoursCase& c = GetParam();
    std::vector<LogQso> qsos;
    for (int i = 0; i < c.shifted + c.onTime; ++i) {
        // Each with a station of its own (no two one edit apart), who logged it on time, 7 minutes apart.
        const std::string call = "PY3" + std::string(2, static_cast<char>('A' + i)) + "A";
        const int64_t minute = at(10, 0) + 7 * i;
        add(call, {qso(1, minute, "PY2AAA", "RJ", "SP")});
        qsos.push_back(
            qso(static_cast<uint32_t>(i + 1), minute + (i < c.shifted ? c.shiftedMinutes : 0), call, "SP", "RJ"));
    }
    const size_t a = add("PY2AAA", qsos);
    run();
    EXPECT_EQ(verdicts_[a].offsetMinutes, c.expectedOffset);
    EXPECT_EQ(verdicts_[a].wholeHours, c.expectedHours);
    const QsoStatus first = c.expectedHours != 0 || c.shifted == 0 ? QsoStatus::kConfirmed : QsoStatus::kNil;
    EXPECT_EQ(status(a, 0), first);
}

const WholeHoursCase kWholeHoursCases[] = {
    {"three hours and two minutes ahead", 182, 12, 0, 182, 3},
    {"a day behind", -1440, 10, 0, -1440, -24},
    {"a day and three minutes ahead", 1443, 10, 0, 1443, 24},
    {"twenty-five hours is beyond the search", 1500, 10, 0, 0, 0},
    {"nine pairs are too few", 60, 9, 0, 0, 0},
    {"three times the pairs of no shift", 120, 12, 4, 120, 2},
    {"less than three times", 120, 12, 5, 0, 0},
    {"no error", 0, 0, 12, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Cases, WholeHours, ::testing::ValuesIn(kWholeHoursCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });

TEST_F(CrossCheck, OfTwoLogsAnHourApartOnlyOneIsShifted) {
    std::vector<LogQso> early;
    std::vector<LogQso> late;
    const char* const bands[] = {"80m", "40m", "20m", "15m", "10m", "160m"};
    for (uint32_t i = 0; i < 12; ++i) {
        const std::string band = bands[i % 6];
        const std::string mode = i < 6 ? "CW" : "SSB";
        early.push_back(qso(i + 1, at(10, 0) + 9 * i, "PY2BBB", "SP", "RJ", band, mode));
        late.push_back(qso(i + 1, at(11, 0) + 9 * i, "PY2AAA", "RJ", "SP", band, mode));
    }
    const size_t a = add("PY2AAA", early);
    const size_t b = add("PY2BBB", late);
    run();
    EXPECT_EQ(std::abs(verdicts_[a].wholeHours - verdicts_[b].wholeHours), 1);
    EXPECT_EQ(verdicts_[a].wholeHours * verdicts_[b].wholeHours, 0);
    EXPECT_EQ(verdict(a, 0), "CONFIRMED PY2BBB:1 ");
}
TEST_F(CrossCheck, ADayOffIsCorrectedBeforeThePeriodIsHeld) {
    std::vector<LogQso> qsos;
    for (int i = 0; i < 10; ++i) {
        const std::string call = "PY3" + std::string(2, static_cast<char>('A' + i)) + "A";
        add(call, {qso(1, at(12, 5 * i), "PY2AAA", "RJ", "SP")});
        qsos.push_back(qso(static_cast<uint32_t>(i + 1), at(12, 5 * i, 1), call, "SP", "RJ"));
    }
    const size_t a = add("PY2AAA", qsos);
    run(5, Period{at(0, 0), at(23, 59)});
    EXPECT_EQ(verdicts_[a].offsetMinutes, 1440);
    EXPECT_EQ(verdict(a, 9), "CONFIRMED PY3JJA:1 ");
}
struct CategoryCase {
    const char* name;
    const char* categoryBand;
    QsoStatus on20m;
    bool notContestBand;
};

class SingleBand : public CrossCheck, public ::testing::WithParamInterface<CategoryCase> {};

TEST_P(SingleBand, ContactsOnOtherBandsPairButDoNotCount) {
    const CategoryCase& c = GetParam();
    const size_t a =
        add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "40m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", "20m")},
            c.categoryBand);
    const size_t b =
        add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP", "40m"), qso(2, at(12, 1), "PY2AAA", "RJ", "SP", "20m")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(status(a, 1), c.on20m);
    EXPECT_EQ(other(a, 1), "PY2BBB:2");
    EXPECT_EQ(verdict(b, 1), "CONFIRMED PY2AAA:2 ");
    const CategoryBand band = categoryBandOf(c.categoryBand);
    EXPECT_EQ(!band.band.empty() && !band.contestBand, c.notContestBand);
}

const CategoryCase kCategoryCases[] = {
    {"one contest band", "40M", QsoStatus::kOtherBand, false},
    {"in lower case with blanks", " 40m ", QsoStatus::kOtherBand, false},
    {"all bands", "ALL", QsoStatus::kConfirmed, false},
    {"none given", "", QsoStatus::kConfirmed, false},
    {"160 metres, no contest band", "160M", QsoStatus::kConfirmed, true},
    {"6 metres", "6M", QsoStatus::kConfirmed, true},
    {"432 MHz", "432", QsoStatus::kConfirmed, true},
    {"not a band", "VHF-3-BAND", QsoStatus::kConfirmed, false},
};
INSTANTIATE_TEST_SUITE_P(Cases, SingleBand, ::testing::ValuesIn(kCategoryCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });
TEST_F(CrossCheck, EmptyLogsAndNoLogs) {
    EXPECT_TRUE(crossCheck({}, CheckOptions()).empty());
    const size_t a = add("PY2AAA", {});
    run();
    EXPECT_TRUE(verdicts_[a].qsos.empty());
    EXPECT_EQ(verdicts_[a].offsetMinutes, 0);
}

TEST(StatusWord, NamesEveryStatus) {
    const std::pair<QsoStatus, const char*> words[] = {
        {QsoStatus::kConfirmed, "CONFIRMED"},
        {QsoStatus::kBustedExchange, "BUSTED-EXCHANGE"},
        {QsoStatus::kBustedCall, "BUSTED-CALL"},
        {QsoStatus::kNil, "NIL"},
        {QsoStatus::kUnique, "UNIQUE"},
        {QsoStatus::kUnverified, "UNVERIFIED"},
        {QsoStatus::kRefused, "REFUSED"},
        {QsoStatus::kDupe, "DUPE"},
        {QsoStatus::kOutOfPeriod, "OUT-OF-PERIOD"},
        {QsoStatus::kOtherBand, "OTHER-BAND"},
        {QsoStatus::kUnreadable, "UNREADABLE"},
    };
    for (const auto& [status, word] : words) {
        EXPECT_STREQ(statusWord(status), word);
    }
}

struct EditCase {
    const char* a;
    const char* b;
    bool expected;
};

class OneEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(OneEdit, BothWays) {
    EXPECT_EQ(oneEditApart(GetParam().a, GetParam().b), GetParam().expected);
    EXPECT_EQ(oneEditApart(GetParam().b, GetParam().a), GetParam().expected);
}

const EditCase kEditCases[] = {
    {"PY2AAA", "PY2AAA", false},
    {"PY2AAA", "PY2AAB", true},
    {"PY2AAA", "PY3AAA", true},
    {"PY2AAA", "PY2AA", true},
    {"PY2AAA", "PY2AAAA", true},
    {"PY2AAA", "Y2AAA", true},
    {"PY2AAA", "PY2ABB", false},
    {"PY2AAA", "PY2A", false},
    {"PY2AAA", "PY2AAA/P", true},
    {"PY2AAA", "PY2AAA/QRP", true},
    {"PY2AAA/P", "PY2AAA/M", true},
    {"PY2AAA/P", "PY2AAB/P", true},
    {"PY2AAA", "PY2AAA/", true},
    {"PY2AAA", "PY2AAB/P", false},
    {"", "A", true},
    {"", "", false},
    {"PY2AAA", "PY2ABA", true},
    {"PY2AB", "PY2BA", false},
};
INSTANTIATE_TEST_SUITE_P(Cases, OneEdit, ::testing::ValuesIn(kEditCases), [](const auto& testCase) {
    return testName(std::string(testCase.param.a) + "_vs_" + testCase.param.b + "_" + std::to_string(testCase.index));
});

}  // namespace
}  // namespace torv::crosscheck
