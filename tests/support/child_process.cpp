#include "support/child_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {

// In the child, before it becomes the program: only calls that are safe
// after fork.
[[noreturn]] void becomeChild(std::vector<char*>& argv, const ChildStreams& streams) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(streams.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(streams.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool moved = streams.folder.empty() || chdir(streams.folder.c_str()) == 0;
    if (!moved || in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

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
