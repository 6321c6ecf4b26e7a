// The Windows console: binary standard streams, the CR LF line end.
#include <fcntl.h>
#include <io.h>

#include "console.h"

const char* const kLineEnd = "\r\n";

void useBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}
