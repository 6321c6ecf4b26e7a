#include "win/ui_thread.h"

#include "win/message_loop_win.h"

using torv::win::runDialogLoop;

namespace {

// A thread message whose lParam is a heap-allocated std::function<void()>.
constexpr UINT kRunMessage = WM_APP + 0x51;

void runPosted(const MSG& message) {
    std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(message.lParam));
    try {
        (*work)();
    } catch (...) {
        // A packaged task keeps its exception for the waiting test.
    }
}

}  // namespace

UiThread::UiThread() {
    std::promise<DWORD> started;
    std::future<DWORD> startedId = started.get_future();
    ended_ = finished_->get_future();
    thread_ = std::thread(loop, std::move(started), finished_);
    if (startedId.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        thread_.detach();
        throw std::runtime_error("the UI thread did not start");
    }
    id_ = startedId.get();
}

UiThread::~UiThread() {
    if (!thread_.joinable()) {
        return;
    }
    PostThreadMessageA(id_, WM_QUIT, 0, 0);
    if (ended_.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

void UiThread::post(std::function<void()> work) {
    auto* posted = new std::function<void()>(std::move(work));
    if (!PostThreadMessageA(id_, kRunMessage, 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;
        throw std::runtime_error("cannot post to the UI thread");
    }
}

void UiThread::loop(std::promise<DWORD> started, std::shared_ptr<std::promise<void>> finished) {
    MSG message;
    // The first call that reads the queue makes it, so posts can arrive.
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    started.set_value(GetCurrentThreadId());
    // The plug-in's own loop, with the test's work as thread messages.
    runDialogLoop([] { return false; },
                  [](const MSG& posted) {
                      if (posted.message != kRunMessage) {
                          return false;
                      }
                      runPosted(posted);
                      return true;
                  });
    // Work posted after the end is dropped, not leaked.
    while (PeekMessageA(&message, nullptr, kRunMessage, kRunMessage, PM_REMOVE)) {
        if (message.hwnd == nullptr) {
            delete reinterpret_cast<std::function<void()>*>(message.lParam);
        }
    }
    finished->set_value();
}
