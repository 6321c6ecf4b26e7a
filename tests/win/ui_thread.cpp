#include "win/ui_thread.h"

namespace {

// A thread message whose lParam is a heap-allocated std::function<void()>.
constexpr UINT kRunMessage = WM_APP + 0x51;

bool isDialogWindow(HWND window) {
    char className[8] = {};
    return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpA(className, "#32770") == 0;
}

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
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kRunMessage) {
            runPosted(message);
            continue;
        }
        // Keyboard handling of modeless dialogs, as the plug-in's loop does.
        HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && isDialogWindow(root) && IsDialogMessageA(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Work posted after the end is dropped, not leaked.
    while (PeekMessageA(&message, nullptr, kRunMessage, kRunMessage, PM_REMOVE)) {
        if (message.hwnd == nullptr) {
            delete reinterpret_cast<std::function<void()>*>(message.lParam);
        }
    }
    finished->set_value();
}
