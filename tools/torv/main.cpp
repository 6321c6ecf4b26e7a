// torv: the TORV contest's rules outside the logger.
//
// Exit codes: 0 done, 1 input problems (a file that cannot be read or
// written, a record that cannot be read), 2 usage.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <sstream>

#include "check_command.h"
#include "console.h"
#include "score_command.h"

#ifndef TORV_VERSION
#error "TORV_VERSION must be defined by the build"
#endif

int main(int argc, char** argv) {
    useBinaryStandardStreams();
    int exitCode = 0;
    try {
        CLI::App app("The TORV contest's rules outside the logger", "torv");
        // "/path/log.adi" is a file on every platform, never an option.
        app.allow_windows_style_options(false);
        app.set_version_flag("--version", "torv " TORV_VERSION);
        app.require_subcommand(1);
        addScoreCommand(app, exitCode);
        addCheckCommand(app, exitCode);
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            // Help, version and usage errors as the library words them, with
            // the platform's line ends.
            std::ostringstream out, err;
            const int code = app.exit(error, out, err);
            writeAll(stdout, withPlatformLineEnds(out.str()));
            writeAll(stderr, withPlatformLineEnds(err.str()));
            return code == 0 ? 0 : 2;
        }
    } catch (const std::exception& error) {
        writeAll(stderr, std::string("torv: ") + error.what() + kLineEnd);
        return 1;
    }
    return exitCode;
}
