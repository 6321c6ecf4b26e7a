// The Windows console: binary standard streams, the CR LF line end, and the
// arguments taken from the UTF-16 command line.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "console.h"

namespace torv::cli {

namespace {

std::string utf8OfWide(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();  // the terminating NUL
    return utf8;
}

}  // namespace

const char* const kLineEnd = "\r\n";

std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    struct LocalFreer {
        void operator()(LPWSTR* arguments) const { LocalFree(arguments); }
    };
    const std::unique_ptr<LPWSTR, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!wide) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(utf8OfWide(wide.get()[i]));
    }
    return arguments;
}

void prepareRuntime() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The C runtime writes an unbuffered stream one byte per system call
    // (a million-line check's warnings took seconds under wine). Standard
    // error gets a buffer instead, and writeAll empties it after every
    // message, so each one still reaches the console at once, in one write.
    static char errorBuffer[8192];
    std::setvbuf(stderr, errorBuffer, _IOFBF, sizeof errorBuffer);
}

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace torv::cli
