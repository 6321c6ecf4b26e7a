#include "categories_command.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "check_command.h"
#include "command_support.h"
#include "console.h"
#include "contestcheck/categories_list.h"
#include "io/atomic_file.h"
#include "io/files.h"

namespace torv::cli {

namespace {

struct CategoriesOptions {
    std::vector<std::string> logs;
    std::string out;
    bool anyContest = false;
};

// The file written never takes the place of a log (compared as files).
void requireOutApartFromLogs(const std::string& out, const std::vector<std::string>& paths) {
    const std::optional<io::FileIdentity> written = io::fileIdentity(out);
    for (const std::string& path : paths) {
        if (written && io::fileIdentity(path) == written) {
            throw CLI::ValidationError("--out", out + " is one of the logs: an output never overwrites an input");
        }
    }
}

int runCategories(const CategoriesOptions& options) {
    bool problems = false;
    contestcheck::LogSources sources;
    sources.paths = logPaths(options.logs, sources.foldersNotRead, problems);
    if (!options.out.empty()) {
        requireOutApartFromLogs(options.out, sources.paths);
    }
    contestcheck::CheckRequest request;
    request.anyContest = options.anyContest;
    const contestcheck::CategoriesListing listing = contestcheck::listCategories(sources, request);
    for (const std::string& note : listing.notes) {
        tell(note);
    }
    problems = problems || listing.inputProblems;
    if (options.out.empty()) {
        if (!writeAll(stdout, withPlatformLineEnds(listing.csv))) {
            throw InputProblem("cannot write the standard output");
        }
        return problems ? 1 : 0;
    }
    if (const std::string error = io::writeFileAtomically(options.out, listing.csv); !error.empty()) {
        throw InputProblem("cannot write " + options.out + ": " + error);
    }
    const size_t rows = static_cast<size_t>(std::count(listing.csv.begin(), listing.csv.end(), '\n')) - 1;
    writeAll(stdout, std::to_string(rows) + (rows == 1 ? " entrant" : " entrants") + " in " + options.out + kLineEnd);
    return problems ? 1 : 0;
}

}  // namespace

void addCategoriesCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<CategoriesOptions>();
    CLI::App* command = app.add_subcommand(
        "categories", "Write the categories file (for check --categories) from the logs' headers, to fill in");
    command->add_option("LOGS", options->logs, "Logs (Cabrillo or ADIF), or folders of them")->required();
    command->add_option("--out", options->out, "The CSV file to write (default: standard output)");
    command->add_flag("--any-contest", options->anyContest, "List every log whatever contest it names");
    command->callback([options, &exitCode] {
        options->logs = existingLogs(options->logs);
        exitCode = runCommand([&] { return runCategories(*options); });
    });
}

}  // namespace torv::cli
