#include "assistant/assistant_win.h"

#include <mutex>

#include "assistant/setup_ndg_win.h"
#include "win/message_loop_win.h"
#include "win/plugin_module_win.h"
#include "win/scoped_win.h"

namespace torv::assistant {

using engine::ContestEngine;
using engine::WorkedBeforeState;
using ports::Settings;
using win::makeEvent;
using win::pinPluginModule;
using win::Pumping;
using win::ScopedHandle;
using win::waitPumping;

std::atomic<void (*)()> assistantLockSeam{nullptr};

namespace {

// How long an unload waits for a thread it has ended to be gone.
constexpr DWORD kEndedThreadMs = 1000;

}  // namespace

// What the owner and the assistant thread share to coordinate: the lock,
// the flags and events, the window reference. A thread holds it until it
// returns, so a thread ended while parked keeps only this small block.
struct WindowsAssistant::Shared : SetupWindowOwner {
    void windowCreated(HWND created) override {
        std::lock_guard<std::mutex> lock(mutex);
        window = created;
        if (stopRequested) {  // a stop came before the window existed
            PostMessageA(created, kStopMessage, 0, 0);
        }
        SetEvent(ready.get());
        if (auto seam = assistantLockSeam.load()) {
            seam();
        }
    }
    void areaViewChanged(bool open) override {
        std::lock_guard<std::mutex> lock(mutex);
        areaViewOpen = open;
    }
    bool libraryUnloading() const override {
        std::lock_guard<std::mutex> lock(mutex);
        return unloading;
    }
    bool hostCallsAllowed() const override {
        std::lock_guard<std::mutex> lock(mutex);
        return !stopRequested && !unloading;
    }

    mutable std::mutex mutex;
    bool stopRequested = false;
    bool unloading = false;
    bool areaViewOpen = false;
    // Not owned: Setup_NDG owns its window on the assistant thread; this is
    // where the host's thread posts to it, null whenever it may be gone.
    HWND window = nullptr;
    ScopedHandle ready = makeEvent();     // set once the window is up (or failed)
    ScopedHandle finished = makeEvent();  // set as the thread parks
    ScopedHandle leave = makeEvent();     // lets a parked thread return
    ScopedHandle thread;                  // the owner's only: the thread started and not yet reaped
};

// What a new thread is handed: the shared block, and the data its windows
// use, which it lets go of before it parks.
struct WindowsAssistant::ThreadStart {
    std::shared_ptr<Shared> shared;
    std::shared_ptr<Settings> settings;
    std::shared_ptr<ContestEngine> engine;
    std::shared_ptr<WorkedBeforeState> state;
};

WindowsAssistant::WindowsAssistant(std::shared_ptr<Settings> settings, std::shared_ptr<ContestEngine> engine,
                                   std::shared_ptr<WorkedBeforeState> state, AssistantTimeouts timeouts)
    : shared_(std::make_shared<Shared>()),
      settings_(std::move(settings)),
      engine_(std::move(engine)),
      state_(std::move(state)),
      timeouts_(timeouts) {}

WindowsAssistant::~WindowsAssistant() {
    stop();
}

bool WindowsAssistant::parked() const {
    return WaitForSingleObject(shared_->finished.get(), 0) == WAIT_OBJECT_0;
}

bool WindowsAssistant::isRunning() const {
    return shared_->thread && !parked();
}

void WindowsAssistant::start() {
    if (waiting_) {
        return;  // called back from a message dispatched while this object waits
    }
    if (shared_->thread && parked()) {
        reap();
    }
    if (shared_->thread) {
        bool areaViewOpen = false;
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            areaViewOpen = shared_->areaViewOpen;
        }
        if (gaveUp_ || !areaViewOpen) {
            return;  // it stays; or, given up, it is awaited until it parks
        }
        stop();
        if (shared_->thread) {
            return;  // that stop gave up
        }
    }
    if (!shared_->ready || !shared_->finished || !shared_->leave) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        ResetEvent(shared_->finished.get());
        ResetEvent(shared_->ready.get());
        ResetEvent(shared_->leave.get());
        shared_->stopRequested = false;
        shared_->areaViewOpen = false;
        shared_->window = nullptr;
    }
    auto* parameter = new ThreadStart{shared_, settings_, engine_, state_};
    shared_->thread.reset(CreateThread(nullptr, 0, threadMain, parameter, 0, nullptr));
    if (!shared_->thread) {
        delete parameter;
        return;
    }
    // A new thread starts, and makes its first window, only when the loader
    // lets it: were the library unloaded meanwhile, it would run code that is
    // gone. So the host gets control back once the window is up. The window
    // connects to the host on the way, which this thread may serve.
    waitFor(shared_->ready.get(), timeouts_.startMs);
}

void WindowsAssistant::askToStop(bool unloading) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->stopRequested = true;
    shared_->unloading = shared_->unloading || unloading;
    if (shared_->window != nullptr) {
        PostMessageA(shared_->window, kStopMessage, 0, 0);
    }
}

void WindowsAssistant::stop() {
    if (!shared_->thread || waiting_) {
        return;
    }
    if (parked()) {
        reap();
        return;
    }
    if (gaveUp_) {
        return;
    }
    askToStop(false);
    // The tick may be inside a call that only this thread serves.
    if (waitFor(shared_->finished.get(), timeouts_.stopMs)) {
        reap();
        return;
    }
    // Given up: the thread goes on alone and closes its window once its host
    // call returns. The code it will return into stays mapped whatever the
    // host unloads later, and it holds what it uses; once parked, the
    // library being certain to stay, it may return at once.
    gaveUp_ = true;
    pinPluginModule();
    SetEvent(shared_->leave.get());
}

void WindowsAssistant::reap() {
    SetEvent(shared_->leave.get());
    if (!waitFor(shared_->thread.get(), timeouts_.stopMs)) {
        pinPluginModule();  // its last instructions are still the plug-in's
    }
    shared_->thread.reset();
    gaveUp_ = false;
}

bool WindowsAssistant::waitFor(HANDLE handle, DWORD milliseconds) {
    waiting_ = true;
    const bool signalled = waitPumping(handle, milliseconds);
    waiting_ = false;
    return signalled;
}

void WindowsAssistant::armTick(int delayMilliseconds) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->window != nullptr && !shared_->stopRequested) {
        PostMessageA(shared_->window, kArmTickMessage, static_cast<WPARAM>(delayMilliseconds), 0);
    }
}

void WindowsAssistant::stopForUnload() {
    askToStop(true);
    if (!shared_->thread) {
        return;
    }
    // Nothing of the host may run under the loader's lock: only messages
    // other threads send (the assistant's window closing may send some) are
    // let through.
    gaveUp_ = !waitPumping(shared_->finished.get(), timeouts_.unloadMs, Pumping::kSentOnly);
    // A thread cannot finish exiting within the loader's lock, and the code
    // it would return into is about to go: it is ended where it is, in the
    // wait it parked in or, a host call in flight, wherever that call holds
    // it. Ended unparked, it never lets go of what it holds, which is leaked.
    TerminateThread(shared_->thread.get(), 0);
    WaitForSingleObject(shared_->thread.get(), kEndedThreadMs);
    shared_->thread.reset();
}

DWORD WINAPI WindowsAssistant::threadMain(void* parameter) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    const std::shared_ptr<Shared> shared = start->shared;
    try {
        Setup_NDG window(*start->settings, *start->engine, *start->state, *shared);
        window.runModally();
    } catch (...) {
        // The assistant ends; the host carries on.
    }
    start.reset();  // the data goes back to its other owners before the thread parks
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->window = nullptr;
        shared->areaViewOpen = false;
        SetEvent(shared->ready.get());  // a window that never came up
    }
    // Signal and park in one step: from the moment the owner sees the thread
    // parked, it runs none of the plug-in's code until the owner lets it
    // return (the library stays) or ends it where it waits (the library goes).
    SignalObjectAndWait(shared->finished.get(), shared->leave.get(), INFINITE, FALSE);
    return 0;
}

}  // namespace torv::assistant
