// A program started as a child process with its standard streams on files,
// as the tests and benchmarks run the command-line tools (POSIX only).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

struct ChildStreams {
    std::string folder;  // the child's working folder; empty: this one
    std::string out = "/dev/null";
    std::string err = "/dev/null";
    bool ignoreInterrupt = false;  // started with SIGINT ignored, as a shell's background job
};

struct ChildExit {
    bool ran = false;    // started and waited for
    int exitCode = -1;   // -1 when a signal ended it
    double seconds = 0;  // from start to exit
};

// Starts words[0] as runChild does, without waiting: its process id, or
// -1 when it could not start.
pid_t startChild(const std::vector<std::string>& words, const ChildStreams& streams = ChildStreams());

// Waits for a started child to end, at most `limit` (then it is killed and
// ran stays false).
ChildExit waitForChild(pid_t child, std::chrono::milliseconds limit);

// Runs words[0] (a path) with the rest as its arguments, standard input
// empty, output and error written to the files given, and waits for it.
ChildExit runChild(const std::vector<std::string>& words, const ChildStreams& streams = ChildStreams());
