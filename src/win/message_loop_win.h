// The message loops of the tree: the one pumping wait, and the one modal
// loop a thread that owns dialogs runs.
//
// A thread that serves a single-threaded COM apartment (the host's main
// thread, the simulator's, a test standing in for it) answers calls from
// other threads only while it dispatches messages, so every wait it makes
// keeps pumping. Pumping comes first and the wait uses MWMO_INPUTAVAILABLE:
// a message the thread has already seen in its queue does not wake a plain
// MsgWaitForMultipleObjects. Time is measured with GetTickCount64, which
// does not wrap.
//
// Inside the loader's lock (a library's DllMain) a wait must run none of the
// host's code: it lets only the messages other threads send to this thread be
// delivered (a thread blocked in SendMessage to us would otherwise wait for
// the whole bound), and leaves every posted message, input and COM call in
// the queue, in order.
//
// Every loop here, run inside one of the plug-in's exports, first keeps the
// plug-in's image mapped for the export's duration (export_call_win.h): a
// message it dispatches may be the host's FreeLibrary.
#pragma once

#include <windows.h>

#include <functional>

namespace torv::win {

// Dispatches every message waiting for this thread, sent messages included.
// A WM_QUIT is left for the thread's own loop (posted again) and stops the
// pumping; the result is false then.
bool pumpMessages();

// What a wait lets through while it waits.
enum class Pumping {
    kAll,       // every message, dispatched
    kSentOnly,  // only messages other threads send; nothing posted, no input
};

// Waits for the handle to be signalled while pumping; false when the time
// ran out first or the handle is invalid. The wait ends at its deadline
// however many messages keep arriving: none is delivered past it. A WM_QUIT
// met meanwhile does not end the wait: it is posted again when the wait
// returns.
bool waitPumping(HANDLE handle, DWORD milliseconds, Pumping pumping = Pumping::kAll);

// Pumps until done() holds, checking it after every message and at least
// every 10 ms; false when the time ran out first or a WM_QUIT came (it is
// left for the thread's own loop).
bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds);

// Pumps for the given time.
void pumpFor(DWORD milliseconds);

// The loop of a thread that owns dialogs: gets and dispatches this thread's
// messages, giving every dialog (its own and modeless ones) its keyboard
// handling, until ended() holds after a message. A message without a window
// goes first to threadMessage, when one is given, which returns true when it
// has handled it. Returns false when WM_QUIT ended the loop (the quit is
// posted again for the thread's owner), true when ended() did.
bool runDialogLoop(const std::function<bool()>& ended, const std::function<bool(const MSG&)>& threadMessage = nullptr);

}  // namespace torv::win
