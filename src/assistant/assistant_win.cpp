#include "assistant/assistant_win.h"

#include <mutex>

#include "assistant/setup_ndg_win.h"
#include "win/message_loop_win.h"
#include "win/scoped_win.h"

// Everything the host's thread and the assistant thread both touch. Each
// side holds it, so whichever lets go last frees it: a thread abandoned by a
// stop that gave up still finds its lock, flags and events alive.
struct WindowsAssistant::Shared : SetupWindowOwner {
    Shared(Settings& settingsIn, ContestEngine& engineIn, WorkedBeforeState& stateIn)
        : settings(settingsIn), engine(engineIn), state(stateIn) {}

    void windowCreated(HWND created) override {
        std::lock_guard<std::mutex> lock(mutex);
        window = created;
        if (stopRequested) {  // a stop came before the window existed
            PostMessageA(created, kStopMessage, 0, 0);
        }
        SetEvent(ready.get());
    }
    void areaViewChanged(bool open) override {
        std::lock_guard<std::mutex> lock(mutex);
        areaViewOpen = open;
    }
    bool libraryUnloading() const override {
        std::lock_guard<std::mutex> lock(mutex);
        return unloading;
    }

    Settings& settings;
    ContestEngine& engine;
    WorkedBeforeState& state;

    mutable std::mutex mutex;
    bool running = false;  // from start() until the thread's last step
    bool stopRequested = false;
    bool areaViewOpen = false;
    bool abandoned = false;  // a stop gave up, or the process is exiting
    bool unloading = false;
    // Not owned: Setup_NDG owns its window on the assistant thread; this is
    // where the host's thread posts to it, null whenever it may be gone.
    HWND window = nullptr;
    ScopedHandle ready = makeEvent();     // set once the window is up (or failed)
    ScopedHandle finished = makeEvent();  // set as the thread parks, its last act but one
    ScopedHandle leave = makeEvent();     // lets a parked thread return
    ScopedHandle thread;                  // the owner's only: the last thread started
};

WindowsAssistant::WindowsAssistant(Settings& settings, ContestEngine& engine, WorkedBeforeState& state,
                                   AssistantTimeouts timeouts)
    : shared_(std::make_shared<Shared>(settings, engine, state)), timeouts_(timeouts) {}

WindowsAssistant::~WindowsAssistant() {
    stop();
}

bool WindowsAssistant::isRunning() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->running;
}

void WindowsAssistant::start() {
    reap();
    bool replace = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        replace = shared_->running && shared_->areaViewOpen;
    }
    if (replace) {
        stop();
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        // Checked and set in one step, so two quick starts cannot both start one.
        if (shared_->running || shared_->abandoned || shared_->thread || !shared_->ready || !shared_->finished ||
            !shared_->leave) {
            return;
        }
        ResetEvent(shared_->finished.get());
        ResetEvent(shared_->ready.get());
        ResetEvent(shared_->leave.get());
        shared_->running = true;
        shared_->stopRequested = false;
        shared_->areaViewOpen = false;
        auto* parameter = new std::shared_ptr<Shared>(shared_);
        shared_->thread.reset(CreateThread(nullptr, 0, threadMain, parameter, 0, nullptr));
        if (!shared_->thread) {
            delete parameter;
            shared_->running = false;
            return;
        }
    }
    // A new thread starts, and makes its first window, only when the loader
    // lets it: were the library unloaded meanwhile, it would run code that is
    // gone. So the host gets control back once the window is up. The window
    // connects to the host on the way, which this thread serves.
    waitPumping(shared_->ready.get(), timeouts_.startMs);
}

void WindowsAssistant::stop() {
    bool wait = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->abandoned) {
            return;
        }
        wait = shared_->running;
        if (wait) {
            shared_->stopRequested = true;
            if (shared_->window != nullptr) {
                PostMessageA(shared_->window, kStopMessage, 0, 0);
            }
        }
    }
    // The tick may be inside a call that only this thread serves.
    if (wait && !waitPumping(shared_->finished.get(), timeouts_.stopMs)) {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->running) {
            // Given up: the thread goes on alone, and returns when it is done.
            shared_->abandoned = true;
            shared_->window = nullptr;
            SetEvent(shared_->leave.get());
            shared_->thread.reset();
            return;
        }
    }
    reap();
}

void WindowsAssistant::reap() {
    if (!shared_->thread || WaitForSingleObject(shared_->finished.get(), 0) != WAIT_OBJECT_0) {
        return;  // no thread, or one that still runs
    }
    bool unloading = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        unloading = shared_->unloading;
    }
    if (unloading) {
        // Within the loader's lock a thread cannot finish exiting, and the
        // code it would return to is about to go: the parked thread, blocked
        // in the system since it signalled, is ended where it waits.
        TerminateThread(shared_->thread.get(), 0);
    } else {
        SetEvent(shared_->leave.get());
        waitPumping(shared_->thread.get(), timeouts_.stopMs);
    }
    shared_->thread.reset();
}

void WindowsAssistant::armTick(int delayMilliseconds) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->window != nullptr && !shared_->stopRequested) {
        PostMessageA(shared_->window, kArmTickMessage, static_cast<WPARAM>(delayMilliseconds), 0);
    }
}

void WindowsAssistant::stopForUnload() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->unloading = true;
    }
    stop();
}

void WindowsAssistant::abandon() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->abandoned = true;
    shared_->window = nullptr;
}

DWORD WINAPI WindowsAssistant::threadMain(void* parameter) {
    std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(parameter));
    delete static_cast<std::shared_ptr<Shared>*>(parameter);
    try {
        Setup_NDG window(shared->settings, shared->engine, shared->state, *shared);
        window.runModally();
    } catch (...) {
        // The assistant ends; the host carries on.
    }
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->window = nullptr;
        shared->running = false;
        shared->areaViewOpen = false;
        SetEvent(shared->ready.get());  // a window that never came up
    }
    // Signal and park in one step: from the moment the owner sees the thread
    // finished, it runs none of the plug-in's code until the owner lets it
    // return (the library stays) or ends it where it waits (the library goes).
    SignalObjectAndWait(shared->finished.get(), shared->leave.get(), INFINITE, FALSE);
    return 0;
}
