#include "crosscheck/crosscheck.h"

#include <gtest/gtest.h>

#include "support/test_names.h"

namespace crosscheck {
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

class CrossCheck : public ::testing::Test {
protected:
    size_t add(const std::string& call, std::vector<LogQso> qsos) {
        logs_.push_back({call, std::move(qsos), {}});
        return logs_.size() - 1;
    }
    void run(int window = 5) {
        CheckOptions options;
        options.windowMinutes = window;
        verdicts_ = crossCheck(logs_, options);
        ASSERT_EQ(verdicts_.size(), logs_.size());
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

TEST_F(CrossCheck, TheNearestInTimeWins) {
    const size_t a = add("PY2AAA", {qso(1, at(12, 0), "PY2BBB", "SP", "RJ"),
                                    qso(2, at(12, 4), "PY2BBB", "SP", "RJ", "40m", "CW", EngineResult::kDupe)});
    const size_t b = add("PY2BBB", {qso(1, at(12, 3), "PY2AAA", "RJ", "SP")});
    run();
    // The duplicate is nearer: it is B's counterpart and keeps its status;
    // A's stored contact is left without one.
    EXPECT_EQ(status(a, 1), QsoStatus::kDupe);
    EXPECT_EQ(other(a, 1), "PY2BBB:1");
    EXPECT_EQ(detail(a, 1), "DUPE !!!");
    EXPECT_EQ(status(a, 0), QsoStatus::kNil);
    EXPECT_EQ(status(b, 0), QsoStatus::kConfirmed);
    EXPECT_EQ(other(b, 0), "PY2AAA:2");
}

TEST_F(CrossCheck, ATieGoesToTheEarlierLineOfTheCallThatSortsFirst) {
    // PY2AAA sorts first: of its two contacts two minutes from B's, line 3 wins.
    const size_t a = add("PY2AAA", {qso(3, at(12, 0), "PY2BBB", "SP", "RJ"),
                                    qso(9, at(12, 4), "PY2BBB", "SP", "RJ", "40m", "CW", EngineResult::kDupe)});
    const size_t b = add("PY2BBB", {qso(4, at(12, 2), "PY2AAA", "RJ", "SP")});
    run();
    EXPECT_EQ(other(b, 0), "PY2AAA:3");
    EXPECT_EQ(status(a, 1), QsoStatus::kDupe);
    EXPECT_EQ(other(a, 1), "");
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
}  // namespace crosscheck
