// `torv score`: one log scored with the plug-in's rules.
#pragma once

#include <CLI/CLI.hpp>

namespace torv::cli {

// Adds the subcommand to the application. When it runs, exitCode receives
// 0 (everything read), 1 (input problems: a record skipped, a file that
// cannot be read or written).
void addScoreCommand(CLI::App& app, int& exitCode);

}  // namespace torv::cli
