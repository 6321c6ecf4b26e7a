// Linked into a copy of Stats.dll for the process-exit test: once the
// assistant's window is up, its thread keeps the assistant's lock for good,
// as a thread the system ends at process exit may have been holding it. The
// host program learns it through the event named by lockSeamEventName().
#include <windows.h>

#include "assistant/assistant_win.h"
#include "win/lock_seam.h"

using torv::assistant::assistantLockSeam;
using torv::win::ScopedHandle;

namespace {

void holdTheLockForever() {
    ScopedHandle holding(OpenEventA(EVENT_MODIFY_STATE, FALSE, lockSeamEventName().c_str()));
    if (holding) {
        SetEvent(holding.get());
    }
    for (;;) {
        Sleep(INFINITE);
    }
}

const bool installed = [] {
    assistantLockSeam = holdTheLockForever;
    return true;
}();

}  // namespace
