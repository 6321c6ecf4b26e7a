// `torv categories`: the committee's categories file made from the logs'
// own headers, to fill in before `torv check --categories`.
#pragma once

#include <CLI/CLI.hpp>

namespace torv::cli {

// Adds the subcommand to the application. When it runs, exitCode receives
// 0 (every log read, the file written), 1 (input problems: a file left
// out, a record skipped, the file that cannot be written).
void addCategoriesCommand(CLI::App& app, int& exitCode);

}  // namespace torv::cli
