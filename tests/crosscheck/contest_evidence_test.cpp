// The rules that judge with the whole contest's evidence: near calls and
// their confusion tables, busted calls by the call history, the consensus
// exchange of a station that sent no log, and the committee's decisions.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "crosscheck/decisions.h"
#include "crosscheck/glossary.h"
#include "crosscheck/one_edit.h"
#include "engine/contest.h"
#include "support/test_names.h"

namespace torv::crosscheck {
namespace {

namespace contest = engine::contest;

constexpr int64_t kDay = 20526LL * 1440;

int64_t at(int hour, int minute) {
    return kDay + hour * 60 + minute;
}

LogQso qso(uint32_t line, int64_t minute, const std::string& call, const std::string& received,
           const std::string& band = "40m", const std::string& mode = "CW", const std::string& sent = "SP") {
    LogQso q;
    q.line = line;
    q.minute = minute;
    q.call = call;
    q.band = band;
    q.mode = mode;
    q.exchangeSent = sent;
    q.exchangeReceived = received;
    return q;
}

// Every pair of both tables is a confusion either way in its mode only;
// nothing else is.
TEST(Confusions, EveryPairOfTheTablesEitherWayInItsModeOnly) {
    std::set<std::pair<char, char>> cw;
    std::set<std::pair<char, char>> ssb;
    for (const contest::Confusion& c : contest::kCwConfusions) {
        EXPECT_TRUE(contest::confusable("CW", c.a, c.b)) << c.a << c.b;
        EXPECT_TRUE(contest::confusable("CW", c.b, c.a)) << c.b << c.a;
        cw.insert({c.a, c.b});
        cw.insert({c.b, c.a});
    }
    for (const contest::Confusion& c : contest::kSsbConfusions) {
        EXPECT_TRUE(contest::confusable("SSB", c.a, c.b)) << c.a << c.b;
        EXPECT_TRUE(contest::confusable("SSB", c.b, c.a)) << c.b << c.a;
        ssb.insert({c.a, c.b});
        ssb.insert({c.b, c.a});
    }
    // 15 letter pairs and the ten digits one apart in CW; 12 pairs in SSB.
    EXPECT_EQ(cw.size(), 2u * 25);
    EXPECT_EQ(ssb.size(), 2u * 12);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
    for (char x : alphabet) {
        for (char y : alphabet) {
            EXPECT_EQ(contest::confusable("CW", x, y), cw.count({x, y}) != 0) << x << y;
            EXPECT_EQ(contest::confusable("SSB", x, y), ssb.count({x, y}) != 0) << x << y;
            EXPECT_FALSE(contest::confusable("RTTY", x, y));
        }
    }
    for (int d = 0; d < 10; ++d) {
        EXPECT_TRUE(contest::confusable("CW", static_cast<char>('0' + d), static_cast<char>('0' + (d + 1) % 10)));
    }
}

struct NearCase {
    const char* logged;
    const char* real;
    const char* mode;
    NearKind kind;
    int differences;
};

class Near : public ::testing::TestWithParam<NearCase> {};

TEST_P(Near, IsOneEditASwapOrTwoConfusionsBothWays) {
    const NearCase& c = GetParam();
    for (const auto& [a, b] : {std::make_pair(c.logged, c.real), std::make_pair(c.real, c.logged)}) {
        const Nearness near = nearness(a, b, c.mode);
        EXPECT_EQ(near.kind, c.kind) << a << " " << b;
        EXPECT_EQ(near.differences, c.differences) << a << " " << b;
    }
}

const NearCase kNearCases[] = {
    {"PY2AAA", "PY2AAA", "CW", NearKind::kNone, 0},
    {"PY2AAB", "PY2AAA", "CW", NearKind::kOneEdit, 1},
    {"PY2AAA/P", "PY2AAA", "SSB", NearKind::kOneEdit, 1},
    {"PY2DHS", "PY2DSH", "SSB", NearKind::kSwapped, 2},
    {"YP2AAA", "PY2AAA", "CW", NearKind::kSwapped, 2},
    {"PY2ABC", "PY2CBA", "CW", NearKind::kNone, 0},  // swapped, but not neighbours
    {"PY5HAK", "PY5SAN", "CW", NearKind::kConfused, 2},
    {"PY5HAK", "PY5SAN", "SSB", NearKind::kNone, 0},
    {"PY5HAK", "PY5SAN", "RTTY", NearKind::kNone, 0},
    {"PY2DBT", "PY2ABE", "SSB", NearKind::kConfused, 2},
    {"PY9AA0", "PY0AA9", "CW", NearKind::kConfused, 2},                    // 9 and 0 are one apart
    {"PY5HAX", "PY5SAN", "CW", NearKind::kNone, 0},                        // X for N is no confusion
    {"PY5HAK", "PY5SIN", "CW", NearKind::kNone, 0},                        // three differences
    {"PY2ANK", "PY2AKN", "CW", NearKind::kSwapped, 2},                     // swapped and confused: swapped
    {"PY5HAKAAAAAAAAAAA", "PY5SANAAAAAAAAAAA", "CW", NearKind::kNone, 0},  // longer than kLongestNearCall
    {"PY5HAKAAAAAAAAAA", "PY5SANAAAAAAAAAA", "CW", NearKind::kConfused, 2},
};
INSTANTIATE_TEST_SUITE_P(Cases, Near, ::testing::ValuesIn(kNearCases), [](const auto& testCase) {
    return testName(std::string(testCase.param.logged) + "_" + testCase.param.real + "_" + testCase.param.mode);
});

TEST(NearCallIndex, FindsEveryNearCall) {
    const std::vector<std::string> calls = {"PY2AAA", "PY2AAB",   "PY2ABA", "PY2BAA", "PY5SAN", "PY5HAK",
                                            "PY5SAK", "PY2DSH",   "PY2DHS", "PY2ABE", "PY2DBT", "PY9AA0",
                                            "PY0AA9", "PY2AAA/P", "PY2A",   "A",      "",       "PY5HIK"};
    NearCallIndex index;
    for (uint32_t i = 0; i < calls.size(); ++i) {
        index.add(3, calls[i], i);
    }
    index.seal();
    for (const char* mode : {"CW", "SSB"}) {
        for (const std::string& call : calls) {
            std::vector<uint32_t> found;
            index.find(3, call, found);
            std::set<std::string> matched;
            for (uint32_t v : found) {
                if (nearness(call, calls[v], mode).kind != NearKind::kNone) {
                    matched.insert(calls[v]);
                }
            }
            std::set<std::string> expected;
            for (const std::string& other : calls) {
                if (nearness(call, other, mode).kind != NearKind::kNone) {
                    expected.insert(other);
                }
            }
            EXPECT_EQ(matched, expected) << call << " " << mode;
        }
    }
}

// A contest for the rules past the other log: stations that log one call
// (with the exchange each received), and the log judged.
struct Witness {
    const char* call;
    std::vector<LogQso> qsos;
};

struct EvidenceCase {
    const char* name;
    std::vector<Witness> logs;
    size_t log;  // the contact looked at
    size_t q;
    const char* status;
    const char* detail;
};

std::vector<Witness> witnesses(int count, const std::string& call, const std::string& received,
                               const std::string& band = "40m", const std::string& mode = "CW", int hour = 12) {
    std::vector<Witness> logs;
    static const char* const kCalls[] = {"PY3AAA", "PY3BBB", "PY3CCC", "PY3DDD", "PY3EEE", "PY3FFF", "PY3GGG"};
    for (int i = 0; i < count; ++i) {
        logs.push_back({kCalls[i], {qso(1, at(hour, i), call, received, band, mode)}});
    }
    return logs;
}

std::vector<Witness> with(std::vector<Witness> logs, Witness more) {
    logs.push_back(std::move(more));
    return logs;
}

std::vector<Witness> plus(std::vector<Witness> logs, const std::vector<Witness>& more) {
    logs.insert(logs.end(), more.begin(), more.end());
    return logs;
}

std::vector<EvidenceCase> evidenceCases() {
    const char* const history = "logged PY2ABD, was PY2ABC; found by the call history: PY2ABD: 1 log; PY2ABC: 5 logs";
    const char* const unique = "PY2ABD sent no log and is in no other log";
    return {
        {"HistoryBustsAOneOffNextToAFrequentCall",
         with(witnesses(5, "PY2ABC", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "SP")}}), 5, 0, "BUSTED-CALL",
         history},
        {"FourOtherLogsAreTooFew", with(witnesses(4, "PY2ABC", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "SP")}}),
         4, 0, "UNIQUE", unique},
        // The contact's own log never counts among the holders.
        {"TheOwnLogDoesNotCount",
         with(witnesses(4, "PY2ABC", "SP"),
              {"PY2AAA", {qso(1, at(10, 0), "PY2ABC", "SP", "20m"), qso(2, at(12, 30), "PY2ABD", "SP")}}),
         4, 1, "UNIQUE", unique},
        {"SixtyMinutesAwayIsNearEnough",
         with(witnesses(5, "PY2ABC", "SP"), {"PY2AAA", {qso(1, at(13, 4), "PY2ABD", "SP")}}), 5, 0, "BUSTED-CALL",
         history},
        {"SixtyOneMinutesAwayIsNot",
         with(witnesses(5, "PY2ABC", "SP"), {"PY2AAA", {qso(1, at(13, 5), "PY2ABD", "SP")}}), 5, 0, "UNIQUE", unique},
        {"NotHeardOnTheBand",
         with(witnesses(5, "PY2ABC", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "SP", "20m")}}), 5, 0, "UNIQUE",
         "PY2ABD sent no log and is in no other log"},
        {"AnotherExchangeIsAnotherStation",
         with(witnesses(5, "PY2ABC", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "RJ")}}), 5, 0, "UNIQUE", unique},
        // 3 of 5 is no consensus: C's exchange is unknown.
        {"NoConsensusNoExchange",
         with(plus(witnesses(3, "PY2ABC", "SP"),
                   {{"PY3XXA", {qso(1, at(12, 5), "PY2ABC", "RJ")}}, {"PY3XXB", {qso(1, at(12, 6), "PY2ABC", "RJ")}}}),
              {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "SP")}}),
         5, 0, "UNIQUE", unique},
        // C sent a log: its exchange is the one it sends most often.
        {"TheExchangeOfACallWithALogIsTheOneItSendsMost",
         plus(witnesses(5, "PY2ABC", "MG"), {{"PY2ABC",
                                              {qso(1, at(9, 0), "PY9ZZZ", "SP", "40m", "CW", "MG"),
                                               qso(2, at(9, 1), "PY9ZZY", "SP", "40m", "CW", "MG")}},
                                             {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "MG")}}}),
         6, 0, "BUSTED-CALL", history},
        {"TwoSsbConfusionsByTheHistory",
         with(witnesses(5, "PY2ABE", "SP", "20m", "SSB"),
              {"PY2AAA", {qso(1, at(12, 30), "PY2DBT", "SP", "20m", "SSB")}}),
         5, 0, "BUSTED-CALL",
         "logged PY2DBT, was PY2ABE (SSB: D for A, T for E); found by the call history: PY2DBT: 1 log; PY2ABE: 5 logs"},
        {"NoSsbConfusionInCw",
         with(witnesses(5, "PY2ABE", "SP", "20m", "CW"), {"PY2AAA", {qso(1, at(12, 30), "PY2DBT", "SP", "20m", "CW")}}),
         5, 0, "UNIQUE", "PY2DBT sent no log and is in no other log"},
        // PY2ABB (6 logs) and PY2ABC (5 logs) are both one edit from PY2ABD.
        {"TheCallHeldByMostLogsWins",
         with(plus(witnesses(5, "PY2ABC", "SP"), {{"PY3HHH", {qso(1, at(12, 10), "PY2ABB", "SP")}},
                                                  {"PY3III", {qso(1, at(12, 11), "PY2ABB", "SP")}},
                                                  {"PY3JJJ", {qso(1, at(12, 12), "PY2ABB", "SP")}},
                                                  {"PY3KKK", {qso(1, at(12, 13), "PY2ABB", "SP")}},
                                                  {"PY3LLL", {qso(1, at(12, 14), "PY2ABB", "SP")}},
                                                  {"PY3MMM", {qso(1, at(12, 15), "PY2ABB", "SP")}}}),
              {"PY2AAA", {qso(1, at(12, 30), "PY2ABD", "SP")}}),
         11, 0, "BUSTED-CALL", "logged PY2ABD, was PY2ABB; found by the call history: PY2ABD: 1 log; PY2ABB: 6 logs"},
        // Rule 5: a lone copy against the consensus is busted.
        {"ALoneCopyAgainstTheConsensusIsBusted",
         with(witnesses(4, "PY2XYZ", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "RJ")}}), 4, 0, "BUSTED-EXCHANGE",
         "logged RJ; 4 of 5 logs received SP from PY2XYZ"},
        {"ACopyThatAgreesStaysUnverified",
         with(witnesses(4, "PY2XYZ", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "RJ")}}), 0, 0, "UNVERIFIED",
         "PY2XYZ sent no log; as 4 of 5 logs"},
        {"AWrongCopyOfTwoLogsStaysUnverified",
         plus(witnesses(4, "PY2XYZ", "SP"),
              {{"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "RJ")}}, {"PY2BBB", {qso(1, at(12, 31), "PY2XYZ", "RJ")}}}),
         4, 0, "UNVERIFIED", "PY2XYZ sent no log; 4 of 6 logs received SP, more than one log RJ"},
        {"AMobileStationHasNoConsensus",
         with(witnesses(4, "PY2XYZ/M", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2XYZ/M", "RJ")}}), 4, 0, "UNVERIFIED",
         "PY2XYZ/M sent no log"},
        {"NoTwoThirdsNoConsensus",
         plus(witnesses(2, "PY2XYZ", "SP"),
              {{"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "RJ")}}, {"PY2BBB", {qso(1, at(12, 31), "PY2XYZ", "RJ")}}}),
         2, 0, "UNVERIFIED", "PY2XYZ sent no log"},
        {"TwoVotesAreTooFew", with(witnesses(1, "PY2XYZ", "SP"), {"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "RJ")}}), 1,
         0, "UNVERIFIED", "PY2XYZ sent no log"},
        // Worked twice, right once and wrong once: the log votes for its earlier line's.
        {"ALogRightOnceAndWrongOnce",
         with(witnesses(3, "PY2XYZ", "SP"),
              {"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "SP"), qso(2, at(12, 40), "PY2XYZ", "RJ", "20m")}}),
         3, 1, "BUSTED-EXCHANGE", "logged RJ; 4 of 4 logs received SP from PY2XYZ"},
        // Its vote is RJ, its earlier line's: still no other log voted for it.
        {"ALogWhoseOwnVoteIsTheWrongCopy",
         with(witnesses(3, "PY2XYZ", "SP"),
              {"PY2AAA", {qso(1, at(12, 30), "PY2XYZ", "RJ"), qso(2, at(12, 40), "PY2XYZ", "SP", "20m")}}),
         3, 0, "BUSTED-EXCHANGE", "logged RJ; 3 of 4 logs received SP from PY2XYZ"},
    };
}

class ContestEvidence : public ::testing::TestWithParam<EvidenceCase> {};

TEST_P(ContestEvidence, JudgesThePointedContact) {
    const EvidenceCase& c = GetParam();
    std::vector<SubmittedLog> logs;
    for (const Witness& w : c.logs) {
        logs.push_back({w.call, w.qsos, {}});
    }
    const std::vector<LogVerdict> verdicts = crossCheck(logs, CheckOptions());
    ASSERT_LT(c.log, verdicts.size());
    ASSERT_LT(c.q, verdicts[c.log].qsos.size());
    EXPECT_STREQ(statusWord(verdicts[c.log].qsos[c.q].status), c.status);
    EXPECT_EQ(verdictDetail(logs, verdicts, c.log, c.q), c.detail);
}

INSTANTIATE_TEST_SUITE_P(Table, ContestEvidence, ::testing::ValuesIn(evidenceCases()),
                         [](const auto& testCase) { return testName(testCase.param.name); });

}  // namespace
}  // namespace torv::crosscheck

namespace torv::crosscheck {
namespace {

struct DecisionsTextCase {
    const char* name;
    std::string text;
    size_t rows;
    std::vector<std::string> problems;
};

class DecisionsText : public ::testing::TestWithParam<DecisionsTextCase> {};

TEST_P(DecisionsText, AreReadWithTheirProblems) {
    const DecisionsTextCase& c = GetParam();
    const DecisionsFile file = readDecisionsFile(c.text);
    EXPECT_EQ(file.rows.size(), c.rows);
    EXPECT_EQ(file.problems, c.problems);
}

const DecisionsTextCase kDecisionsTexts[] = {
    {"CommasAndQuotes",
     "call,line,status,note\r\npy2aaa,14,confirmed,\"appeal, accepted\"\n\nPY2BBB,3,REFUSED,\"said \"\"no\"\"\"\n",
     2,
     {}},
    {"SemicolonsOfASpreadsheet",
     "\xEF\xBB\xBF\"call\";\"line\";\"status\";\"note\"\nPY2AAA;14;NIL;x;y\nPY2AAA;14;NIL;x\n",
     1,
     {"line 2: 5 fields; the header has 4 (call, line, status, note); left aside"}},
    {"BadRows",
     "call,line,status,note\n,1,NIL,x\nPY2AAA,zero,NIL,x\nPY2AAA,0,NIL,x\nPY2AAA,3,DUPE,x\nPY2AAA,3,nil,\n",
     1,
     {"line 2: \"\" is not a call; left aside", "line 3: \"zero\" is not a line number; left aside",
      "line 4: \"0\" is not a line number; left aside",
      "line 5: \"DUPE\" is not a status the committee decides (CONFIRMED, BUSTED-CALL, BUSTED-EXCHANGE, NIL, UNIQUE, "
      "UNVERIFIED, REFUSED); left aside"}},
};
INSTANTIATE_TEST_SUITE_P(Cases, DecisionsText, ::testing::ValuesIn(kDecisionsTexts),
                         [](const auto& testCase) { return testName(testCase.param.name); });

TEST(DecisionsText, WithoutTheHeaderOrTooLargeNothingCanBeTrusted) {
    EXPECT_THROW(readDecisionsFile("PY2AAA,14,NIL,x\n"), std::invalid_argument);
    EXPECT_THROW(readDecisionsFile(""), std::invalid_argument);
    std::string large = "call,line,status,note\n";
    large.resize(kDecisionsFileLimit + 1, '\n');
    EXPECT_THROW(readDecisionsFile(large), std::invalid_argument);
    large.resize(kDecisionsFileLimit);
    EXPECT_NO_THROW(readDecisionsFile(large));
}

// A's line 1 is NIL, line 2 a duplicate, line 5 busted against B; the
// committee confirms line 1, refuses line 5 twice over (the later row
// counts), and names what it cannot decide on.
TEST(Decisions, SetTheFinalStatusOfTheirLinesAndNothingElse) {
    std::vector<SubmittedLog> logs = {
        {"PY2AAA",
         {qso(1, at(12, 0), "PY2BBB", "RJ"), qso(2, at(12, 1), "PY2BBB", "RJ"),
          qso(5, at(14, 0), "PY2BBB", "MG", "20m")},
         {{7, {logfile::ReadFaultKind::kOther, "no RST", {}}, "", std::nullopt}}},
        {"PY2BBB", {qso(1, at(14, 0), "PY2AAA", "SP", "20m", "CW", "RJ")}, {}},
    };
    logs[0].qsos[1].engine = EngineResult::kDupe;
    CheckOptions options;
    options.decisions = readDecisionsFile(
        "call,line,status,note\n"
        "PY2AAA,1,CONFIRMED,B's log was lost\n"
        "PY2AAA,5,NIL,first\n"
        "PY2AAA,5,REFUSED,logged on a second radio\n"
        "PY2AAA,2,CONFIRMED,a duplicate\n"
        "PY2AAA,7,CONFIRMED,unreadable\n"
        "PY2AAA,9,CONFIRMED,no such line\n"
        "PY9XXX,1,CONFIRMED,no such log\n");
    ASSERT_TRUE(options.decisions.problems.empty());
    const CrossCheckResult result = checkContest(logs, options);
    const std::vector<LogVerdict>& v = result.verdicts;
    EXPECT_EQ(v[0].qsos[0].status, QsoStatus::kConfirmed);
    EXPECT_EQ(verdictDetail(logs, v, 0, 0), "decided by the committee: B's log was lost");
    EXPECT_EQ(replacedDetailIn(Language::kEnglish, logs, v, 0, 0), "not in PY2BBB's log");
    EXPECT_EQ(v[0].qsos[2].status, QsoStatus::kRefused);
    EXPECT_EQ(v[0].qsos[2].otherLog, -1);
    EXPECT_EQ(v[0].decisions.size(), 2u);
    EXPECT_EQ(v[0].decisions[1].replaced, QsoStatus::kBustedExchange);
    EXPECT_EQ(v[0].decisions[1].row, 4u);
    // The other station's line keeps its status; the duplicate is left alone.
    EXPECT_EQ(v[1].qsos[0].status, QsoStatus::kConfirmed);
    EXPECT_EQ(v[0].qsos[1].status, QsoStatus::kDupe);
    std::vector<std::string> problems;
    for (const DecisionProblem& p : result.decisionProblems) {
        problems.push_back(decisionProblemText(p));
    }
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "line 5: line 2 of PY2AAA's log is DUPE, no contact to decide on; left aside",
                            "line 6: line 7 of PY2AAA's log is UNREADABLE, no contact to decide on; left aside",
                            "line 7: line 9 is no QSO line of PY2AAA's log; left aside",
                            "line 8: no log of PY9XXX was checked; left aside",
                        }));
}

}  // namespace
}  // namespace torv::crosscheck
