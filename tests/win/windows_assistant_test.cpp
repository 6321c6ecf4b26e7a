// WindowsAssistant against a host whose thread is stuck, so that the
// assistant thread, waiting for the host inside its first automation call,
// cannot end in time: a stop that gives up abandons the thread, is never
// repeated, and the thread later ends on the state it shares with its owner,
// long after the owner is gone. The host runs on a thread of this test; the
// window templates are linked into this program.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "assistant/assistant_win.h"
#include "engine/contest_engine.h"
#include "engine/worked_before.h"
#include "hostsim/automation_server_win.h"
#include "hostsim/window_driver_win.h"
#include "plugin/module.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "support/windows_assistant_access.h"
#include "win/message_loop_win.h"
#include "win/scoped_win.h"
#include "win/ui_thread.h"

using pelksim::AutomationServer;
using pelksim::findProcessWindow;
using pelksim::HostAutomation;
using pelksim::kDialogClass;
using pelksim::pumpingIdle;
using pelksim::waitForWindow;
using torv::assistant::AssistantTimeouts;
using torv::assistant::WindowsAssistant;
using torv::assistant::WindowsAssistantTestAccess;
using torv::engine::ContestEngine;
using torv::engine::WorkedBeforeState;
using torv::plugin::headlessPorts;
using torv::plugin::PlatformPorts;
using torv::ports::Settings;
using torv::win::makeEvent;
using torv::win::pumpUntil;
using torv::win::ScopedComApartment;
using torv::win::ScopedHandle;
using torv::win::waitPumping;

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kBound = 20000;
constexpr AssistantTimeouts kShortTimeouts = {500, 3000, 3000};

// Settings that note the thread of their first and of their latest reader:
// an assistant thread, which reads its window's position before it calls
// the host.
class ThreadNotingSettings : public MemorySettings {
public:
    std::string readText(const std::string& key, const std::string& defaultValue) override {
        DWORD none = 0;
        readerThread.compare_exchange_strong(none, GetCurrentThreadId());
        latestReader = GetCurrentThreadId();
        return MemorySettings::readText(key, defaultValue);
    }
    std::atomic<DWORD> readerThread{0};
    std::atomic<DWORD> latestReader{0};
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
// (blocked, serving nothing) until it lets go; or which serves from the start.
class StuckHost {
public:
    enum class Start { kHeld, kServing };
    explicit StuckHost(Start start = Start::kHeld) {
        server_ = thread_.run([] { return std::make_shared<Served>(); });
        EXPECT_TRUE(server_->server.running()) << server_->server.error();
        if (start == Start::kServing) {
            return;
        }
        holder_ = std::thread([this] {
            try {
                thread_.run(
                    [this] {
                        SetEvent(held_.get());
                        return WaitForSingleObject(release_.get(), kBound);
                    },
                    kBound + 5000);
            } catch (...) {
            }
        });
        // Held before the test goes on, so that nothing reaches it first.
        EXPECT_EQ(WaitForSingleObject(held_.get(), kBound), WAIT_OBJECT_0);
    }
    ~StuckHost() {
        letGo();
        if (holder_.joinable()) {
            holder_.join();
        }
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
    ScopedHandle held_ = makeEvent();
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

// What an assistant works on, held jointly with it.
struct AssistantParts {
    TempFolder folder;
    std::shared_ptr<ThreadNotingSettings> settings = std::make_shared<ThreadNotingSettings>();
    std::shared_ptr<ContestEngine> engine = std::make_shared<ContestEngine>(folder.file("err.txt"));
    std::shared_ptr<WorkedBeforeState> state = std::make_shared<WorkedBeforeState>();

    std::unique_ptr<WindowsAssistant> makeAssistant(AssistantTimeouts timeouts) const {
        return std::make_unique<WindowsAssistant>(settings, engine, state, timeouts);
    }
};

// A module object as the plug-in builds one, with the assistant on short
// timeouts, over settings the test keeps.
std::unique_ptr<CTestApp> moduleWithAssistant(Settings& settings, const TempFolder& folder) {
    PlatformPorts ports = headlessPorts(std::make_unique<ForwardingSettings>(settings));
    ports.assistant.reset();
    ports.makeAssistant = [](std::shared_ptr<Settings> s, std::shared_ptr<ContestEngine> engine,
                             std::shared_ptr<WorkedBeforeState> state) {
        return std::make_unique<WindowsAssistant>(std::move(s), std::move(engine), std::move(state), kShortTimeouts);
    };
    return std::make_unique<CTestApp>(std::move(ports), folder.path().string());
}

Clock::duration timed(const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    return Clock::now() - start;
}

// A message of this test's own, posted to its thread.
constexpr UINT kProbeMessage = WM_APP + 42;

// Runs a step with a message queued for this thread and says whether the
// step left it there. Every wait of the assistant pumps this thread's queue
// before it waits, so a step that leaves the message queued waited for
// nothing, however long the machine made it take.
bool waitsForNothing(const std::function<void()>& step) {
    if (!PostThreadMessageA(GetCurrentThreadId(), kProbeMessage, 0, 0)) {
        return false;
    }
    step();
    MSG message;
    return PeekMessageA(&message, nullptr, kProbeMessage, kProbeMessage, PM_REMOVE) != FALSE;
}

TEST(WindowsAssistantStuck, AStopThatGivesUpIsNotRepeatedAndTheThreadOutlivesItsOwner) {
    AssistantParts parts;
    ThreadNotingSettings& settings = *parts.settings;
    StuckHost host;
    auto assistant = parts.makeAssistant(kShortTimeouts);

    assistant->start();  // the window's first host call waits for the held host
    ASSERT_TRUE(pumpUntil([&] { return settings.readerThread.load() != 0; }, kBound));
    EXPECT_TRUE(assistant->isRunning());

    const auto first = timed([&] { assistant->stop(); });
    EXPECT_GE(first, std::chrono::milliseconds(kShortTimeouts.stopMs - 100)) << "the thread cannot have ended";
    EXPECT_TRUE(WindowsAssistantTestAccess::gaveUp(*assistant));
    EXPECT_TRUE(assistant->isRunning());
    // The thread is abandoned: nothing waits for it again, nothing replaces it.
    EXPECT_TRUE(waitsForNothing([&] { assistant->stop(); })) << "a second stop waited";
    EXPECT_TRUE(WindowsAssistantTestAccess::gaveUp(*assistant));
    EXPECT_TRUE(waitsForNothing([&] { assistant->start(); })) << "a start waited for a new window";
    EXPECT_TRUE(assistant->isRunning());
    EXPECT_EQ(settings.latestReader.load(), settings.readerThread.load()) << "a new thread started";
    EXPECT_TRUE(waitsForNothing([&] { assistant.reset(); })) << "the owner's end waited";

    // Let the host answer: the thread finishes its window, sees the stop and
    // ends, on the lock and events it still holds.
    host.letGo();
    EXPECT_TRUE(threadEnds(settings.readerThread, kBound));
}

TEST(WindowsAssistantStuck, UnloadingWaitsOnceInAll) {
    TempFolder folder;
    ThreadNotingSettings settings;
    // A host that answers, slower than the unload waits: the tick's first
    // call is in flight when the library goes. (A thread ended while it
    // connects would leave the system's running-object table locked.)
    StuckHost host(StuckHost::Start::kServing);
    host.host().setAnswerDelay(kShortTimeouts.unloadMs + 1000);
    auto module = moduleWithAssistant(settings, folder);
    module->runCommand("SHOWINFO");
    ASSERT_TRUE(pumpUntil([&] { return !host.host().callLog().empty(); }, kBound));

    // As DllMain on FreeLibrary: the unloading gives up once and ends the
    // thread where its call holds it...
    const auto unloading = timed([&] { module->unload(); });
    EXPECT_GE(unloading, std::chrono::milliseconds(kShortTimeouts.stopMs - 100)) << "the thread cannot have ended";
    EXPECT_TRUE(WindowsAssistantTestAccess::gaveUp(dynamic_cast<WindowsAssistant&>(module->assistant())));
    EXPECT_FALSE(module->assistant().isRunning()) << "the thread was left to run";
    EXPECT_TRUE(threadEnds(settings.readerThread, kBound));
    // ...and the module object's end, which stops the assistant again, waits
    // no more.
    EXPECT_TRUE(waitsForNothing([&] { module->assistant().stop(); })) << "a stop after the unload waited";
    EXPECT_TRUE(waitsForNothing([&] { module.reset(); })) << "the module object's end waited";
}

TEST(WindowsAssistantStuck, UnloadingWithBothInfoWindowsOpenFindsTheThreadParked) {
    TempFolder folder;
    ThreadNotingSettings settings;
    settings.values = {{"setup_view_call", "1"}, {"setup_view_area", "1"}};
    StuckHost host(StuckHost::Start::kServing);
    auto module = moduleWithAssistant(settings, folder);
    module->runCommand("SHOWINFO");
    ASSERT_NE(waitForWindow("CALL", kDialogClass, kBound, pumpingIdle), nullptr);
    ASSERT_NE(waitForWindow("Brazil Area", kDialogClass, kBound, pumpingIdle), nullptr);
    module->unload();
    EXPECT_FALSE(WindowsAssistantTestAccess::gaveUp(dynamic_cast<WindowsAssistant&>(module->assistant())))
        << "the thread was ended unparked";
    for (const char* caption : {"Setup TORV", "CALL", "Brazil Area"}) {
        EXPECT_EQ(findProcessWindow(caption, kDialogClass), nullptr) << caption;
    }
}

TEST(WindowsAssistantStuck, AfterAStopGaveUpAStartWaitsUntilTheOldThreadHasParked) {
    AssistantParts parts;
    ThreadNotingSettings& settings = *parts.settings;
    StuckHost host;
    auto assistant = parts.makeAssistant(kShortTimeouts);
    assistant->start();
    ASSERT_TRUE(pumpUntil([&] { return settings.readerThread.load() != 0; }, kBound));
    assistant->stop();
    ASSERT_TRUE(WindowsAssistantTestAccess::gaveUp(*assistant));
    assistant->start();  // the old thread still waits for the host: nothing starts
    EXPECT_TRUE(WindowsAssistantTestAccess::gaveUp(*assistant));
    EXPECT_EQ(settings.latestReader.load(), settings.readerThread.load());

    // The host answers: the old window sees its stop, closes, and the thread
    // parks; a start then reaps it and opens a new window on a new thread.
    host.letGo();
    ASSERT_TRUE(pumpUntil([&] { return !assistant->isRunning(); }, kBound));
    assistant->start();
    EXPECT_FALSE(WindowsAssistantTestAccess::gaveUp(*assistant));
    EXPECT_TRUE(assistant->isRunning());
    EXPECT_NE(settings.latestReader.load(), settings.readerThread.load());
    assistant->stop();
    EXPECT_FALSE(assistant->isRunning());
    EXPECT_FALSE(WindowsAssistantTestAccess::gaveUp(*assistant));
}

TEST(WindowsAssistantStuck, AStopBeforeTheWindowIsUpEndsItWhenTheHostAnswersInTime) {
    AssistantParts parts;
    ThreadNotingSettings& settings = *parts.settings;
    StuckHost host;
    auto assistant = parts.makeAssistant({500, 10000});
    assistant->start();
    ASSERT_TRUE(pumpUntil([&] { return settings.readerThread.load() != 0; }, kBound));
    // The host answers while the stop waits (or just before): the window
    // that comes up closes at once and the stop returns without giving up.
    std::thread answer([&] { host.letGo(); });
    assistant->stop();
    answer.join();
    EXPECT_FALSE(assistant->isRunning());
    EXPECT_FALSE(WindowsAssistantTestAccess::gaveUp(*assistant));
    EXPECT_TRUE(threadEnds(settings.readerThread, kBound));
}

}  // namespace
