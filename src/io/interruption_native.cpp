// Interruptions on POSIX: SIGINT and SIGTERM through sigaction, whose
// handler does only what a signal handler may (write, _exit, an atomic).
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "io/interruption.h"

namespace torv::io {

namespace {

// The message written on quitting, set before the handler may read it.
char quitMessage[4096];
size_t quitMessageSize = 0;
std::atomic<bool> recording{false};
std::atomic<bool> recorded{false};
static_assert(std::atomic<bool>::is_always_lock_free, "an atomic a signal handler may touch");

extern "C" void onInterruption(int) {
    if (recording.load()) {
        recorded.store(true);
        return;
    }
    for (size_t done = 0; done < quitMessageSize;) {
        const ssize_t written = write(STDERR_FILENO, quitMessage + done, quitMessageSize - done);
        if (written <= 0) {
            break;
        }
        done += static_cast<size_t>(written);
    }
    _exit(kInterruptedExitCode);
}

}  // namespace

void quitWhenInterrupted(const std::string& message) {
    quitMessageSize = std::min(message.size(), sizeof quitMessage);
    std::memcpy(quitMessage, message.data(), quitMessageSize);
    struct sigaction action {};
    action.sa_handler = onInterruption;
    sigemptyset(&action.sa_mask);
    // A system call the signal breaks goes on: the handler quits or records.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void recordInterruptions() {
    recording.store(true);
}

bool interrupted() {
    return recorded.load();
}

}  // namespace torv::io
