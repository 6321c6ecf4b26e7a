// The console as the tool uses it, the same on every platform.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace torv::cli {

// The program's arguments as UTF-8 (on Windows taken from the UTF-16
// command line, whatever the console's code page).
std::vector<std::string> programArguments(int argc, char** argv);

// The C runtime as the tool uses it, set once at the start. Standard output
// and error take bytes as they are: on Windows no LF is turned into CR LF
// behind the tool's back (it writes the line ends itself); there, too,
// standard error is written a message at a time and small blocks come from
// a heap of their own.
void prepareRuntime();

// True when standard error is a terminal (progress is shown only there).
bool standardErrorIsTerminal();

// The platform's line end: "\r\n" on Windows, "\n" elsewhere.
extern const char* const kLineEnd;

// The text with its CR LF and LF line ends made the platform's.
std::string withPlatformLineEnds(std::string_view text);

// Writes the bytes to the stream; false when they did not all go.
bool writeAll(std::FILE* stream, std::string_view bytes);

}  // namespace torv::cli
