// Interruptions on Windows: Ctrl-C and Ctrl-Break through a console control
// handler, which the system runs on a thread of its own.
#include <windows.h>

#include <atomic>

#include "io/interruption.h"

namespace torv::io {

namespace {

std::string quitMessage;  // set before the handler is installed
std::atomic<bool> recording{false};
std::atomic<bool> recorded{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;  // closing the console or logging off: the system's way
    }
    if (recording.load()) {
        recorded.store(true);
        return TRUE;
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), quitMessage.data(), static_cast<DWORD>(quitMessage.size()), &written,
              nullptr);
    // At once, whatever the other threads hold: nothing was written yet.
    TerminateProcess(GetCurrentProcess(), kInterruptedExitCode);
    return TRUE;
}

}  // namespace

void quitWhenInterrupted(const std::string& message) {
    quitMessage = message;
    // A process started with Ctrl-C ignored (a new process group) takes it
    // again.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void recordInterruptions() {
    recording.store(true);
}

bool interrupted() {
    return recorded.load();
}

}  // namespace torv::io
