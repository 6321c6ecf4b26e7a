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
#pragma once

#include <windows.h>

#include <functional>

// Dispatches every message waiting for this thread, sent messages included.
// A WM_QUIT is left for the thread's own loop (posted again) and stops the
// pumping; the result is false then.
bool pumpMessages();

// Waits for the handle to be signalled while pumping; false when the time
// ran out first, the handle is invalid, or a WM_QUIT came.
bool waitPumping(HANDLE handle, DWORD milliseconds);

// Pumps until done() holds, checking it after every batch of messages and at
// least every 10 ms; false when the time ran out first.
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
