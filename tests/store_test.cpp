#include <gtest/gtest.h>

#include "engine/store.h"

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
    store.removeAt(0);
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

    store.removeAt(*store.findFirstTwin("A", "80m", "CW"));
    EXPECT_EQ(store.twinCount("A", "80m", "CW"), 1u);
    EXPECT_TRUE(store.hasArea("80m", "SP"));
    store.removeAt(*store.findFirstTwin("A", "80m", "CW"));
    EXPECT_EQ(store.twinCount("A", "80m", "CW"), 0u);
    EXPECT_FALSE(store.hasArea("80m", "SP"));
    EXPECT_FALSE(store.findFirstTwin("A", "80m", "CW").has_value());

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
    EXPECT_EQ(store.findFirstTwin("A", "80m", "CW"), 1u);
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

}  // namespace
