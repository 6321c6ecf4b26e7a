// Interruptions of the process (SIGINT and SIGTERM; on Windows Ctrl-C and
// Ctrl-Break) as a tool that publishes files takes them. Before it writes
// anything, an interruption ends the process at once with a message; while
// it writes, an interruption is only recorded, so that the tool stops at a
// point of its choosing and leaves its old files as they were.
#pragma once

#include <string>

namespace torv::io {

// The exit code of a process that stopped when interrupted (128 + SIGINT,
// as shells report it).
constexpr int kInterruptedExitCode = 130;

// Takes the process's interruptions from now on, even those it was started
// to ignore (a shell's background job ignores SIGINT): each one writes
// `message` (a line, its line end included) to standard error and ends the
// process with kInterruptedExitCode. Call it before writing anything.
void quitWhenInterrupted(const std::string& message);

// From now on an interruption is recorded only (interrupted() says so) and
// the process goes on: the tool removes what it made and stops, or, past
// the point where its files take their places, finishes them first.
void recordInterruptions();

// True once an interruption was recorded.
bool interrupted();

}  // namespace torv::io
