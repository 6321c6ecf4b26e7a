// The live assistant on Windows: the "Setup TORV" window on a thread of its
// own, with the two info windows and the tick.
//
// The host's thread only ever posts to the assistant's window (arming the
// tick, asking it to close), so it never blocks on the assistant thread;
// and while it waits for that thread to end it keeps dispatching its own
// messages, because every automation call the tick makes is served there.
#pragma once

#include <windows.h>

#include <mutex>

#include "ports/assistant_control.h"

class ContestEngine;
class Settings;
class WorkedBeforeState;

class WindowsAssistant : public AssistantControl {
public:
    WindowsAssistant(Settings& settings, ContestEngine& engine, WorkedBeforeState& state);
    ~WindowsAssistant() override;
    WindowsAssistant(const WindowsAssistant&) = delete;
    WindowsAssistant& operator=(const WindowsAssistant&) = delete;

    bool isRunning() const override;
    // Starts the assistant thread unless one runs; a running assistant with
    // an open area window is stopped and replaced.
    void start() override;
    // Asks the window to close and waits for the thread to finish, pumping
    // the calling thread's messages, for at most kStopTimeoutMs.
    void stop() override;
    void armTick(int delayMilliseconds) override;
    // Within the loader's lock: the thread's teardown must then avoid
    // anything that loads or frees a library (COM's uninitialisation).
    void stopForUnload() override;
    void abandon() override;

    static constexpr DWORD kStopTimeoutMs = 5000;
    static constexpr DWORD kStartTimeoutMs = 5000;

    // For the assistant window on its thread.
    void windowCreated(HWND window);
    void areaViewChanged(bool open);
    bool libraryUnloading() const;

private:
    static DWORD WINAPI threadMain(void* self);
    void runOnAssistantThread();

    Settings& settings_;
    ContestEngine& engine_;
    WorkedBeforeState& state_;

    mutable std::mutex mutex_;
    bool running_ = false;  // from start() until the thread's last step
    bool stopRequested_ = false;
    bool areaViewOpen_ = false;
    bool abandoned_ = false;
    bool unloading_ = false;
    HWND window_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;     // set once the window is up (or failed)
    HANDLE finished_ = nullptr;  // set as the thread's last act
};

// Messages the host's thread posts to the assistant window.
constexpr UINT kArmTickMessage = WM_APP + 1;  // wParam: delay in ms
constexpr UINT kStopMessage = WM_APP + 2;
