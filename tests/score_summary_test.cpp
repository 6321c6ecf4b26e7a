#include <gtest/gtest.h>

#include "reports/score_summary.h"
#include "support/store_access.h"
#include "support/test_names.h"

using torv::engine::contactPoints;
using torv::engine::ContactStore;
using torv::engine::ContactStoreTestAccess;
using torv::engine::ContestContext;
using torv::engine::kSpecialCallSign;
using torv::reports::computeScoreSummary;
using torv::reports::ScoreSummary;
using torv::reports::sortBandsDescending;

namespace {

CInfo counted(const std::string& call, const std::string& band, const std::string& exchange, const std::string& area,
              int dupe = 0) {
    CInfo c;
    c.call = call;
    c.band = band;
    c.mode = "CW";
    c.exchangeReceived = exchange;
    c.exchangeSent = "SP";
    c.area = area;
    c.dupe = dupe;
    return c;
}

// The summary of a store holding the log, as GetResult0 computes it.
ScoreSummary summaryOf(const std::vector<CInfo>& log, std::vector<std::string>& bands, const ContestContext& context) {
    ContactStore store;
    for (const CInfo& contact : log) {
        store.append(contact);
    }
    return computeScoreSummary(store, bands, context);
}

ContestContext context() {
    ContestContext c;
    c.contestantCall = "PY2ZZ";
    c.startText = "14.03";
    c.endText = "15.03.2016";
    return c;
}

const std::string kHeader = "      TORV 14.03-15.03.2016\r\n\tContestant: PY2ZZ \r\n\tQSOs\tPoints\tMULT\r\n";

struct SortCase {
    const char* name;
    std::vector<std::string> bands;
    std::vector<std::string> sorted;
};

const SortCase kSortCases[] = {
    {"arrival order", {"10m", "80m", "20m"}, {"80m", "20m", "10m"}},
    {"all contest bands reversed", {"10m", "15m", "20m", "40m", "80m"}, {"80m", "40m", "20m", "15m", "10m"}},
    {"already sorted", {"80m", "40m", "10m"}, {"80m", "40m", "10m"}},
    {"unlisted bands by padded text", {"6m", "2m", "70cm", "80m"}, {"70cm", "80m", "6m", "2m"}},
    // "080m" and "80m" pad alike: the exchange sort decides their order.
    {"equal padded names keep the exchange sort's order", {"080m", "40m", "80m"}, {"080m", "80m", "40m"}},
    {"equal padded names second", {"40m", "80m", "080m"}, {"80m", "080m", "40m"}},
    {"long names compare unpadded", {"abcdefghijklmnopqrstu", "80m"}, {"abcdefghijklmnopqrstu", "80m"}},
    {"empty band sorts last", {"", "10m"}, {"10m", ""}},
    {"bytes above 127 sort high", {"9m", "\xE9m"}, {"\xE9m", "9m"}},
};

class BandSort : public ::testing::TestWithParam<SortCase> {};

TEST_P(BandSort, IsDescendingByPaddedName) {
    std::vector<std::string> bands = GetParam().bands;
    sortBandsDescending(bands);
    EXPECT_EQ(bands, GetParam().sorted);
}

INSTANTIATE_TEST_SUITE_P(Cases, BandSort, ::testing::ValuesIn(kSortCases),
                         [](const auto& testCase) { return testName(testCase.param.name); });

TEST(ContactPoints, FirstMatchingRowWins) {
    EXPECT_EQ(contactPoints(counted(kSpecialCallSign, "40m", "YL", "")), 10);
    EXPECT_EQ(contactPoints(counted("PY1AA", "40m", "YL", "")), 6);
    EXPECT_EQ(contactPoints(counted("PY1AA", "40m", "QRP", "")), 3);
    EXPECT_EQ(contactPoints(counted("PY1AA", "40m", "MIL", "")), 8);
    EXPECT_EQ(contactPoints(counted("PY1AA", "40m", "SP", "SP")), 2);
    EXPECT_EQ(contactPoints(counted("PY1AA", "40m", "yl", "")), 2);
    EXPECT_EQ(contactPoints(counted("py5torv", "40m", "SP", "SP")), 2);
}

TEST(ScoreSummary, CategoryWordsAndAnAreaOnOneBand) {
    std::vector<std::string> bands = {"40m"};
    const auto summary = summaryOf(
        {counted("PY1AA", "40m", "YL", ""), counted("PY1AB", "40m", "QRP", ""), counted("PY1AC", "40m", "SP", "SP")},
        bands, context());
    EXPECT_EQ(summary.text, kHeader + "40m\t 3\t 11\r\nTotal\t 3\t 11\t 1\r\n\r\nScore: 11*1 = 11");
    EXPECT_EQ(summary.score, 11);
    EXPECT_EQ(summary.workedAreas, std::vector<std::string>({"SP"}));
}

TEST(ScoreSummary, AnAreaCountsOnceOnTheFirstBandInSortedOrder) {
    std::vector<std::string> bands = {"40m", "80m"};
    const auto summary = summaryOf(
        {counted("PY1AA", "40m", "RJ", "RJ"), counted("PY1AB", "80m", "RJ", "RJ"), counted("PY1AC", "40m", "SP", "SP")},
        bands, context());
    EXPECT_EQ(bands, std::vector<std::string>({"80m", "40m"}));
    EXPECT_EQ(summary.text, kHeader + "80m\t 1\t 2\r\n40m\t 2\t 4\r\nTotal\t 3\t 6\t 2\r\n\r\nScore: 6*2 = 12");
    EXPECT_EQ(summary.workedAreas, std::vector<std::string>({"RJ", "SP"}));
}

TEST(ScoreSummary, DuplicatesAndEmptyCallsCountOnlyInTheTotal) {
    std::vector<std::string> bands = {"20m"};
    const auto summary = summaryOf({counted("PY1AA", "20m", "SP", "SP"), counted("PY1AA", "20m", "SP", "SP", 1),
                                    counted("", "20m", "RJ", "RJ"), counted("PY1AD", "20m", "yl", "")},
                                   bands, context());
    EXPECT_EQ(summary.text, kHeader + "20m\t 2\t 4\r\nTotal\t 4\t 4\t 1\r\n\r\nScore: 4*1 = 4");
    EXPECT_EQ(summary.workedAreas, std::vector<std::string>({"SP"}));
}

TEST(ScoreSummary, ABandWithoutContactsKeepsItsRow) {
    std::vector<std::string> bands = {"10m", "15m"};
    const auto summary = summaryOf({counted("PY1AA", "15m", "MIL", "")}, bands, context());
    EXPECT_EQ(summary.text, kHeader + "15m\t 1\t 8\r\n10m\t 0\t 0\r\nTotal\t 1\t 8\t 0\r\n\r\nScore: 8*0 = 0");
}

TEST(ScoreSummary, BeforeTheFirstRescoring) {
    std::vector<std::string> bands;
    const auto summary = summaryOf({counted("PY1AA", "15m", "SP", "SP")}, bands, ContestContext{});
    EXPECT_EQ(summary.text,
              "      TORV -\r\n\tContestant:  \r\n\tQSOs\tPoints\tMULT\r\nTotal\t 1\t 0\t 0\r\n\r\nScore: 0*0 = 0");
    EXPECT_TRUE(summary.workedAreas.empty());
}

TEST(ScoreSummary, IslandsAndAllAreasMultiply) {
    std::vector<CInfo> log;
    std::vector<std::string> bands = {"20m"};
    for (const char* area : {"PY0F", "PY0S", "PY0T", "SP", "RJ", "PY0F"}) {
        log.push_back(counted(std::string("PY") + area, "20m", "XX", area));
    }
    log.push_back(counted(kSpecialCallSign, "20m", "SP", "SP"));
    const auto summary = summaryOf(log, bands, context());
    EXPECT_EQ(summary.points, 6 * 2 + 10);
    EXPECT_EQ(summary.multipliers, 5);
    EXPECT_EQ(summary.score, 22 * 5);
    EXPECT_EQ(summary.workedAreas, std::vector<std::string>({"PY0F", "PY0S", "PY0T", "SP", "RJ"}));
}

TEST(ScoreSummary, ManyBandTextsEachKeepARowInOrder) {
    // A broken log with hundreds of band texts still gives one row each.
    std::vector<CInfo> log;
    std::vector<std::string> bands;
    for (int i = 0; i < 300; ++i) {
        bands.push_back(std::to_string(i) + "m");
        log.push_back(counted("PY" + std::to_string(i), bands.back(), "SP", "SP"));
    }
    const auto summary = summaryOf(log, bands, context());
    EXPECT_EQ(bands.front(), "299m");
    EXPECT_EQ(bands.back(), "0m");
    EXPECT_EQ(summary.points, 600);
    EXPECT_EQ(summary.multipliers, 1);
    EXPECT_NE(summary.text.find("299m\t 1\t 2\r\n298m\t 1\t 2\r\n"), std::string::npos);
}

// Removals leave the later records' marks alone: the second of two twins
// keeps its duplicate mark and still does not count.
TEST(ScoreSummary, AfterRemovalsTheRestKeepTheirOrderAndMarks) {
    ContactStore store;
    store.append(counted("PY1AA", "40m", "SP", "SP"));
    store.append(counted("PY1AB", "40m", "RJ", "RJ"));
    store.append(counted("PY1AA", "40m", "SP", "SP", 1));
    store.append(counted("PY1AC", "40m", "MG", "MG"));
    store.append(counted("PY1AD", "80m", "YL", ""));
    std::vector<std::string> bands = {"40m", "80m"};
    ASSERT_TRUE(store.removeFirstTwin("PY1AA", "40m", "CW"));
    ASSERT_TRUE(store.removeFirstTwin("PY1AD", "40m", "CW") == false);
    ContactStoreTestAccess::removeAt(store, *ContactStoreTestAccess::findFirstTwin(store, "PY1AD", "80m", "CW"));
    const auto summary = computeScoreSummary(store, bands, context());
    EXPECT_EQ(summary.text, kHeader + "80m\t 0\t 0\r\n40m\t 2\t 4\r\nTotal\t 3\t 4\t 2\r\n\r\nScore: 4*2 = 8");
    EXPECT_EQ(summary.workedAreas, std::vector<std::string>({"RJ", "MG"}));
}

// A store of many band texts and many area texts (only a broken caller makes
// one) gives the same summary as a small one would.
TEST(ScoreSummary, ManyBandsTimesManyAreas) {
    std::vector<CInfo> log;
    std::vector<std::string> bands;
    for (int i = 0; i < 1100; ++i) {
        bands.push_back(std::to_string(i) + "m");
        log.push_back(counted("PY" + std::to_string(i), bands.back(), "SP", "A" + std::to_string(i % 1000)));
    }
    const auto summary = summaryOf(log, bands, context());
    EXPECT_EQ(summary.points, 2200);
    EXPECT_EQ(summary.multipliers, 1000);
    EXPECT_EQ(summary.workedAreas.front(), "A99");  // "1099m" sorts first
}

}  // namespace
