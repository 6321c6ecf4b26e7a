// Driving the plug-in's windows the way an operator would: found by caption
// among this process's top-level windows (on any of its threads), clicked,
// filled in, read, photographed.
//
// Every call that talks to a window of another thread is bounded
// (SendMessageTimeout), because that thread may be busy or blocked.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "win/scoped_win.h"

namespace pelksim {

// How a waiting loop passes its idle time between two looks: pumping on a
// thread that serves windows or COM (pumpingIdle), sleeping on one that
// serves nothing (sleepingIdle).
using IdleFunction = std::function<void(DWORD milliseconds)>;
void pumpingIdle(DWORD milliseconds);
void sleepingIdle(DWORD milliseconds);

// The window class of dialogs and message boxes.
constexpr char kDialogClass[] = "#32770";

// A visible top-level window of this process with exactly this caption, of
// the class if one is given ("#32770" for dialogs and message boxes);
// nullptr when none.
HWND findProcessWindow(const std::string& caption, const char* className = nullptr);

// Waits up to timeout for such a window; nullptr when none appeared.
HWND waitForWindow(const std::string& caption, const char* className, DWORD timeout, const IdleFunction& idle);

// Waits up to timeout until no such window is left; false when one still is.
bool waitForNoWindow(const std::string& caption, const char* className, DWORD timeout, const IdleFunction& idle);

// The text of a control (or of the window itself with id -1); "" when it
// cannot be read in time.
std::string controlText(HWND window, int id, DWORD timeout);

// The items of a combo box's list, in list order; empty when the control is
// missing or does not answer in time.
std::vector<std::string> comboItems(HWND dialog, int id, DWORD timeout);

// BM_CLICK on a button, sent and waited for (bounded). False with error.
bool clickControl(HWND window, int id, DWORD timeout, std::string& error);

// BM_GETCHECK of a check box: 1 ticked, 0 not, 2 indeterminate; -1 with
// error when the control is missing or does not answer in time.
int checkState(HWND window, int id, DWORD timeout, std::string& error);

// Sets one control of a dialog as an operator would leave it: an edit box or
// an editable combo box gets the text; a drop-down list selects the item
// with exactly that text; a check box is ticked by "1" and cleared by "0".
bool setControl(HWND dialog, int id, const std::string& text, DWORD timeout, std::string& error);

// Presses OK (IDOK) or Cancel (IDCANCEL) by posting the command the button
// would send, so the dialog's own thread handles it when it pumps.
void postButtonCommand(HWND dialog, int id);

// Writes the window as it shows on screen, frame and caption included, to a
// 24-bit BMP file. False with error.
bool saveWindowBitmap(HWND window, const std::string& path, std::string& error, SIZE& size);

// A task run on a helper thread, so that the host's thread can pump while a
// synchronous window call or an armed answer is under way; or a call of the
// plug-in that blocks in a modal window, so that a test can answer it.
class HelperThread {
public:
    explicit HelperThread(std::function<void()> task);
    // Waits (pumping, bounded) for the task; one stuck beyond that is left
    // to finish on its own: it owns what it uses.
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // An event set when the task has returned.
    HANDLE finishedEvent() const;
    bool finished() const { return WaitForSingleObject(finishedEvent(), 0) == WAIT_OBJECT_0; }
    // Waits (pumping) for the task to return, up to timeoutMs.
    bool waitFinished(DWORD timeoutMs = 20000) const;

private:
    struct Shared;
    static DWORD WINAPI run(void* shared);
    std::shared_ptr<Shared> shared_;
    torv::win::ScopedHandle thread_;
};

}  // namespace pelksim
