// The POSIX console: streams are binary already, the line end is LF, and
// the arguments are bytes as they came.
#include <unistd.h>

#include "console.h"

namespace torv::cli {

const char* const kLineEnd = "\n";

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void prepareRuntime() {}

bool standardErrorIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}

}  // namespace torv::cli
