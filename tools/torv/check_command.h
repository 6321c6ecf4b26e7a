// `torv check`: the contest committee's cross-check of every submitted log.
#pragma once

#include <CLI/CLI.hpp>

namespace torv::cli {

// Adds the subcommand to the application. When it runs, exitCode receives
// 0 (every log read and checked), 1 (input problems: a file left out, a
// record skipped, an output that cannot be written).
void addCheckCommand(CLI::App& app, int& exitCode);

}  // namespace torv::cli
