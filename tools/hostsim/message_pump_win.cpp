#include "hostsim/message_pump_win.h"

void pumpMessages() {
    MSG message;
    // PeekMessage also delivers messages other threads sent to this one.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

bool waitPumping(HANDLE handle, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        pumpMessages();
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        // MWMO_INPUTAVAILABLE: wake for messages already queued, not only new ones.
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &handle, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED) {
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        }
    }
}
