#include <algorithm>

#include <gtest/gtest.h>

#include "engine/store.h"
#include "support/store_access.h"
#include "support/test_names.h"

using torv::engine::ContactStore;
using torv::engine::ContactStoreTestAccess;
using torv::engine::ScoreEntry;

namespace {

CInfo record(const std::string& call, const std::string& band = "80m", const std::string& mode = "CW",
             const std::string& area = "SP") {
    CInfo r;
    r.call = call;
    r.band = band;
    r.mode = mode;
    r.area = area;
    return r;
}

TEST(ContactStore, RemovalShiftsLaterRecordsDownInOrder) {
    ContactStore store;
    store.append(record("A"));
    store.append(record("B"));
    store.append(record("C"));
    ContactStoreTestAccess::removeAt(store, 0);
    ASSERT_EQ(store.count(), 2u);
    EXPECT_EQ(store.contactList()[0].call, "B");
    EXPECT_EQ(store.contactList()[1].call, "C");
}

TEST(ContactStore, IndexesFollowAppendsRemovalsAndClear) {
    ContactStore store;
    store.append(record("A", "80m", "CW", "SP"));
    store.append(record("A", "80m", "CW", "SP"));
    store.append(record("A", "80m", "SSB", ""));
    EXPECT_EQ(store.twinCount("A", "80m", "CW"), 2u);
    EXPECT_EQ(store.twinCount("A", "80m", "SSB"), 1u);
    EXPECT_EQ(store.twinCount("A", "40m", "CW"), 0u);
    EXPECT_TRUE(store.hasArea("80m", "SP"));
    EXPECT_TRUE(store.hasArea("80m", ""));  // an empty area is a stored area too
    EXPECT_FALSE(store.hasArea("40m", "SP"));

    ContactStoreTestAccess::removeAt(store, *ContactStoreTestAccess::findFirstTwin(store, "A", "80m", "CW"));
    EXPECT_EQ(store.twinCount("A", "80m", "CW"), 1u);
    EXPECT_TRUE(store.hasArea("80m", "SP"));
    ContactStoreTestAccess::removeAt(store, *ContactStoreTestAccess::findFirstTwin(store, "A", "80m", "CW"));
    EXPECT_EQ(store.twinCount("A", "80m", "CW"), 0u);
    EXPECT_FALSE(store.hasArea("80m", "SP"));
    EXPECT_FALSE(ContactStoreTestAccess::findFirstTwin(store, "A", "80m", "CW").has_value());

    store.clear();
    EXPECT_EQ(store.count(), 0u);
    EXPECT_EQ(store.twinCount("A", "80m", "SSB"), 0u);
    EXPECT_FALSE(store.hasArea("80m", ""));
}

TEST(ContactStore, KeysDoNotRunTogether) {
    ContactStore store;
    store.append(record("AB", "C", "D"));
    EXPECT_EQ(store.twinCount("A", "BC", "D"), 0u);
    EXPECT_EQ(store.twinCount("AB", "C", "D"), 1u);
    store.append(record("X", "8", "CW", "0m"));
    EXPECT_FALSE(store.hasArea("80m", ""));
}

TEST(ContactStore, FindFirstTwinGivesTheEarliestIndex) {
    ContactStore store;
    store.append(record("B"));
    store.append(record("A"));
    store.append(record("A"));
    EXPECT_EQ(ContactStoreTestAccess::findFirstTwin(store, "A", "80m", "CW"), 1u);
}

TEST(ContactStore, BandListKeepsFirstAppearanceOnce) {
    ContactStore store;
    for (const char* band : {"80m", "40m", "80m", "6m", "40m"}) {
        store.addBand(band);
    }
    EXPECT_EQ(store.bandList(), std::vector<std::string>({"80m", "40m", "6m"}));
    store.clearBands();
    EXPECT_TRUE(store.bandList().empty());
    store.addBand("80m");
    EXPECT_EQ(store.bandList(), std::vector<std::string>({"80m"}));
}

TEST(ContactStore, WorkedRowsStartEmptyAndResetToBandsAndDashes) {
    ContactStore store;
    for (const auto& row : store.workedRows()) {
        EXPECT_TRUE(row.empty());
    }
    store.workedRows()[2] = {"40m", "0930", "CW", "SP"};
    store.resetWorkedRows();
    const char* bands[] = {"160m", "80m", "40m", "20m", "15m", "10m"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(store.workedRows()[i], std::vector<std::string>({bands[i], "-", "-", "-"}));
    }
}

// Positions after many removals, squeezing out the dead slots on the way:
// the store must agree with a plain array from which the same records are
// erased, whatever the order of the removals.
struct RemovalPattern {
    const char* name;
    size_t (*next)(size_t count, size_t step);  // position to remove next
};

const RemovalPattern kRemovalPatterns[] = {
    {"always the first", [](size_t, size_t) -> size_t { return 0; }},
    {"always the last", [](size_t count, size_t) -> size_t { return count - 1; }},
    {"spread over the log", [](size_t count, size_t step) -> size_t { return (step * 7919) % count; }},
    {"the middle", [](size_t count, size_t) -> size_t { return count / 2; }},
};

class StoreRemovals : public ::testing::TestWithParam<RemovalPattern> {};

TEST_P(StoreRemovals, PositionsFollowAPlainArray) {
    ContactStore store;
    std::vector<CInfo> plain;
    for (int i = 0; i < 300; ++i) {
        // Ten calls repeat, so twins are removed from the front and the middle.
        CInfo r = record("PY" + std::to_string(i % 10), i % 3 == 0 ? "40m" : "80m", "CW", i % 4 == 0 ? "RJ" : "SP");
        r.dupe = i >= 10 ? 1 : 0;
        r.rstSent = std::to_string(i);  // tells the records apart
        store.append(r);
        plain.push_back(r);
    }
    for (size_t step = 0; !plain.empty(); ++step) {
        const size_t position = GetParam().next(plain.size(), step);
        if (step % 5 == 4) {
            // The engine's removal: the first twin in log order.
            const CInfo wanted = plain[position];
            const auto first = std::find_if(plain.begin(), plain.end(), [&](const CInfo& r) {
                return r.call == wanted.call && r.band == wanted.band && r.mode == wanted.mode;
            });
            ASSERT_EQ(ContactStoreTestAccess::findFirstTwin(store, wanted.call, wanted.band, wanted.mode),
                      static_cast<size_t>(first - plain.begin()));
            ASSERT_TRUE(store.removeFirstTwin(wanted.call, wanted.band, wanted.mode));
            plain.erase(first);
        } else {
            ContactStoreTestAccess::removeAt(store, position);
            plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(position));
        }
        ASSERT_EQ(store.count(), plain.size());
        const std::vector<CInfo> list = store.contactList();
        for (size_t i = 0; i < plain.size(); ++i) {
            ASSERT_EQ(list[i].rstSent, plain[i].rstSent) << "step " << step << " position " << i;
            ASSERT_EQ(store.at(i).rstSent, plain[i].rstSent) << "step " << step << " position " << i;
            ASSERT_EQ(list[i].dupe, plain[i].dupe);
        }
        for (const char* band : {"40m", "80m"}) {
            const size_t expected = static_cast<size_t>(std::count_if(
                plain.begin(), plain.end(), [&](const CInfo& r) { return r.call == "PY3" && r.band == band; }));
            ASSERT_EQ(store.twinCount("PY3", band, "CW"), expected);
        }
        ASSERT_EQ(store.hasArea("40m", "RJ"), std::any_of(plain.begin(), plain.end(), [](const CInfo& r) {
                      return r.band == "40m" && r.area == "RJ";
                  }));
    }
    store.append(record("LAST"));
    EXPECT_EQ(store.at(0).call, "LAST");
    EXPECT_EQ(ContactStoreTestAccess::findFirstTwin(store, "LAST", "80m", "CW"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Patterns, StoreRemovals, ::testing::ValuesIn(kRemovalPatterns),
                         [](const auto& patternInfo) { return testName(patternInfo.param.name); });

TEST(ContactStore, ScoreEntriesFollowTheRecords) {
    ContactStore store;
    CInfo dupe = record("A", "40m", "CW", "");
    dupe.dupe = 1;
    store.append(record("A", "40m", "CW", "SP"));
    store.append(dupe);
    store.append(record("", "80m", "SSB", "RJ"));
    CInfo yl = record("B", "80m", "CW", "");
    yl.exchangeReceived = "YL";
    store.append(yl);
    ASSERT_EQ(store.scoreEntries().size(), 4u);
    const ScoreEntry& first = store.scoreEntries()[0];
    EXPECT_TRUE(first.counted);
    EXPECT_EQ(first.band, *store.bandId("40m"));
    EXPECT_EQ(store.areaName(first.area), "SP");
    EXPECT_EQ(first.points, 2);
    EXPECT_FALSE(store.scoreEntries()[1].counted);  // a duplicate
    EXPECT_EQ(store.scoreEntries()[1].area, ScoreEntry::kNoArea);
    EXPECT_FALSE(store.scoreEntries()[2].counted);  // no call
    EXPECT_EQ(store.scoreEntries()[3].points, 6);
    EXPECT_FALSE(store.bandId("20m").has_value());

    ContactStoreTestAccess::removeAt(store, 0);
    EXPECT_FALSE(store.scoreEntries()[0].counted);
    store.clear();
    EXPECT_TRUE(store.scoreEntries().empty());
    EXPECT_FALSE(store.bandId("40m").has_value());
    EXPECT_EQ(store.areaIdCount(), 0u);
}

}  // namespace
