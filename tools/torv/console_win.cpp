// The Windows console: binary standard streams, the CR LF line end.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "console.h"

const char* const kLineEnd = "\r\n";

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
