// The live assistant on Windows: the "Setup TORV" window on a thread of its
// own, with the two info windows and the tick.
//
// This object alone decides when the assistant thread ends. The host's
// thread only ever posts to the assistant's window (arming the tick, asking
// it to close), so it never blocks on the assistant thread; and while it
// waits for that thread it keeps dispatching its own messages (waitPumping),
// because every automation call the tick makes may be served there.
//
// Whatever the thread uses (settings, engine, worked-before state, the
// window reference) is held jointly by this object and the thread, so
// nothing it touches is freed before it lets go, whoever finishes last.
// The thread is done only once parked: it signals and enters a system wait
// in one step (SignalObjectAndWait) and runs none of the plug-in's code
// until it is let go (the library stays) or ended where it waits (the
// library goes). A stop that gives up pins the library, so that the code
// the thread will return into stays mapped.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "ports/assistant_control.h"

namespace torv::engine {
class ContestEngine;
class WorkedBeforeState;
}  // namespace torv::engine
namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::assistant {

// How long the host's thread waits for the assistant thread.
struct AssistantTimeouts {
    DWORD startMs = 5000;   // for its window to come up
    DWORD stopMs = 5000;    // for it to park, outside the loader (HIDEINFO, the start rule)
    DWORD unloadMs = 2000;  // for it to park inside the loader (FreeLibrary)
};

class WindowsAssistant : public ports::AssistantControl {
public:
    WindowsAssistant(std::shared_ptr<ports::Settings> settings, std::shared_ptr<engine::ContestEngine> engine,
                     std::shared_ptr<engine::WorkedBeforeState> state,
                     AssistantTimeouts timeouts = AssistantTimeouts());
    // Stops the assistant (see stop()).
    ~WindowsAssistant() override;
    WindowsAssistant(const WindowsAssistant&) = delete;
    WindowsAssistant& operator=(const WindowsAssistant&) = delete;

    // A thread started and not yet parked.
    bool isRunning() const override;
    // Starts the assistant thread unless one runs; a running assistant with
    // an open area window is stopped and replaced. While a thread a stop
    // gave up on has not parked, does nothing. Returns once the window is
    // up, or after timeouts.startMs.
    void start() override;
    // Asks the window to close and waits, pumping the calling thread's
    // messages, for at most timeouts.stopMs for the thread to park. A wait
    // that runs out gives up: the library is pinned, the thread goes on
    // alone (its window closes when its host call returns) and is never
    // waited for again; stopping it again returns at once.
    void stop() override;
    void armTick(int delayMilliseconds) override;
    // As stop(), inside the loader's lock (DLL_PROCESS_DETACH): the thread
    // is told to call the host no more and to release nothing held across
    // apartments; the wait lets only sent messages through, for at most
    // timeouts.unloadMs; then the thread is ended where it is, parked or
    // not. What a thread ended unparked holds is leaked.
    void stopForUnload() override;

private:
    friend struct WindowsAssistantTestAccess;

    struct Shared;
    struct ThreadStart;
    static DWORD WINAPI threadMain(void* start);
    bool parked() const;
    void askToStop(bool unloading);
    // Lets a parked thread return and waits for its end.
    void reap();
    // waitPumping, noting that this object waits: a start or stop called
    // back from a message dispatched meanwhile returns at once.
    bool waitFor(HANDLE handle, DWORD milliseconds);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<ports::Settings> settings_;
    std::shared_ptr<engine::ContestEngine> engine_;
    std::shared_ptr<engine::WorkedBeforeState> state_;
    AssistantTimeouts timeouts_;
    // Used on the host's thread only.
    bool gaveUp_ = false;
    bool waiting_ = false;
};

// Test seam: when set, the assistant thread runs it while it holds the
// assistant's lock, once its window is up. Null in the plug-in.
extern std::atomic<void (*)()> assistantLockSeam;

}  // namespace torv::assistant
