// Waiting on the host's main thread without ever stopping its message pump.
//
// The plug-in's automation calls reach the host's single-threaded apartment
// as posted messages, so a host thread that waits without pumping holds the
// caller (the plug-in's assistant thread) until it pumps again, or forever.
// Every wait of the simulator's main thread goes through these.
#pragma once

#include <windows.h>

// Dispatches every message waiting for this thread, sent messages included.
void pumpMessages();

// Pumps for the given time.
void pumpFor(DWORD milliseconds);

// Waits for the handle to be signalled while pumping; false when the time
// ran out first.
bool waitPumping(HANDLE handle, DWORD milliseconds);

// Pumps until done() holds, checking it at least every 10 ms; false when the
// time ran out first.
template <typename Done>
bool pumpUntil(Done done, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        pumpMessages();
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        const DWORD slice = static_cast<DWORD>(deadline - now < 10 ? deadline - now : 10);
        MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}
