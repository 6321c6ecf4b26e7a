#include <algorithm>

#include <gtest/gtest.h>

#include "assistant/assistant_core.h"
#include "engine/contest_engine.h"
#include "support/assistant_core_access.h"
#include "support/assistant_fakes.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using torv::abi::kDateTimeValid;
using torv::assistant::AssistantCore;
using torv::assistant::AssistantCoreTestAccess;
using torv::assistant::bandIndexForFrequency;
using torv::calendar::oleDateFromCalendar;
using torv::engine::ContactFields;
using torv::engine::ContactStore;
using torv::engine::ContestEngine;
using torv::engine::WorkedBeforeState;
using torv::engine::WorkedRows;
using torv::ports::HostLink;

namespace {

using Events = std::vector<std::string>;

ContactFields contact(const std::string& call, const std::string& band, const std::string& mode, int hour, int minute,
                      const std::string& exchange = "RJ") {
    ContactFields c;
    c.call = call;
    c.band = band;
    c.mode = mode;
    c.exchangeSent = "SP";
    c.exchangeReceived = exchange;
    c.prefix = "PY";
    c.frequency = 7025000;
    c.qsoTime = {oleDateFromCalendar(2015, 9, 12, hour, minute), kDateTimeValid};
    return c;
}

class AssistantTest : public ::testing::Test {
protected:
    TempFolder folder;
    ContestEngine engine{folder.file("err.txt")};
    MemorySettings settings;
    WorkedBeforeState state;
    EventLog log = std::make_shared<Events>();
    FakeAssistantWindow window{log};
    FakeHost* host = nullptr;
    std::unique_ptr<AssistantCore> core;

    void SetUp() override { engine.resetStore(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid}); }

    void start(bool withHost = true) {
        std::unique_ptr<HostLink> link;
        if (withHost) {
            auto fake = std::make_unique<FakeHost>(log);
            host = fake.get();
            link = std::move(fake);
        }
        core = std::make_unique<AssistantCore>(settings, engine, state, window, std::move(link));
        core->initialise();
        log->clear();
    }

    WorkedRows rows() const {
        return engine.withStore([](const ContactStore& s) { return s.workedRows(); });
    }
};

TEST_F(AssistantTest, InitialisationShowsTheStoredChoicesAndSendsTheMode) {
    struct Case {
        const char* cw;
        const char* ssb;
        Events expected;
    };
    const Case cases[] = {
        {"1", "0", {"boxes C---", "host <MODE:CW>", "host <BAUDRATE:27>", "arm 300"}},
        {"0", "1", {"boxes -S--", "host <MODE:SSB>", "arm 300"}},
        {"1", "1", {"boxes CS--", "host <MODE:CW>", "host <BAUDRATE:27>", "arm 300"}},
        {"2", "", {"boxes C---", "host <MODE:CW>", "host <BAUDRATE:27>", "arm 300"}},
        {"", "word", {"boxes ----", "arm 300"}},
    };
    for (const Case& c : cases) {
        settings.values = {{"setup_mode_bpsk63", c.cw}, {"setup_mode_bpsk125", c.ssb}, {"setup_view_area", "1"}};
        log->clear();
        AssistantCore fresh(settings, engine, state, window, std::make_unique<FakeHost>(log));
        fresh.initialise();
        Events expected = c.expected;
        expected[0].replace(8, 1, "A");  // the area view flag is stored as set
        EXPECT_EQ(*log, expected) << c.cw << "/" << c.ssb;
    }
}

TEST_F(AssistantTest, WithoutAHostNothingIsSentAndTicksEndAtOnce) {
    settings.values = {{"setup_mode_bpsk63", "1"}, {"setup_view_call", "1"}};
    log->clear();
    AssistantCore noHost(settings, engine, state, window, nullptr);
    noHost.initialise();
    EXPECT_EQ(*log, Events({"boxes C--V", "arm 300"}));
    log->clear();
    noHost.tick();
    EXPECT_EQ(*log, Events({"kill"}));
    EXPECT_FALSE(AssistantCoreTestAccess::callViewOpen(noHost));
}

TEST_F(AssistantTest, ClickOnTheSelectedModeSendsItAgainWithoutWriting) {
    settings.values = {{"setup_mode_bpsk63", "1"}};
    start();
    settings.writes.clear();
    core->clickCw();
    EXPECT_EQ(*log, Events({"boxes C---", "host <MODE:CW>", "host <BAUDRATE:27>"}));
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(AssistantTest, ClickOnTheOtherModeSwitchesAndStores) {
    settings.values = {{"setup_mode_bpsk63", "1"}};
    start();
    settings.writes.clear();
    core->clickSsb();
    EXPECT_EQ(*log, Events({"boxes -S--", "host <MODE:SSB>"}));
    EXPECT_EQ(settings.writes, Events({"setup_mode_bpsk125=1", "Mode=1", "setup_mode_bpsk63=0"}));
    log->clear();
    settings.writes.clear();
    core->clickCw();
    EXPECT_EQ(*log, Events({"boxes C---", "host <MODE:CW>", "host <BAUDRATE:27>"}));
    EXPECT_EQ(settings.writes, Events({"setup_mode_bpsk63=1", "Mode=1", "setup_mode_bpsk125=0"}));
}

TEST_F(AssistantTest, TheStoredModeDecidesNotTheBox) {
    // The file says SSB although the boxes showed CW (another window changed it).
    settings.values = {{"setup_mode_bpsk63", "1"}};
    start();
    settings.values["setup_mode_bpsk63"] = "0";
    settings.values["setup_mode_bpsk125"] = "1";
    core->clickSsb();
    EXPECT_EQ(*log, Events({"boxes CS--", "host <MODE:SSB>"})) << "read, shown, sent; nothing switched";
}

TEST_F(AssistantTest, ViewClicksOpenAndCloseTheInfoWindows) {
    start();
    core->clickArea();
    EXPECT_EQ(*log, Events({"area view opened", "arm 300"}));
    EXPECT_EQ(settings.values["setup_view_area"], "1");
    EXPECT_TRUE(core->flags().areaView);
    log->clear();
    core->clickArea();
    EXPECT_EQ(*log, Events({"area view closed"}));
    EXPECT_EQ(settings.values["setup_view_area"], "0");
    log->clear();
    core->clickCall();
    core->clickCall();
    EXPECT_EQ(*log, Events({"call view opened", "arm 300", "call view closed"}));
    EXPECT_EQ(settings.values["setup_view_call"], "0");
}

TEST_F(AssistantTest, FirstTickOpensTheWantedViewsAndFillsThem) {
    settings.values = {{"setup_view_area", "1"}, {"setup_view_call", "1"}};
    engine.addData(contact("PY1AA", "40m", "CW", 10, 15));
    engine.withStore([](ContactStore& s) { s.publishWorkedAreas({"RJ", "SP"}); });
    start();
    host->entryField = "PY1AA";
    host->frequencyHertz = 7025000;
    core->tick();
    EXPECT_EQ(*log, Events({"kill", "area view opened", "call view opened", "host call",
                            "call caption TORV worked with PY1AA", "host frequency", "host <SP1>", "area caption Area ",
                            "area marks RJ SP", "call refresh"}));
    EXPECT_EQ(settings.values["setup_view_area"], "1");
    EXPECT_EQ(settings.values["setup_view_call"], "1");
    EXPECT_EQ(rows()[2], std::vector<std::string>({"40m", "10:15", "CW", "RJ"}));
    EXPECT_EQ(rows()[1], std::vector<std::string>({"80m", "   -", "   -", " -"}));
    EXPECT_EQ(state.snapshot().currentCall, "PY1AA");
    EXPECT_EQ(state.snapshot().bandIndex, 2);
}

TEST_F(AssistantTest, TheLastContactOnABandWinsDuplicatesIncluded) {
    engine.addData(contact("PY1AA", "40m", "CW", 10, 15, "RJ"));
    engine.addData(contact("PY1AA", "40m", "SSB", 11, 2, "RJ"));
    engine.addData(contact("PY1AA", "40m", "SSB", 11, 30, "xx"));  // duplicate, no area: still the last
    engine.addData(contact("PY1AA", "160m", "CW", 12, 0));         // refused: never stored
    engine.addData(contact("PY1AA", "6m", "CW", 12, 0));           // stored, no row of its own
    engine.addData(contact("PY1AB", "20m", "CW", 12, 5));
    start();
    host->entryField = "PY1AA";
    core->tick();
    const WorkedRows r = rows();
    EXPECT_EQ(r[2], std::vector<std::string>({"40m", "11:30", "SSB", ""}));
    for (size_t k : {0u, 1u, 3u, 4u, 5u}) {
        EXPECT_EQ(r[k][1], "   -") << k;
        EXPECT_EQ(r[k][2], "   -") << k;
        EXPECT_EQ(r[k][3], " -") << k;
    }
}

TEST_F(AssistantTest, CallsAreComparedExactly) {
    engine.addData(contact("PY1AA", "40m", "CW", 10, 15));
    settings.values = {{"setup_view_call", "1"}};
    start();
    host->entryField = "py1aa";
    core->tick();
    EXPECT_EQ(rows()[2][1], "   -");
    EXPECT_NE(std::find(log->begin(), log->end(), "call caption TORV worked with py1aa"), log->end());
}

TEST_F(AssistantTest, AnEmptyEntryFieldShowsCallAndPlaceholders) {
    engine.addData(contact("PY1AA", "40m", "CW", 10, 15));
    settings.values = {{"setup_view_call", "1"}};
    start();
    host->entryField = "";
    core->tick();
    EXPECT_NE(std::find(log->begin(), log->end(), "call caption CALL"), log->end());
    for (const auto& row : rows()) {
        EXPECT_EQ(std::vector<std::string>(row.begin() + 1, row.end()),
                  std::vector<std::string>({"   -", "   -", " -"}));
    }
}

TEST_F(AssistantTest, ACallOfOneOrTwoCharactersChangesNothing) {
    engine.addData(contact("PY1AA", "40m", "CW", 10, 15));
    settings.values = {{"setup_view_call", "1"}};
    start();
    host->entryField = "PY1AA";
    core->tick();
    const WorkedRows before = rows();
    for (const char* typed : {"P", "PY"}) {
        log->clear();
        host->entryField = typed;
        core->tick();
        EXPECT_EQ(*log, Events({"kill", "host call"})) << typed;
        EXPECT_EQ(rows(), before) << typed;
    }
}

TEST_F(AssistantTest, RetuneByMoreThan300HertzTellsTheHost) {
    start();
    host->entryField = "PY1AA";
    struct Step {
        double hertz;
        bool sends;
    };
    const Step steps[] = {
        {7025000, true},   // the first tick after loading: the last frequency is 0
        {7025200, false},  // 200 Hz
        {7025300, false},  // exactly 300 Hz from the last sent
        {7025301, true},   // 301 Hz
        {7025001, false},  // 300 Hz back
        {7024700, true},   // 601 Hz back
        {200, true},       // far below: still more than 300 Hz away
        {0, false},        // 200 Hz
    };
    for (const Step& step : steps) {
        log->clear();
        host->frequencyHertz = step.hertz;
        core->tick();
        const bool sent = std::find(log->begin(), log->end(), "host <SP1>") != log->end();
        EXPECT_EQ(sent, step.sends) << step.hertz;
    }
    EXPECT_EQ(state.lastFrequency(), 200.0);
}

TEST_F(AssistantTest, FrequencyOffTheBandsKeepsTheLastBandAndRefreshesNothing) {
    settings.values = {{"setup_view_call", "1"}, {"setup_view_area", "1"}};
    start();
    host->entryField = "PY1AA";
    host->frequencyHertz = 14025000;
    core->tick();
    EXPECT_EQ(state.snapshot().bandIndex, 3);
    log->clear();
    host->frequencyHertz = 29600000;
    core->tick();
    EXPECT_EQ(state.snapshot().bandIndex, 3);
    EXPECT_EQ(log->back(), "host <SP1>");
    EXPECT_EQ(std::count(log->begin(), log->end(), "call refresh"), 0);
}

TEST_F(AssistantTest, AFailingHostCallEndsTheTickQuietly) {
    settings.values = {{"setup_view_call", "1"}};
    start();
    host->entryField = "PY1AA";
    host->callFails = true;
    core->tick();
    EXPECT_EQ(*log, Events({"kill", "call view opened", "host call"}));
    EXPECT_EQ(state.snapshot().currentCall, "");

    host->callFails = false;
    host->frequencyFails = true;
    log->clear();
    core->tick();
    EXPECT_EQ(*log, Events({"kill", "host call", "call caption TORV worked with PY1AA", "host frequency"}));

    host->frequencyFails = false;
    host->commandsFail = true;
    log->clear();
    core->tick();
    EXPECT_EQ(log->back(), "host <SP1>");
    EXPECT_EQ(state.lastFrequency(), 0.0) << "not sent: not remembered";
}

TEST_F(AssistantTest, RowsNotYetBuiltEndTheTick) {
    ContestEngine fresh(folder.file("other-err.txt"));
    settings.values = {{"setup_view_call", "1"}};
    auto link = std::make_unique<FakeHost>(log);
    link->entryField = "PY1AA";
    AssistantCore unscored(settings, fresh, state, window, std::move(link));
    unscored.initialise();
    log->clear();
    unscored.tick();
    EXPECT_EQ(*log, Events({"kill", "call view opened", "host call"}));
}

TEST_F(AssistantTest, ClosingTheAssistantClosesItsViews) {
    settings.values = {{"setup_view_call", "1"}, {"setup_view_area", "1"}};
    start();
    core->tick();
    log->clear();
    core.reset();
    EXPECT_EQ(std::count(log->begin(), log->end(), "call view closed"), 1);
    EXPECT_EQ(std::count(log->begin(), log->end(), "area view closed"), 1);
}

struct BandCase {
    double hertz;
    int band;  // -1: none
};

TEST(BandIndex, ByWholeMegahertz) {
    const BandCase cases[] = {
        {1999999, 0},   {1000000, 0},  {999999, -1},   {3500000, 1},   {3999999, 1},   {7025000, 2},
        {7300000, 2},   {14000000, 3}, {21450000, 4},  {28000000, 5},  {29600000, -1}, {28999999.9, 5},
        {10120000, -1}, {0, -1},       {-7025000, -1}, {50100000, -1},
    };
    for (const BandCase& c : cases) {
        const auto band = bandIndexForFrequency(c.hertz);
        EXPECT_EQ(band.value_or(-1), c.band) << c.hertz;
    }
}

}  // namespace
