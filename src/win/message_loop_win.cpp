#include "win/message_loop_win.h"

#include <optional>

#include "win/export_call_win.h"

namespace torv::win {

namespace {

bool isDialogWindow(HWND window) {
    char className[8] = {};
    return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpA(className, "#32770") == 0;
}

DWORD millisecondsLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// Dispatches one waiting message (sent messages are delivered on the way);
// false when there was none. A WM_QUIT is taken out of the queue and its
// code handed back instead of being dispatched.
bool dispatchOne(std::optional<int>& quit) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (message.message == WM_QUIT) {
        quit = static_cast<int>(message.wParam);
        return true;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

}  // namespace

bool pumpMessages() {
    holdPluginModuleDuringExport();
    std::optional<int> quit;
    while (!quit && dispatchOne(quit)) {
    }
    if (quit) {
        PostQuitMessage(*quit);
        return false;
    }
    return true;
}

bool waitPumping(HANDLE handle, DWORD milliseconds, Pumping pumping) {
    holdPluginModuleDuringExport();
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    std::optional<int> quit;
    bool signalled = false;
    for (;;) {
        // Past the deadline nothing more is delivered: a stream of messages
        // would otherwise keep the wait going for as long as it flows.
        if (pumping == Pumping::kAll) {
            while (millisecondsLeft(deadline) != 0 && dispatchOne(quit)) {
            }
        } else if (millisecondsLeft(deadline) != 0) {
            // Delivers the sent messages only: a peek for sent messages
            // alone, which removes and returns nothing.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        const DWORD left = millisecondsLeft(deadline);
        const DWORD woken = MsgWaitForMultipleObjectsEx(
            1, &handle, left, pumping == Pumping::kAll ? QS_ALLINPUT : QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        // Signalled, the time ran out, the handle is unusable, or a message
        // came when there was no time left for it.
        if (woken != WAIT_OBJECT_0 + 1 || left == 0) {
            signalled = woken == WAIT_OBJECT_0 || WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            break;
        }
    }
    if (quit) {
        PostQuitMessage(*quit);
    }
    return signalled;
}

bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    holdPluginModuleDuringExport();
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    std::optional<int> quit;
    for (;;) {
        const bool finished = done();
        const DWORD left = millisecondsLeft(deadline);
        if (finished || quit || left == 0) {
            if (quit) {
                PostQuitMessage(*quit);
            }
            return finished;
        }
        // One message at a time, so that nothing is dispatched once done.
        if (!dispatchOne(quit)) {
            MsgWaitForMultipleObjectsEx(0, nullptr, left < 10 ? left : 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
}

void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

bool runDialogLoop(const std::function<bool()>& ended, const std::function<bool(const MSG&)>& threadMessage) {
    holdPluginModuleDuringExport();
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

}  // namespace torv::win
