#include "crosscheck/checked_score.h"

#include <gtest/gtest.h>

#include "crosscheck/contest_report.h"

namespace torv::crosscheck {
namespace {

LogQso stored(const std::string& call, const std::string& band, const std::string& received, const std::string& area,
              EngineResult engine = EngineResult::kStored) {
    LogQso q;
    q.call = call;
    q.band = band;
    q.mode = "CW";
    q.exchangeReceived = received;
    q.exchangeSent = "SP";
    q.area = area;
    q.engine = engine;
    return q;
}

std::vector<QsoVerdict> verdictsOf(const std::vector<QsoStatus>& statuses) {
    std::vector<QsoVerdict> verdicts;
    for (QsoStatus s : statuses) {
        QsoVerdict v;
        v.status = s;
        verdicts.push_back(v);
    }
    return verdicts;
}

class Checked : public ::testing::Test {
protected:
    CheckedScore score(const std::vector<QsoStatus>& statuses, const ScoreRules& rules = ScoreRules()) {
        return checkedScore(log_, verdictsOf(statuses), rules);
    }
    // Four contacts: 2 + 6 + 2 + 2 points over the areas RJ, MG (YL has none).
    std::vector<LogQso> log_ = {stored("PY2BBB", "40m", "RJ", "RJ"), stored("PY2CCC", "40m", "YL", ""),
                                stored("PY2DDD", "20m", "MG", "MG"), stored("PY2EEE", "20m", "RJ", "RJ")};
};

TEST_F(Checked, AllConfirmedIsTheClaimedScore) {
    const CheckedScore s = score(std::vector<QsoStatus>(4, QsoStatus::kConfirmed));
    EXPECT_EQ(s.summary.points, 12);
    EXPECT_EQ(s.summary.multipliers, 2);
    EXPECT_EQ(s.points, 12);
    EXPECT_EQ(s.score, 24);
    EXPECT_EQ(s.penaltyPoints, 0);
    EXPECT_NE(s.summary.text.find("40m\t 2\t 8\r\n20m\t 2\t 4\r\n"), std::string::npos) << s.summary.text;
}

TEST_F(Checked, NilAndBustedContactsLeaveTheScoreWithTheirMultipliers) {
    const CheckedScore s =
        score({QsoStatus::kConfirmed, QsoStatus::kBustedExchange, QsoStatus::kNil, QsoStatus::kBustedCall});
    EXPECT_EQ(s.summary.points, 2);
    EXPECT_EQ(s.summary.multipliers, 1);
    EXPECT_EQ(s.score, 2);
    // The band rows stay, with what is left.
    EXPECT_NE(s.summary.text.find("20m\t 0\t 0\r\n"), std::string::npos);
}

TEST_F(Checked, ThePenaltyTakesTheirOwnPointsOffTimesN) {
    ScoreRules rules;
    rules.penalty = 2;
    const CheckedScore s =
        score({QsoStatus::kConfirmed, QsoStatus::kConfirmed, QsoStatus::kNil, QsoStatus::kConfirmed}, rules);
    EXPECT_EQ(s.summary.points, 10);
    EXPECT_EQ(s.penaltyPoints, 4);
    EXPECT_EQ(s.points, 6);
    EXPECT_EQ(s.score, 6 * 1);
}

TEST_F(Checked, ThePenaltyNeverTakesThePointsBelowZero) {
    ScoreRules rules;
    rules.penalty = 3;
    const CheckedScore s =
        score({QsoStatus::kConfirmed, QsoStatus::kBustedCall, QsoStatus::kNil, QsoStatus::kNil}, rules);
    EXPECT_EQ(s.summary.points, 2);
    EXPECT_EQ(s.points, 0);
    EXPECT_EQ(s.score, 0);
}

TEST_F(Checked, UniquesCountOrGoAsAsked) {
    const std::vector<QsoStatus> verdicts = {QsoStatus::kUnique, QsoStatus::kUnverified, QsoStatus::kConfirmed,
                                             QsoStatus::kConfirmed};
    ScoreRules rules;
    rules.penalty = 5;
    EXPECT_EQ(score(verdicts, rules).score, 24);
    rules.uniques = UniquePolicy::kRemove;
    const CheckedScore removed = score(verdicts, rules);
    // RJ still counts through PY2EEE; uniques draw no penalty.
    EXPECT_EQ(removed.summary.points, 10);
    EXPECT_EQ(removed.penaltyPoints, 0);
    EXPECT_EQ(removed.score, 20);
}

// The one rule of what counts: the checked score keeps a contact, and the
// reports count its line, by the same answer.
TEST(CountsInScore, OnlyConfirmedUnverifiedAndUniqueCountAndOnlyNilAndBustedArePenalised) {
    struct Row {
        QsoStatus status;
        bool countsCounting, countsRemoving, penalised;
    };
    const Row rows[] = {
        {QsoStatus::kConfirmed, true, true, false},     {QsoStatus::kUnverified, true, true, false},
        {QsoStatus::kUnique, true, false, false},       {QsoStatus::kNil, false, false, true},
        {QsoStatus::kBustedCall, false, false, true},   {QsoStatus::kBustedExchange, false, false, true},
        {QsoStatus::kRefused, false, false, false},     {QsoStatus::kDupe, false, false, false},
        {QsoStatus::kOutOfPeriod, false, false, false}, {QsoStatus::kOtherBand, false, false, false},
        {QsoStatus::kUnreadable, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(statusWord(row.status));
        EXPECT_EQ(countsInScore(row.status, UniquePolicy::kCount), row.countsCounting);
        EXPECT_EQ(countsInScore(row.status, UniquePolicy::kRemove), row.countsRemoving);
        EXPECT_EQ(drawsPenalty(row.status), row.penalised);
        VerdictCounts counts;
        counts.byStatus[static_cast<size_t>(row.status)] = 3;
        EXPECT_EQ(counts.counted(UniquePolicy::kCount), row.countsCounting ? 3 : 0);
        EXPECT_EQ(counts.counted(UniquePolicy::kRemove), row.countsRemoving ? 3 : 0);
    }
}

TEST_F(Checked, OutOfPeriodOtherBandAndNoContestBandCountNothingAndCostNothing) {
    ScoreRules rules;
    rules.penalty = 3;
    log_[0].band = "6m";
    const CheckedScore s =
        score({QsoStatus::kRefused, QsoStatus::kOutOfPeriod, QsoStatus::kOtherBand, QsoStatus::kConfirmed}, rules);
    EXPECT_EQ(s.summary.points, 2);
    EXPECT_EQ(s.penaltyPoints, 0);
    EXPECT_EQ(s.score, 2);
}

TEST_F(Checked, DuplicateMarksStayAsTheEngineSetThem) {
    log_[3].engine = EngineResult::kDupe;
    EXPECT_EQ(
        score({QsoStatus::kConfirmed, QsoStatus::kConfirmed, QsoStatus::kConfirmed, QsoStatus::kDupe}).summary.points,
        10);
}

TEST_F(Checked, RefusedContactsWereNeverStored) {
    log_[0].engine = EngineResult::kRefused;
    log_[0].band = "30m";
    const CheckedScore s =
        score({QsoStatus::kRefused, QsoStatus::kConfirmed, QsoStatus::kConfirmed, QsoStatus::kConfirmed});
    EXPECT_EQ(s.summary.points, 10);
    EXPECT_EQ(s.summary.text.find("30m"), std::string::npos);
    EXPECT_EQ(storedRecords(log_).size(), 3u);
    EXPECT_EQ(storedRecords(log_)[0].call, "PY2CCC");
}

LogQso line(uint32_t number, int64_t minute, const std::string& band) {
    LogQso q;
    q.line = number;
    q.minute = minute;
    q.band = band;
    return q;
}

TEST(HeaderFindings, ASoundHeaderDrawsNone) {
    HeaderFacts header;
    header.categoryBand = "40M";
    header.claimedScorePresent = true;
    header.claimedScore = 120;
    header.claimedScoreText = "120";
    EXPECT_TRUE(headerFindings(header, {line(1, 100, "40m")}, 120, Period{0, 200}).empty());
}

TEST(HeaderFindings, EveryFindingInOrder) {
    HeaderFacts header;
    header.categoryBand = "40m";
    header.claimedScorePresent = true;
    header.claimedScore = 130;
    header.claimedScoreText = "130";
    const std::vector<LogQso> qsos = {line(11, 100, "40m"), line(12, 99, "10m"), line(13, 300, "80m"),
                                      line(14, 200, "10m")};
    const std::vector<std::string> expected = {
        "CATEGORY-BAND 40M, but contacts on 80m, 10m",
        "CLAIMED-SCORE 130 differs from the log's score 120",
        "2 contacts outside the contest period (lines 12, 13)",
    };
    EXPECT_EQ(headerFindings(header, qsos, 120, Period{100, 200}), expected);
}

TEST(HeaderFindings, MissingOrUnreadableClaimedScore) {
    HeaderFacts header;
    EXPECT_EQ(headerFindings(header, {}, 42, Period{}),
              std::vector<std::string>{"CLAIMED-SCORE missing; the log scores 42"});
    header.claimedScorePresent = true;
    header.claimedScoreText = "lots";
    EXPECT_EQ(headerFindings(header, {}, 42, Period{}),
              std::vector<std::string>{"CLAIMED-SCORE lots differs from the log's score 42"});
}

TEST(HeaderFindings, ThePeriodHoldsForTheCorrectedTimes) {
    HeaderFacts header;
    header.hasHeader = false;
    const std::vector<LogQso> qsos = {line(1, 95, "40m"), line(2, 205, "40m")};
    // A clock 8 minutes behind: 95 was 103, 205 was 213.
    EXPECT_EQ(headerFindings(header, qsos, 0, Period{100, 200}, -8),
              std::vector<std::string>{"1 contact outside the contest period (line 2)"});
    EXPECT_FALSE(outsidePeriod(qsos[0], Period{100, 200}, -8));
    EXPECT_TRUE(outsidePeriod(qsos[0], Period{100, 200}));
}

TEST(HeaderFindings, ALogWithoutAHeaderIsHeldOnlyToThePeriod) {
    HeaderFacts header;
    header.hasHeader = false;
    EXPECT_EQ(headerFindings(header, {line(7, 500, "10m")}, 42, Period{0, 100}),
              std::vector<std::string>{"1 contact outside the contest period (line 7)"});
}

TEST(HeaderFindings, AllBandsAndOpenPeriodsDrawNone) {
    HeaderFacts header;
    header.categoryBand = "ALL";
    header.claimedScorePresent = true;
    header.claimedScore = 0;
    header.claimedScoreText = "0";
    const std::vector<LogQso> qsos = {line(1, 5, "40m"), line(2, 500, "10m")};
    EXPECT_TRUE(headerFindings(header, qsos, 0, Period{}).empty());
    EXPECT_EQ(headerFindings(header, qsos, 0, Period{std::nullopt, 100}),
              std::vector<std::string>{"1 contact outside the contest period (line 2)"});
}

}  // namespace
}  // namespace torv::crosscheck
