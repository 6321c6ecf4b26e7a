// `torv check`: the contest committee's cross-check of every submitted log.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace torv::cli {

// Adds the subcommand to the application. When it runs, exitCode receives
// 0 (every log read and checked), 1 (input problems: a file left out, a
// record skipped, an output that cannot be written).
void addCheckCommand(CLI::App& app, int& exitCode);

// What the commands that read a contest's logs share: LOGS items that name
// nothing are a usage error (CLI::ValidationError); the files they name,
// the files directly inside the folders named, each file once, with '/'
// between folder and name. problems is set when a folder cannot be read.
void requireLogsExist(const std::vector<std::string>& logs);
std::vector<std::string> logPaths(const std::vector<std::string>& given, bool& problems);

}  // namespace torv::cli
