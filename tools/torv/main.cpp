// torv: the TORV contest's rules outside the logger.
//
// Exit codes: 0 done, 1 input problems (a file that cannot be read or
// written, a record that cannot be read), 2 usage, 130 interrupted. Every
// message on standard error begins "torv: ".
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <sstream>

#include "categories_command.h"
#include "check_command.h"
#include "command_support.h"
#include "console.h"
#include "score_command.h"

#ifndef TORV_VERSION
#error "TORV_VERSION must be defined by the build"
#endif

namespace {

// "torv help" and "torv help score" ask for the help as the options do, and
// so does "torv" alone: the usage and the commands, on standard output.
void helpAsOption(std::vector<std::string>& arguments) {
    if (arguments.size() == 1) {
        arguments.push_back("--help");
    } else if (arguments[1] == "help") {
        arguments.erase(arguments.begin() + 1);
        arguments.push_back("--help");
    }
}

}  // namespace

int main(int argc, char** argv) {
    using torv::cli::kLineEnd;
    using torv::cli::withPlatformLineEnds;
    using torv::cli::writeAll;
    torv::cli::prepareRuntime();
    int exitCode = 0;
    try {
        std::vector<std::string> arguments = torv::cli::programArguments(argc, argv);
        helpAsOption(arguments);
        CLI::App app("The TORV contest's rules outside the logger", "torv");
        // "/path/log.adi" is a file on every platform, never an option.
        app.allow_windows_style_options(false);
        app.set_version_flag("-V,--version", "torv " TORV_VERSION);
        app.require_subcommand(1);
        app.footer("torv COMMAND --help tells more of a command.\n\n" +
                   torv::cli::exitCodesFooter({
                       {"0", "done"},
                       {"1", "input problems: a file that cannot be read or written, a record that cannot be read"},
                       {"2", "usage: an unknown command or option, a bad value"},
                       {"130", "interrupted (torv check): the results are unchanged"},
                   }));
        torv::cli::addScoreCommand(app, exitCode);
        torv::cli::addCheckCommand(app, exitCode);
        torv::cli::addCategoriesCommand(app, exitCode);
        const auto named = [&arguments](const CLI::App* command) { return command->check_name(arguments[1]); };
        const bool commandNamed = !arguments[1].empty() && arguments[1][0] != '-';
        if (commandNamed && app.get_subcommands(named).empty()) {
            writeAll(stderr, "torv: unknown command \"" + arguments[1] + "\": the commands are " +
                                 torv::cli::commandNames(app) + " (torv --help tells more)" + kLineEnd);
            return 2;
        }
        std::vector<const char*> pointers;
        for (const std::string& argument : arguments) {
            pointers.push_back(argument.c_str());
        }
        try {
            app.parse(static_cast<int>(pointers.size()), pointers.data());
        } catch (const CLI::ParseError& error) {
            if (error.get_exit_code() != 0) {
                std::fflush(stdout);
                writeAll(stderr, torv::cli::usageErrorText(error, commandNamed ? "torv " + arguments[1] : "torv",
                                                           torv::cli::commandNames(app)));
                return 2;
            }
            // Help and version as the library words them, with the
            // platform's line ends.
            std::ostringstream out, err;
            app.exit(error, out, err);
            writeAll(stdout, withPlatformLineEnds(out.str()));
            writeAll(stderr, withPlatformLineEnds(err.str()));
            return 0;
        }
    } catch (const std::exception& error) {
        writeAll(stderr, std::string("torv: ") + error.what() + kLineEnd);
        return 1;
    }
    return exitCode;
}
