// The live assistant on Windows: the "Setup TORV" window on a thread of its
// own, with the two info windows and the tick.
//
// The host's thread only ever posts to the assistant's window (arming the
// tick, asking it to close), so it never blocks on the assistant thread;
// and while it waits for that thread it keeps dispatching its own messages
// (waitPumping), because every automation call the tick makes is served
// there. A wait that runs out abandons the thread rather than freeing what
// it uses: the state both sides touch is one block that both hold.
#pragma once

#include <windows.h>

#include <memory>

#include "ports/assistant_control.h"

class ContestEngine;
class Settings;
class WorkedBeforeState;

// How long the host's thread waits for the assistant thread.
struct AssistantTimeouts {
    DWORD startMs = 5000;  // for its window to come up
    DWORD stopMs = 5000;   // for it to end
};

class WindowsAssistant : public AssistantControl {
public:
    // The settings, engine and state outlive this object.
    WindowsAssistant(Settings& settings, ContestEngine& engine, WorkedBeforeState& state,
                     AssistantTimeouts timeouts = AssistantTimeouts());
    // Stops the assistant (see stop()).
    ~WindowsAssistant() override;
    WindowsAssistant(const WindowsAssistant&) = delete;
    WindowsAssistant& operator=(const WindowsAssistant&) = delete;

    bool isRunning() const override;
    // Starts the assistant thread unless one runs or one was abandoned; a
    // running assistant with an open area window is stopped and replaced.
    // Returns once the window is up, or after timeouts.startMs.
    void start() override;
    // Asks the window to close and waits for the thread to finish, pumping
    // the calling thread's messages, for at most timeouts.stopMs. A wait that
    // runs out abandons the thread: it is never waited for again, and no new
    // one starts. Stopping what is stopped or abandoned returns at once.
    void stop() override;
    void armTick(int delayMilliseconds) override;
    // As stop(), within the loader's lock: the thread's teardown then leaves
    // COM initialised, since uninitialising may load or free libraries.
    void stopForUnload() override;
    // At process exit: the thread is gone already; forget it, wait for nothing.
    void abandon() override;

private:
    struct Shared;
    static DWORD WINAPI threadMain(void* shared);
    // Ends a thread that has finished its work: lets it return and waits for
    // it, or within the loader's lock ends it where it is parked.
    void reap();

    std::shared_ptr<Shared> shared_;
    AssistantTimeouts timeouts_;
};
