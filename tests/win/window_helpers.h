// Driving the plug-in's windows from a test, as an operator would, with
// every wait bounded so that a missing window fails a test instead of
// hanging it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The visible top-level dialog of this process with this caption, if any.
HWND findDialog(const std::string& caption);

// The first top-level dialog of this process with this caption, waited for
// up to timeoutMs; nullptr when none came. It does not pump this thread's
// messages: not for waits that automation calls to this thread must outlast.
HWND waitForDialog(const std::string& caption, int timeoutMs = 20000);

// Waits until the window is gone, up to timeoutMs.
bool waitUntilClosed(HWND window, int timeoutMs = 20000);

// The text of a control, or of a message box's message (id 0xFFFF).
std::string dialogItemText(HWND dialog, int id);

// The items of a combo box's list, in list order.
std::vector<std::string> comboItems(HWND dialog, int id);

// A call of the plug-in that may block in a modal window, run on a thread
// of its own (standing in for the host's thread) so the test can answer the
// window. If the call never returns, the thread is left behind rather than
// hanging the test run; the test has failed by then.
class BlockingCall {
public:
    explicit BlockingCall(std::function<void()> call);
    ~BlockingCall();
    BlockingCall(const BlockingCall&) = delete;
    BlockingCall& operator=(const BlockingCall&) = delete;

    bool finished() const { return *finished_; }
    // Waits for the call to return, up to timeoutMs.
    bool waitFinished(int timeoutMs = 20000);

private:
    // Shared with the thread, which may outlive this object.
    std::shared_ptr<std::atomic<bool>> finished_ = std::make_shared<std::atomic<bool>>(false);
    std::thread thread_;
};
