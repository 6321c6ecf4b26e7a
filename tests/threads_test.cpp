// The host's thread and the assistant's share the log, the worked-before
// rows, the worked-area list and the worked-before state: exports on one
// thread, ticks, copies and grid paints on another, with a fake host. Every
// test here is labelled "threads" and runs under ThreadSanitizer too.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "infowin/grid_layout.h"
#include "plugin/module.h"
#include "support/assistant_fakes.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using torv::abi::kDateTimeValid;
using torv::assistant::AssistantCore;
using torv::engine::ContactFields;
using torv::engine::ContactStore;
using torv::engine::ContestEngine;
using torv::engine::WorkedBeforeSnapshot;
using torv::engine::WorkedBeforeState;
using torv::engine::WorkedRows;
using torv::infowin::GridPicture;
using torv::infowin::layoutGrid;
using torv::plugin::headlessPorts;
using torv::ports::CallView;

namespace {

// A worked-before window that paints on every refresh, as the real one does
// on the assistant thread.
class PaintingCallView : public CallView {
public:
    PaintingCallView(ContestEngine& engine, WorkedBeforeState& state, std::atomic<int>& paints)
        : engine_(engine), state_(state), paints_(paints) {}
    void setCaption(const std::string&) override {}
    void refreshGrid() override {
        const WorkedBeforeSnapshot snapshot = state_.snapshot();
        const WorkedRows rows = engine_.withStore([](const ContactStore& s) { return s.workedRows(); });
        const GridPicture picture = layoutGrid(300, 217, snapshot.currentCall, snapshot.bandIndex, rows);
        if (!picture.fills.empty()) {
            ++paints_;
        }
    }

private:
    ContestEngine& engine_;
    WorkedBeforeState& state_;
    std::atomic<int>& paints_;
};

class PaintingWindow : public FakeAssistantWindow {
public:
    PaintingWindow(EventLog log, ContestEngine& engine, WorkedBeforeState& state, std::atomic<int>& paints)
        : FakeAssistantWindow(std::move(log)), engine_(engine), state_(state), paints_(paints) {}
    std::unique_ptr<CallView> openCallView() override {
        return std::make_unique<PaintingCallView>(engine_, state_, paints_);
    }

private:
    ContestEngine& engine_;
    WorkedBeforeState& state_;
    std::atomic<int>& paints_;
};

ContactFields contact(int i) {
    ContactFields c;
    c.call = "PY" + std::to_string(i % 50);
    c.band = i % 2 ? "40m" : "20m";
    c.mode = i % 3 ? "CW" : "SSB";
    c.exchangeSent = "SP";
    c.exchangeReceived = i % 5 ? "RJ" : "MG";
    c.prefix = "PY";
    c.frequency = 7025000;
    c.qsoTime = {42259.0 + i / 1440.0, kDateTimeValid};
    return c;
}

TEST(AssistantThreads, ExportsAndTicksShareTheStoreSafely) {
    TempFolder folder;
    auto settingsOwner = std::make_unique<MemorySettings>();
    MemorySettings& settings = *settingsOwner;
    settings.values = {{"setup_view_call", "1"}, {"setup_view_area", "1"}};
    CTestApp app(headlessPorts(std::move(settingsOwner)), folder.path().string());
    app.resetStats(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});

    std::atomic<bool> hostDone{false};
    std::atomic<int> paints{0};
    std::thread assistant([&] {
        EventLog log = std::make_shared<std::vector<std::string>>();
        PaintingWindow window(log, app.engine(), app.workedBefore(), paints);
        auto host = std::make_unique<FakeHost>(log);
        FakeHost& fakeHost = *host;
        AssistantCore core(settings, app.engine(), app.workedBefore(), window, std::move(host));
        core.initialise();
        for (int i = 0; !hostDone || i < 50; ++i) {
            fakeHost.entryField = "PY" + std::to_string(i % 50);
            fakeHost.frequencyHertz = i % 2 ? 7025000.0 + i : 14025000.0;
            core.tick();
            log->clear();
        }
    });

    int status = 0;
    for (int round = 0; round < 20; ++round) {
        app.resetStats(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
        for (int i = 0; i < 100; ++i) {
            app.addData(contact(i));
            app.checkCall("PY" + std::to_string(i), "CW", "PY", "RJ", "40m");
        }
        app.result(&status);
        app.removeData(contact(3));
    }
    hostDone = true;
    assistant.join();
    EXPECT_GT(paints.load(), 0);
    app.engine().withStore([](const ContactStore& s) {
        EXPECT_EQ(s.count(), 99u);
        EXPECT_EQ(s.workedAreas(), std::vector<std::string>({"RJ", "MG"}));  // 40m sorts first
    });
}

}  // namespace

namespace {

// The assistant's tick reads the store on its own thread while the host's
// thread passes contacts: every copy it takes must be a consistent log.
TEST(ContestEngineThreads, CopiesTakenDuringARescoringAreConsistent) {
    TempFolder folder;
    ContestEngine engine(folder.file("err.txt"));
    engine.resetStore(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
    constexpr int kContacts = 2000;
    std::atomic<bool> done{false};
    std::thread host([&] {
        for (int i = 0; i < kContacts; ++i) {
            engine.addData(contact(i));
            if (i % 7 == 0) {
                engine.removeData(contact(i));
            }
        }
        done = true;
    });
    size_t copies = 0;
    while (!done || copies == 0) {
        const auto copy = engine.withStore([](const ContactStore& s) { return s.contactList(); });
        // A copy torn by a concurrent append would show half-built records.
        ASSERT_LE(copy.size(), static_cast<size_t>(kContacts));
        for (const CInfo& record : copy) {
            ASSERT_EQ(record.call.rfind("PY", 0), 0u);
            ASSERT_TRUE(record.band == "40m" || record.band == "20m") << record.band;
            ASSERT_TRUE(record.area == "RJ" || record.area == "MG") << record.area;
        }
        ++copies;
    }
    host.join();
    EXPECT_GT(copies, 0u);
    engine.withStore([&](const ContactStore& s) {
        // 2000 added, the first of every seven removed again.
        EXPECT_EQ(s.count(), static_cast<size_t>(kContacts - (kContacts + 6) / 7));
    });
}

}  // namespace
