#include "win/message_loop_win.h"

namespace {

bool isDialogWindow(HWND window) {
    char className[8] = {};
    return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpA(className, "#32770") == 0;
}

DWORD millisecondsLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

bool pumpMessages() {
    MSG message;
    // PeekMessage also delivers messages other threads sent to this one.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

bool waitPumping(HANDLE handle, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        if (!pumpMessages()) {
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        }
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(1, &handle, millisecondsLeft(deadline), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken != WAIT_OBJECT_0 + 1) {  // the time ran out, or the handle is unusable
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        }
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const bool pumping = pumpMessages();
        if (done()) {
            return true;
        }
        const DWORD left = millisecondsLeft(deadline);
        if (!pumping || left == 0) {
            return false;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, left < 10 ? left : 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

bool runDialogLoop(const std::function<bool()>& ended, const std::function<bool(const MSG&)>& threadMessage) {
    MSG message;
    while (!ended()) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (got < 0) {
            return false;
        }
        if (message.hwnd == nullptr && threadMessage && threadMessage(message)) {
            continue;
        }
        HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && isDialogWindow(root) && IsDialogMessageA(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}
