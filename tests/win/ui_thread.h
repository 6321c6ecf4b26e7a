// A thread of the test that owns windows, as the assistant thread does in
// the plug-in: it pumps its messages (dialog keyboard handling included)
// and runs work posted from the test, which waits for the result with a
// bound so that a stuck window fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <utility>

class UiThread {
public:
    // Starts the thread and waits until its message queue exists.
    UiThread();
    // Ends the message loop and waits for the thread, up to 10 s (it is left
    // behind if it does not end). Windows it still owns die with it.
    ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    DWORD id() const { return id_; }

    // Runs work on the thread, between two of its messages, and returns its
    // result (or throws its exception). Throws std::runtime_error when no
    // result came within timeoutMs.
    template <typename F>
    auto run(F work, int timeoutMs = 10000) -> std::invoke_result_t<F&> {
        using Result = std::invoke_result_t<F&>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
        std::future<Result> result = task->get_future();
        post([task] { (*task)(); });
        if (result.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
            throw std::runtime_error("the UI thread did not answer in time");
        }
        return result.get();
    }

private:
    // Queues the work behind the messages already posted to the thread.
    void post(std::function<void()> work);
    static void loop(std::promise<DWORD> started, std::shared_ptr<std::promise<void>> finished);

    DWORD id_ = 0;
    std::shared_ptr<std::promise<void>> finished_ = std::make_shared<std::promise<void>>();
    std::future<void> ended_;
    std::thread thread_;
};
