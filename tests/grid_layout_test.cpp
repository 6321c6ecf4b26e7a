#include <gtest/gtest.h>

#include "infowin/grid_layout.h"
#include "infowin/remembered_position.h"
#include "support/fakes.h"

namespace contest = torv::engine::contest;
using torv::engine::ContactStore;
using torv::engine::WorkedRows;
using torv::infowin::GridFill;
using torv::infowin::GridPicture;
using torv::infowin::GridText;
using torv::infowin::layoutGrid;
using torv::infowin::RememberedPosition;

namespace {

WorkedRows builtRows() {
    ContactStore store;
    store.resetWorkedRows();
    WorkedRows rows = store.workedRows();
    rows[0] = {"160m", "09:00", "CW", "SP"};
    rows[3] = {"20m", "11:02", "SSB", "RJ"};
    return rows;
}

bool hasText(const GridPicture& picture, int x, int y, const std::string& text) {
    for (const GridText& t : picture.texts) {
        if (t.x == x && t.y == y && t.text == text) {
            return true;
        }
    }
    return false;
}

TEST(GridLayout, NoCallShowsOnlyTheBackground) {
    for (int band : {-1, 0, 3}) {
        const GridPicture picture = layoutGrid(300, 217, "", band, builtRows());
        ASSERT_EQ(picture.fills.size(), 1u);
        EXPECT_EQ(picture.fills[0].colour, contest::kBackground);
        EXPECT_EQ(picture.fills[0].right, 300);
        EXPECT_EQ(picture.fills[0].bottom, 217);
        EXPECT_TRUE(picture.texts.empty());
    }
}

TEST(GridLayout, StripeOfTwentyMetresOnA217PixelButton) {
    const GridPicture picture = layoutGrid(300, 217, "PY1AA", 3, builtRows());
    ASSERT_EQ(picture.fills.size(), 2u);
    EXPECT_EQ(picture.fills[0].colour, contest::kTableBackground);
    const GridFill& stripe = picture.fills[1];
    EXPECT_EQ(stripe.colour, contest::kBandStripe);
    EXPECT_EQ(stripe.left, 0);
    EXPECT_EQ(stripe.top, 124);
    EXPECT_EQ(stripe.right, 300);
    EXPECT_EQ(stripe.bottom, 145);
    EXPECT_TRUE(hasText(picture, 20, 124, "20m"));
    EXPECT_TRUE(hasText(picture, 100, 124, "11:02"));
    EXPECT_TRUE(hasText(picture, 180, 124, "SSB"));
    EXPECT_TRUE(hasText(picture, 270, 124, "RJ"));
}

TEST(GridLayout, HeaderAndBandLines) {
    const GridPicture picture = layoutGrid(300, 217, "PY1AA", -1, builtRows());
    EXPECT_EQ(picture.fills.size(), 1u) << "no stripe without a band";
    EXPECT_TRUE(hasText(picture, 160, 0, "PY1AA"));
    EXPECT_TRUE(hasText(picture, 100, 18, "TIME"));
    EXPECT_TRUE(hasText(picture, 180, 18, "MODE"));
    EXPECT_TRUE(hasText(picture, 260, 18, "Area"));
    const char* bands[] = {"80m", "40m", "20m", "15m", "10m"};
    for (int line = 2; line <= 6; ++line) {
        EXPECT_TRUE(hasText(picture, 20, line * 31, bands[line - 2])) << line;
    }
    EXPECT_TRUE(hasText(picture, 100, 62, "-"));
    EXPECT_EQ(picture.texts.size(), 4u + 5u * 4u);
    for (const GridText& text : picture.texts) {
        EXPECT_NE(text.text, "160m") << "the 160 m row is never drawn";
        EXPECT_NE(text.text, "09:00");
    }
}

TEST(GridLayout, BandZeroStripesTheEmptyFirstLine) {
    const GridPicture picture = layoutGrid(300, 217, "PY1AA", 0, builtRows());
    ASSERT_EQ(picture.fills.size(), 2u);
    EXPECT_EQ(picture.fills[1].top, 31);
    EXPECT_EQ(picture.fills[1].bottom, 52);
}

TEST(GridLayout, TheHeaderStaysWhileLinesSpreadOut) {
    const GridPicture tall = layoutGrid(600, 700, "PY1AA", 5, builtRows());
    EXPECT_TRUE(hasText(tall, 160, 0, "PY1AA"));
    EXPECT_TRUE(hasText(tall, 100, 18, "TIME"));
    EXPECT_TRUE(hasText(tall, 20, 600, "10m"));
    EXPECT_EQ(tall.fills[1].top, 600);
    EXPECT_EQ(tall.fills[1].bottom, 690);
}

TEST(GridLayout, ShortOrMissingRowsDrawWhatTheyHave) {
    WorkedRows rows;  // before any rescoring: empty rows
    EXPECT_EQ(layoutGrid(300, 217, "PY1AA", 2, rows).texts.size(), 4u);
    rows[1] = {"80m", "10:00"};
    const GridPicture picture = layoutGrid(300, 217, "PY1AA", 2, rows);
    EXPECT_TRUE(hasText(picture, 100, 62, "10:00"));
    EXPECT_EQ(picture.texts.size(), 6u);
}

TEST(GridLayout, TinyButtons) {
    // Lines of 0 pixels (a minimised window): no stripe of negative height.
    const GridPicture picture = layoutGrid(5, 6, "PY1AA", 2, builtRows());
    EXPECT_EQ(picture.fills.size(), 1u);
    EXPECT_EQ(layoutGrid(300, 70, "PY1AA", 2, builtRows()).fills.size(), 1u);  // pitch 10: no height left
    EXPECT_EQ(layoutGrid(300, 77, "PY1AA", 2, builtRows()).fills.size(), 2u);  // pitch 11: one pixel high
}

TEST(RememberedPosition, DefaultsAndStoredValues) {
    struct Case {
        const char* x;
        const char* y;
        int expectedX, expectedY;
    };
    const Case cases[] = {
        {nullptr, nullptr, 10, 400},        {"0", "250", 10, 250}, {"-500", "0", -500, 400}, {"word", " 12x", 10, 12},
        {"-12345", "99999", -12345, 99999},
    };
    for (const Case& c : cases) {
        MemorySettings settings;
        if (c.x != nullptr) {
            settings.values["dxcc_x"] = c.x;
            settings.values["dxcc_y"] = c.y;
        }
        RememberedPosition position(settings, contest::kCallWindow);
        position.restore();
        EXPECT_EQ(position.x(), c.expectedX) << (c.x ? c.x : "absent");
        EXPECT_EQ(position.y(), c.expectedY) << (c.y ? c.y : "absent");
    }
}

TEST(RememberedPosition, WritesOnlyWhatMovedAndWholeNumbers) {
    MemorySettings settings;
    RememberedPosition position(settings, contest::kSetupWindow);
    position.restore();
    position.update(10, 200);
    EXPECT_TRUE(settings.writes.empty());
    position.update(40, 200);
    EXPECT_EQ(settings.writes, std::vector<std::string>({"area_x=40"}));
    position.update(-40, 9);
    position.update(-12345, 10000);
    EXPECT_EQ(settings.writes,
              std::vector<std::string>({"area_x=40", "area_x=-40", "area_y=9", "area_x=-12345", "area_y=10000"}));
    // A stored 0 reads as the default, and stays in the file until moved.
    MemorySettings zero;
    zero.values = {{"area_x", "0"}};
    RememberedPosition fromZero(zero, contest::kSetupWindow);
    fromZero.restore();
    fromZero.update(10, 200);
    EXPECT_TRUE(zero.writes.empty());
}

}  // namespace
