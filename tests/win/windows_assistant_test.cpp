// WindowsAssistant against a host whose thread is stuck, so that the
// assistant thread, waiting for the host inside its first automation call,
// cannot end in time: a stop that gives up abandons the thread, is never
// repeated, and the thread later ends on the state it shares with its owner,
// long after the owner is gone. The host runs on a thread of this test; the
// window templates are linked into this program.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "assistant/assistant_win.h"
#include "engine/contest_engine.h"
#include "engine/worked_before.h"
#include "hostsim/automation_server_win.h"
#include "plugin/module.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "win/message_loop_win.h"
#include "win/scoped_win.h"
#include "win/ui_thread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kBound = 20000;
constexpr AssistantTimeouts kShortTimeouts = {500, 3000};

// Settings that note the thread of their first reader: the assistant thread,
// which reads its window's position before it calls the host.
class ThreadNotingSettings : public MemorySettings {
public:
    std::string readText(const std::string& key, const std::string& defaultValue) override {
        DWORD none = 0;
        readerThread.compare_exchange_strong(none, GetCurrentThreadId());
        return MemorySettings::readText(key, defaultValue);
    }
    std::atomic<DWORD> readerThread{0};
};

// The module's settings port over settings the test keeps: the abandoned
// thread reads them after the module object is gone.
class ForwardingSettings : public Settings {
public:
    explicit ForwardingSettings(Settings& target) : target_(target) {}
    std::string readText(const std::string& key, const std::string& defaultValue) override {
        return target_.readText(key, defaultValue);
    }
    void writeText(const std::string& key, const std::string& value) override { target_.writeText(key, value); }

private:
    Settings& target_;
};

// The host's automation object on a thread of its own, which the test holds
// (blocked, serving nothing) until it lets go.
class StuckHost {
public:
    StuckHost() {
        server_ = thread_.run([] { return std::make_shared<Served>(); });
        EXPECT_TRUE(server_->server.running()) << server_->server.error();
        holder_ = std::thread([this] {
            try {
                thread_.run([this] { return WaitForSingleObject(release_.get(), kBound); }, kBound + 5000);
            } catch (...) {
            }
        });
    }
    ~StuckHost() {
        letGo();
        holder_.join();
        thread_.run([this] { server_.reset(); });
    }
    void letGo() { SetEvent(release_.get()); }
    HostAutomation& host() { return server_->server.host(); }

private:
    struct Served {
        ScopedComApartment apartment;
        AutomationServer server{HostAutomation::create()};
    };
    UiThread thread_;
    std::shared_ptr<Served> server_;
    ScopedHandle release_ = makeEvent();
    std::thread holder_;
};

// Waits until the thread, once known, has ended.
bool threadEnds(const std::atomic<DWORD>& id, DWORD timeoutMs) {
    if (!pumpUntil([&] { return id.load() != 0; }, timeoutMs)) {
        return false;
    }
    ScopedHandle thread(OpenThread(SYNCHRONIZE, FALSE, id.load()));
    // A thread already gone cannot be opened: it has ended.
    return !thread || waitPumping(thread.get(), timeoutMs);
}

Clock::duration timed(const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    return Clock::now() - start;
}

TEST(WindowsAssistantStuck, AStopThatGivesUpIsNotRepeatedAndTheThreadOutlivesItsOwner) {
    TempFolder folder;
    ThreadNotingSettings settings;
    ContestEngine engine(folder.file("err.txt"));
    WorkedBeforeState state;
    StuckHost host;
    auto assistant = std::make_unique<WindowsAssistant>(settings, engine, state, kShortTimeouts);

    assistant->start();  // the window's first host call waits for the held host
    ASSERT_TRUE(pumpUntil([&] { return settings.readerThread.load() != 0; }, kBound));
    EXPECT_TRUE(assistant->isRunning());

    const auto first = timed([&] { assistant->stop(); });
    EXPECT_GE(first, std::chrono::milliseconds(kShortTimeouts.stopMs - 100)) << "the thread cannot have ended";
    // The thread is abandoned: nothing waits for it again, nothing replaces it.
    EXPECT_LT(timed([&] { assistant->stop(); }), std::chrono::milliseconds(kShortTimeouts.stopMs / 2));
    assistant->start();
    EXPECT_LT(timed([&] { assistant.reset(); }), std::chrono::milliseconds(kShortTimeouts.stopMs / 2));

    // Let the host answer: the thread finishes its window, sees the stop and
    // ends, on the lock and events it still holds.
    host.letGo();
    EXPECT_TRUE(threadEnds(settings.readerThread, kBound));
}

TEST(WindowsAssistantStuck, UnloadingWaitsOnceInAll) {
    TempFolder folder;
    ThreadNotingSettings settings;
    StuckHost host;
    PlatformPorts ports = headlessPorts(std::make_unique<ForwardingSettings>(settings));
    ports.assistant.reset();
    ports.makeAssistant = [](Settings& s, ContestEngine& engine, WorkedBeforeState& state) {
        return std::make_unique<WindowsAssistant>(s, engine, state, kShortTimeouts);
    };
    auto module = std::make_unique<CTestApp>(std::move(ports), folder.path().string());
    module->runCommand("SHOWINFO");
    ASSERT_TRUE(pumpUntil([&] { return settings.readerThread.load() != 0; }, kBound));

    // As DllMain on FreeLibrary: the unloading gives up once...
    const auto unloading = timed([&] { module->unload(false); });
    EXPECT_GE(unloading, std::chrono::milliseconds(kShortTimeouts.stopMs - 100)) << "the thread cannot have ended";
    // ...and the module object's end, which stops the assistant again, waits
    // no more. (The module object itself stays until the thread is done with
    // its settings: without a library to unload, its state is still in use.)
    EXPECT_LT(timed([&] { module->assistant().stop(); }), std::chrono::milliseconds(kShortTimeouts.stopMs / 2));
    host.letGo();
    EXPECT_TRUE(threadEnds(settings.readerThread, kBound));
    EXPECT_LT(timed([&] { module.reset(); }), std::chrono::milliseconds(kShortTimeouts.stopMs / 2));
}

TEST(WindowsAssistantStuck, AStopBeforeTheWindowIsUpEndsItWhenTheHostAnswersInTime) {
    TempFolder folder;
    ThreadNotingSettings settings;
    ContestEngine engine(folder.file("err.txt"));
    WorkedBeforeState state;
    StuckHost host;
    WindowsAssistant assistant(settings, engine, state, {500, 10000});
    assistant.start();
    ASSERT_TRUE(pumpUntil([&] { return settings.readerThread.load() != 0; }, kBound));
    // The host answers while the stop waits (or just before): the window
    // that comes up closes at once and the stop returns without giving up.
    std::thread answer([&] { host.letGo(); });
    assistant.stop();
    answer.join();
    EXPECT_FALSE(assistant.isRunning());
    EXPECT_TRUE(threadEnds(settings.readerThread, kBound));
}

}  // namespace
