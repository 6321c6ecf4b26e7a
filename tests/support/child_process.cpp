#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

// In the child, before it becomes the program: only calls that are safe
// after fork.
[[noreturn]] void becomeChild(std::vector<char*>& argv, const ChildStreams& streams) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(streams.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(streams.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool moved = streams.folder.empty() || chdir(streams.folder.c_str()) == 0;
    if (streams.ignoreInterrupt) {
        signal(SIGINT, SIG_IGN);  // kept across exec
    }
    if (!moved || in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

pid_t startChild(const std::vector<std::string>& words, const ChildStreams& streams) {
    std::vector<std::string> owned = words;
    std::vector<char*> argv;
    for (std::string& word : owned) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        becomeChild(argv, streams);
    }
    return child;
}

ChildExit waitForChild(pid_t child, std::chrono::milliseconds limit) {
    ChildExit exit;
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    // Asked again and again, a little apart: a wait with a bound.
    for (;;) {
        const pid_t ended = child > 0 ? waitpid(child, &status, WNOHANG) : -1;
        const auto now = std::chrono::steady_clock::now();
        if (ended == child) {
            exit.ran = true;
            exit.seconds = std::chrono::duration<double>(now - start).count();
            exit.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return exit;
        }
        if (ended != 0 || now - start > limit) {
            if (child > 0 && ended == 0) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
            }
            return exit;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ChildExit runChild(const std::vector<std::string>& words, const ChildStreams& streams) {
    std::vector<std::string> owned = words;
    std::vector<char*> argv;
    for (std::string& word : owned) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        becomeChild(argv, streams);
    }
    ChildExit exit;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child) {
        exit.ran = true;
        exit.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        exit.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return exit;
}
