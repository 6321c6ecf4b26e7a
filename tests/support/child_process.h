// A program started as a child process with its standard streams on files,
// as the tests and benchmarks run the command-line tools (POSIX only).
#pragma once

#include <string>
#include <vector>

struct ChildStreams {
    std::string folder;  // the child's working folder; empty: this one
    std::string out = "/dev/null";
    std::string err = "/dev/null";
};

struct ChildExit {
    bool ran = false;    // started and waited for
    int exitCode = -1;   // -1 when a signal ended it
    double seconds = 0;  // from start to exit
};

// Runs words[0] (a path) with the rest as its arguments, standard input
// empty, output and error written to the files given, and waits for it.
ChildExit runChild(const std::vector<std::string>& words, const ChildStreams& streams = ChildStreams());
