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

// What the commands that read a contest's logs share. existingLogs: the
// LOGS items, wildcards expanded where the program expands them (Windows);
// one that names nothing is a usage error (CLI::ValidationError). logPaths:
// the files they name and the files directly inside the folders named, each
// file once, with '/' between folder and name; the folders inside those are
// told and added to foldersNotRead; problems is set when a folder cannot be
// read.
std::vector<std::string> existingLogs(const std::vector<std::string>& given);
std::vector<std::string> logPaths(const std::vector<std::string>& given, std::vector<std::string>& foldersNotRead,
                                  bool& problems);

}  // namespace torv::cli
