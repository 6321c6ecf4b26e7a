// The POSIX console: streams are binary already, the line end is LF.
#include <unistd.h>

#include "console.h"

const char* const kLineEnd = "\n";

void prepareRuntime() {}

bool standardErrorIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}
