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
        q.finding = "NO CONTEST BAND !!!";
    } else if (engine == EngineResult::kDupe) {
        q.finding = "DUPE !!!";
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

TEST_F(CrossCheck, BothSidesLoggedIsConfirmedBothWays) {
    const size_t a = add("PY2AAA", {qso(5, at(12, 0), "PY2BBB", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(7, at(12, 1), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(other(a, 0), "PY2BBB:7");
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(other(b, 0), "PY2AAA:5");
    EXPECT_EQ(detail(a, 0), "");
}

TEST_F(CrossCheck, EachSideOfAPairIsJudgedForItself) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "MG")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", " sp ")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kBustedExchange);
    EXPECT_EQ(other(a, 0), "PY2BBB:1");
    EXPECT_EQ(detail(a, 0), "logged MG, PY2BBB sent RJ");
    // Received " sp " normalises to what A sent.
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
}

TEST_F(CrossCheck, CallsAreComparedInUpperCase) {
    const size_t a = add("py2aaa", {qso(1, at(12, 0), "py2bbb", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
}

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

TEST_F(CrossCheck, APairAcrossTheDayBoundary) {
    const size_t a = add("PY2AAA", {qso(1, at(23, 58), "PY2BBB", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(0, 2, 1), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
}

TEST_F(CrossCheck, TheSameTwoStationsOnTwoBandsPairPerBand) {
    const size_t a =
        add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "40m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", "20m"),
                       qso(3, at(12, 2), "PY2BBB", "SP", "RJ", "15m")});
    const size_t b =
        add("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "SP", "20m"), qso(2, at(12, 0), "PY2AAA", "RJ", "SP", "40m"),
                       qso(3, at(12, 2), "PY2AAA", "RJ", "SP", "15m", "SSB")});
    run();
    EXPECT_EQ(other(a, 0), "PY2BBB:2");
    EXPECT_EQ(other(a, 1), "PY2BBB:1");
    // 15m: one in CW, the other in SSB.
    EXPECT_EQ(status(a, 2), QsoStatus::kNil);
    EXPECT_EQ(status(b, 2), QsoStatus::kNil);
    EXPECT_EQ(detail(a, 2), "not in PY2BBB's log");
}

TEST_F(CrossCheck, ACountedContactPairsBeforeANearerDuplicate) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 3), "PY2BBB", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 2), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(verdict(a, 0), "CONFIRMED PY2BBB:1 ");
    EXPECT_EQ(verdict(a, 1), "DUPE  DUPE !!!");
    EXPECT_EQ(verdict(b, 0), "CONFIRMED PY2AAA:1 ");
}

// A contact the engine refused (here for want of an exchange) is no
// duplicate twin: nothing can take its pair over, so only the first round
// keeps the counted contact from losing to it.
TEST_F(CrossCheck, ACountedContactPairsBeforeANearerRefusedOne) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"),
                                    qso(2, at(12, 3), "PY2BBB", "SP", "", "40m", "CW", EngineResult::kRefused)});
    const size_t b = add("PY2BBB", {qso(1, at(12, 2), "PY2AAA", "RJ", "SP")});
    anchorClocks({a, b});
    run();
    EXPECT_EQ(verdict(a, 0), "CONFIRMED PY2BBB:1 ");
    EXPECT_EQ(status(a, 1), QsoStatus::kRefused);
    EXPECT_EQ(other(a, 1), "");
    EXPECT_EQ(verdict(b, 0), "CONFIRMED PY2AAA:1 ");
}

// Two logs of one call: the first counts; the second's contacts are
// nobody's counterpart, not even as a busted call, and its own contacts
// still get verdicts.
TEST_F(CrossCheck, ASecondLogOfACallIsNobodysCounterpart) {
    const size_t first = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")});
    const size_t second = add("PY2AAA", {qso(1, at(13, 0), "PY2BBX", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP"), qso(2, at(13, 0), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(verdict(first, 0), "CONFIRMED PY2BBB:1 ");
    EXPECT_EQ(verdict(b, 0), "CONFIRMED PY2AAA:1 ");
    EXPECT_EQ(status(b, 1), QsoStatus::kNil);
    EXPECT_EQ(other(b, 1), "");
    ASSERT_EQ(verdicts_[second].qsos.size(), 1u);
    EXPECT_EQ(other(second, 0), "");
}

TEST_F(CrossCheck, ACountedContactTakesOverThePairOfItsDuplicate) {
    // The duplicate alone is within the window; the contact it repeats takes its pair.
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 4), "PY2BBB", "SP", "MG")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 6), "PY2AAA", "RJ", "SP")});
    anchorClocks({a, b});
    run();
    EXPECT_EQ(verdict(a, 0), "CONFIRMED PY2BBB:1 ");
    EXPECT_EQ(verdict(a, 1), "DUPE  DUPE !!!");
    EXPECT_EQ(verdict(b, 0), "CONFIRMED PY2AAA:1 ");
}

TEST_F(CrossCheck, ATakeoverTakesTheNearestTwinThatHasAPair) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 20), "PY2BBB", "SP", "RJ"),
                                    dupe(3, at(12, 30), "PY2BBB", "SP", "RJ")});
    const size_t b =
        add("PY2BBB", {qso(1, at(12, 24), "PY2AAA", "RJ", "SP"), dupe(2, at(12, 34), "PY2AAA", "RJ", "SP")});
    anchorClocks({a, b});
    run();
    EXPECT_EQ(verdict(a, 0), "CONFIRMED PY2BBB:1 ");
    EXPECT_EQ(verdict(a, 1), "DUPE  DUPE !!!");
    EXPECT_EQ(verdict(a, 2), "DUPE PY2BBB:2 DUPE !!!");
    EXPECT_EQ(verdict(b, 0), "CONFIRMED PY2AAA:1 ");
    EXPECT_EQ(verdict(b, 1), "DUPE PY2AAA:3 DUPE !!!");
}

TEST_F(CrossCheck, ADuplicateThatGaveItsPairAwayIsNoBustedCall) {
    // C is one edit from B and logged A in the window: the twin's pair was B all along.
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"), dupe(2, at(12, 4), "PY2BBB", "SP", "RJ")});
    add("PY2BBB", {qso(1, at(12, 6), "PY2AAA", "RJ", "SP")});
    const size_t c = add("PY2BBC", {qso(1, at(12, 5), "PY2AAA", "MG", "SP")});
    anchorClocks({a, 1, c});
    run();
    EXPECT_EQ(verdict(a, 1), "DUPE  DUPE !!!");
    EXPECT_EQ(verdict(c, 0), "NIL  not in PY2AAA's log");
}

TEST_F(CrossCheck, ATieGoesToTheEarlierLineOfTheCallThatSortsFirst) {
    // PY2AAA sorts first: of its two contacts two minutes from B's, line 3 wins.
    const size_t a = add("PY2AAA", {qso(3, at(12, 0), "PY2BBB", "SP", "RJ"), qso(9, at(12, 4), "PY2BBB", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(4, at(12, 2), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(other(b, 0), "PY2AAA:3");
    EXPECT_EQ(status(a, 1), QsoStatus::kNil);
}

TEST_F(CrossCheck, ATieInTheOtherLogGoesToItsEarlierLine) {
    // The log whose call sorts later holds the two equally near contacts.
    const size_t b = add("PY2BBB", {qso(8, at(12, 4), "PY2AAA", "RJ", "SP"), qso(2, at(12, 0), "PY2AAA", "RJ", "SP")});
    const size_t a = add("PY2AAA", {qso(1, at(12, 2), "PY2BBB", "SP", "RJ")});
    run();
    EXPECT_EQ(other(a, 0), "PY2BBB:2");
    EXPECT_EQ(status(b, 0), QsoStatus::kNil);
}

TEST_F(CrossCheck, RefusedContactsPairButKeepTheirStatus) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "30m", "CW", EngineResult::kRefused)});
    const size_t b = add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP", "30m", "CW", EngineResult::kRefused)});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kRefused);
    EXPECT_EQ(other(a, 0), "PY2BBB:1");
    EXPECT_EQ(status(b, 0), QsoStatus::kRefused);
    EXPECT_EQ(detail(b, 0), "NO CONTEST BAND !!!");
}

TEST_F(CrossCheck, AClockOffIsEstimatedAndCorrected) {
    // A's clock runs 10 minutes ahead; B, C and D agree with each other.
    const size_t a = add("PY2AAA", {qso(1, at(12, 10), "PY2BBB", "SP", "RJ"), qso(2, at(12, 30), "PY2CCC", "SP", "MG"),
                                    qso(3, at(12, 50), "PY2DDD", "SP", "BA")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP"), qso(2, at(13, 0), "PY2CCC", "RJ", "MG"),
                                    qso(3, at(13, 10), "PY2DDD", "RJ", "BA")});
    const size_t c = add("PY2CCC", {qso(1, at(12, 20), "PY2AAA", "MG", "SP"), qso(2, at(13, 0), "PY2BBB", "MG", "RJ"),
                                    qso(3, at(13, 20), "PY2DDD", "MG", "BA")});
    const size_t d = add("PY2DDD", {qso(1, at(12, 40), "PY2AAA", "BA", "SP"), qso(2, at(13, 10), "PY2BBB", "BA", "RJ"),
                                    qso(3, at(13, 20), "PY2CCC", "BA", "MG")});
    run();
    EXPECT_EQ(verdicts_[a].offsetMinutes, 10);
    EXPECT_EQ(verdicts_[a].offsetPairs, 3u);
    EXPECT_EQ(verdicts_[b].offsetMinutes, 0);
    EXPECT_EQ(verdicts_[c].offsetMinutes, 0);
    EXPECT_EQ(verdicts_[d].offsetMinutes, 0);
    for (size_t log : {a, b, c, d}) {
        for (size_t q = 0; q < 3; ++q) {
            EXPECT_EQ(status(log, q), QsoStatus::kConfirmed) << logs_[log].call << " " << q;
        }
    }
}

TEST_F(CrossCheck, ASmallLogIsNotPulledOffByABigLogsClock) {
    // A runs 6 minutes ahead against B and C; D's one contact is with A.
    const size_t a = add("PY2AAA", {qso(1, at(12, 6), "PY2BBB", "SP", "RJ"), qso(2, at(12, 36), "PY2CCC", "SP", "MG"),
                                    qso(3, at(13, 6), "PY2DDD", "SP", "BA")});
    add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP"), qso(2, at(14, 0), "PY2CCC", "RJ", "MG")});
    add("PY2CCC", {qso(1, at(12, 30), "PY2AAA", "MG", "SP"), qso(2, at(14, 0), "PY2BBB", "MG", "RJ")});
    const size_t d = add("PY2DDD", {qso(1, at(13, 0), "PY2AAA", "BA", "SP")});
    run(3);
    EXPECT_EQ(verdicts_[a].offsetMinutes, 6);
    EXPECT_EQ(verdicts_[d].offsetMinutes, 0);
    EXPECT_EQ(status(a, 2), QsoStatus::kConfirmed);
    EXPECT_EQ(status(d, 0), QsoStatus::kConfirmed);
}

TEST_F(CrossCheck, AnEvenNumberOfDifferencesTakesTheMeanOfTheMiddleTwo) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 4), "PY2BBB", "SP", "RJ"), qso(2, at(13, 8), "PY2CCC", "SP", "MG")});
    add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")});
    add("PY2CCC", {qso(1, at(13, 0), "PY2AAA", "MG", "SP")});
    run();
    EXPECT_EQ(verdicts_[a].offsetMinutes, 6);
}

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

TEST_F(CrossCheck, ThePeriodHoldsForTheCorrectedTimesBothEndsIncluded) {
    const size_t a = add("PY2AAA", {qso(1, at(11, 59), "PY2BBB", "SP", "RJ"), qso(2, at(12, 0), "PY2CCC", "SP", "MG"),
                                    qso(3, at(14, 0), "PY2DDD", "SP", "BA"), qso(4, at(14, 1), "PY2EEE", "SP", "RS"),
                                    dupe(5, at(14, 3), "PY2EEE", "SP", "RS")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "SP")});
    add("PY2CCC", {qso(1, at(12, 0), "PY2AAA", "MG", "SP")});
    add("PY2DDD", {qso(1, at(14, 0), "PY2AAA", "BA", "SP")});
    add("PY2EEE", {qso(1, at(14, 1), "PY2AAA", "RS", "SP")});
    anchorClocks({a, b});
    run(5, Period{at(12, 0), at(14, 0)});
    // Outside, yet the other station's contact in the period is confirmed by it.
    EXPECT_EQ(verdict(a, 0), "OUT-OF-PERIOD PY2BBB:1 outside the contest period");
    EXPECT_EQ(verdict(b, 0), "CONFIRMED PY2AAA:1 ");
    EXPECT_EQ(status(a, 1), QsoStatus::kConfirmed);
    EXPECT_EQ(status(a, 2), QsoStatus::kConfirmed);
    EXPECT_EQ(status(a, 3), QsoStatus::kOutOfPeriod);
    EXPECT_EQ(status(a, 4), QsoStatus::kDupe);
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

TEST_F(CrossCheck, OnlyTheContestBandsCount) {
    const size_t a =
        add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "6m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", ""),
                       qso(3, at(12, 2), "PY2BBB", "SP", "RJ", "60m"),
                       qso(4, at(12, 3), "PY2BBB", "SP", "RJ", "6m", "CW", EngineResult::kDupe)});
    const size_t b = add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP", "6m")});
    run();
    // They pair among themselves, as the engine's refusals do.
    EXPECT_EQ(verdict(a, 0), "REFUSED PY2BBB:1 no contest band");
    EXPECT_EQ(verdict(b, 0), "REFUSED PY2AAA:1 no contest band");
    EXPECT_EQ(verdict(a, 1), "REFUSED  no contest band");
    EXPECT_EQ(verdict(a, 2), "REFUSED  no contest band");
    EXPECT_EQ(verdict(a, 3), "REFUSED  no contest band");
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

TEST_F(CrossCheck, TheOwnStatusesComeInTheirOrder) {
    // Outside the period and on another band: outside wins; refused and
    // duplicate win over both.
    const size_t a = add("PY2AAA",
                         {qso(1, at(11, 0), "PY2BBB", "SP", "RJ", "20m"),
                          qso(2, at(11, 1), "PY2BBB", "SP", "RJ", "20m", "CW", EngineResult::kDupe),
                          qso(3, at(11, 2), "PY2BBB", "SP", "RJ", "2m", "CW", EngineResult::kDupe),
                          qso(4, at(11, 3), "PY2BBB", "SP", "RJ", "30m", "CW", EngineResult::kRefused),
                          qso(5, at(12, 30), "PY2BBB", "SP", "RJ", "15m")},
                         "40M");
    run(5, Period{at(12, 0), std::nullopt});
    EXPECT_EQ(verdict(a, 0), "OUT-OF-PERIOD  outside the contest period");
    EXPECT_EQ(verdict(a, 1), "DUPE  DUPE !!!");
    EXPECT_EQ(verdict(a, 2), "REFUSED  no contest band");
    EXPECT_EQ(verdict(a, 3), "REFUSED  NO CONTEST BAND !!!");
    EXPECT_EQ(verdict(a, 4), "OTHER-BAND  on 15m, not the entrant's category band");
}

TEST_F(CrossCheck, AnUnreadableLineOfTheOtherLogLeavesAContactUnverified) {
    const size_t a =
        add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ", "40m"), qso(2, at(12, 1), "PY2BBB", "SP", "RJ", "20m"),
                       qso(3, at(13, 0), "PY2BBB", "SP", "RJ", "15m"), qso(4, at(14, 0), "PY2BBB", "SP", "RJ", "10m")});
    const size_t b = add("PY2BBB", {qso(1, at(9, 0), "PY2CCC", "RJ", "MG")});
    // Line 17 stands for one contact, the nearer; line 18 is too far, 19
    // names another station, 20 has no time.
    logs_[b].unreadable = {{17, "no RST", "py2aaa", at(12, 1)},
                           {18, "no RST", "PY2AAA", at(13, 6)},
                           {19, "no RST", "PY2AAB", at(14, 0)},
                           {20, "no date", "PY2AAA", std::nullopt}};
    run();
    EXPECT_EQ(verdict(a, 0), "NIL  not in PY2BBB's log");
    EXPECT_EQ(verdict(a, 1), "UNVERIFIED  the other log's line 17 could not be read");
    EXPECT_EQ(verdict(a, 2), "NIL  not in PY2BBB's log");
    EXPECT_EQ(verdict(a, 3), "NIL  not in PY2BBB's log");
}

TEST_F(CrossCheck, ABustedCallPairsWithTheStationItReallyWas) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBC", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kBustedCall);
    EXPECT_EQ(other(a, 0), "PY2BBB:1");
    EXPECT_EQ(detail(a, 0), "logged PY2BBC, was PY2BBB");
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(other(b, 0), "PY2AAA:1");
}

TEST_F(CrossCheck, TheRightSideOfABustedCallIsJudgedOnItsExchange) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BB", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 1), "PY2AAA", "RJ", "MG")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kBustedCall);
    EXPECT_EQ(status(b, 0), QsoStatus::kBustedExchange);
    EXPECT_EQ(detail(b, 0), "logged MG, PY2AAA sent SP");
}

TEST_F(CrossCheck, ABustedCallThatIsItselfASubmittedStation) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBC", "SP", "RJ")});
    add("PY2BBB", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")});
    const size_t c = add("PY2BBC", {qso(1, at(15, 0), "PY2DDD", "MG", "BA")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kBustedCall);
    EXPECT_EQ(other(a, 0), "PY2BBB:1");
    EXPECT_EQ(status(c, 0), QsoStatus::kUnique);
}

TEST_F(CrossCheck, APortableSuffixDroppedIsABustedCall) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")});
    const size_t b = add("PY2BBB/P", {qso(1, at(12, 0), "PY2AAA", "RJ", "SP")});
    run();
    // Exact text: PY2BBB is not PY2BBB/P for the pairs.
    EXPECT_EQ(status(a, 0), QsoStatus::kBustedCall);
    EXPECT_EQ(detail(a, 0), "logged PY2BBB, was PY2BBB/P");
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
}

TEST_F(CrossCheck, NoBustedCallBeyondTheWindow) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBC", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 6), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kUnique);
    EXPECT_EQ(status(b, 0), QsoStatus::kNil);
}

TEST_F(CrossCheck, TheStationLoggedIsNeverItsOwnBustedCall) {
    // B has A outside the window; B is not one edit from itself, so A's contact is NIL.
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ")});
    add("PY2BBB", {qso(1, at(14, 0), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kNil);
}

TEST_F(CrossCheck, ABustedCallIsNotTheLoggersOwnCall) {
    // PY2AAB is one edit from PY2AAA, but A itself is never C.
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2AAB", "SP", "RJ"), qso(2, at(12, 0), "PY2AAA", "SP", "RJ")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kUnique);
    EXPECT_EQ(status(a, 1), QsoStatus::kNil);
}

TEST_F(CrossCheck, ABustedCallTakesTheNearestCandidate) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBX", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(12, 3), "PY2AAA", "RJ", "SP")});
    const size_t c = add("PY2BBC", {qso(1, at(12, 1), "PY2AAA", "MG", "SP")});
    run();
    EXPECT_EQ(other(a, 0), "PY2BBC:1");
    EXPECT_EQ(status(c, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(status(b, 0), QsoStatus::kNil);
}

TEST_F(CrossCheck, UniqueAndUnverifiedDependOnTheOtherLogs) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY9ZZZ", "SP", "RJ"), qso(2, at(12, 5), "PY8YYY", "SP", "RJ")});
    const size_t b = add("PY2BBB", {qso(1, at(13, 0), "PY8YYY", "RJ", "RJ")});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kUnique);
    EXPECT_EQ(detail(a, 0), "PY9ZZZ sent no log and is in no other log");
    EXPECT_EQ(status(a, 1), QsoStatus::kUnverified);
    EXPECT_EQ(detail(a, 1), "PY8YYY sent no log");
    EXPECT_EQ(status(b, 0), QsoStatus::kUnverified);
}

TEST_F(CrossCheck, AnUnpairedDuplicateStaysADuplicate) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY9ZZZ", "SP", "RJ"),
                                    qso(2, at(12, 1), "PY9ZZZ", "SP", "RJ", "40m", "CW", EngineResult::kDupe)});
    run();
    EXPECT_EQ(status(a, 0), QsoStatus::kUnique);
    EXPECT_EQ(status(a, 1), QsoStatus::kDupe);
}

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
