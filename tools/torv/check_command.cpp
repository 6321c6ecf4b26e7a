#include "check_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "command_support.h"
#include "console.h"
#include "log_check.h"
#include "logfile/log_file.h"

namespace {

struct CheckCommandOptions {
    std::vector<std::string> logs;
    std::string out;
    int window = 5;
    std::string uniques = "count";
    int penalty = 0;
    std::string start;
    std::string end;
    bool json = false;
};

// The files named, and the files directly inside the folders named (in
// name order, hidden ones aside, links to nothing included), with '/' between folder and name on every
// platform so that reports read the same everywhere.
std::vector<std::string> logPaths(const std::vector<std::string>& given, bool& problems) {
    std::vector<std::string> paths;
    for (const std::string& item : given) {
        std::error_code error;
        if (!std::filesystem::is_directory(item, error)) {
            paths.push_back(item);
            continue;
        }
        std::vector<std::string> inside;
        for (const auto& entry : std::filesystem::directory_iterator(item, error)) {
            const std::string name = entry.path().filename().string();
            std::error_code kind;
            // A link to nothing is kept, so that reading it says so.
            const bool dangling = entry.is_symlink(kind) && !entry.exists(kind);
            if (!name.empty() && name[0] != '.' && (entry.is_regular_file(kind) || dangling)) {
                inside.push_back(name);
            }
        }
        if (error) {
            tell("cannot read the folder " + item + ": " + error.message());
            problems = true;
            continue;
        }
        std::sort(inside.begin(), inside.end());
        std::string folder = item;
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
            folder.pop_back();
        }
        for (const std::string& name : inside) {
            paths.push_back(folder + "/" + name);
        }
    }
    return paths;
}

bool writeOutput(const std::filesystem::path& path, const std::string& bytes) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.string().c_str(), "wb"));
    return file && writeAll(file.get(), bytes) && std::fflush(file.get()) == 0;
}

// The contest period in minutes: a date alone ends at the last minute of its day.
crosscheck::Period periodOf(const CheckRequest& request, const CheckCommandOptions& options) {
    crosscheck::Period period;
    if (request.start) {
        period.start = minuteOfOleDate(request.start->date);
    }
    if (request.end) {
        period.end = minuteOfOleDate(request.end->date) + (options.end.size() == 10 ? 1439 : 0);
    }
    return period;
}

int runCheck(const CheckCommandOptions& options) {
    bool problems = false;
    const std::vector<std::string> paths = logPaths(options.logs, problems);

    CheckRequest request;
    request.settings.options.windowMinutes = options.window;
    request.settings.rules.uniques =
        options.uniques == "remove" ? crosscheck::UniquePolicy::kRemove : crosscheck::UniquePolicy::kCount;
    request.settings.rules.penalty = options.penalty;
    request.start = optionalDate(options.start);
    request.end = optionalDate(options.end);
    request.settings.period = periodOf(request, options);

    const CheckOutcome outcome = checkLogs(paths, request, [](const std::string& path) { return readLogBytes(path); });
    for (const std::string& line : outcome.diagnostics) {
        tell(line);
    }
    problems = problems || outcome.inputProblems;
    if (outcome.report.logs.empty()) {
        tell("no log to check");
        problems = true;
    }

    const std::filesystem::path out(options.out);
    std::error_code error;
    std::filesystem::create_directories(out / "ubn", error);
    if (error) {
        tell("cannot make the folder " + (out / "ubn").string() + ": " + error.message());
        return 1;
    }
    for (const auto& [name, bytes] : checkFiles(outcome.report, options.json)) {
        if (!writeOutput(out / name, bytes)) {
            tell("cannot write " + (out / name).generic_string() + ": " + std::strerror(errno));
            return 1;
        }
    }

    size_t lines = 0;
    crosscheck::VerdictCounts all;
    for (size_t l = 0; l < outcome.report.logs.size(); ++l) {
        lines += outcome.report.logs[l].qsos.size();
        const crosscheck::VerdictCounts c = crosscheck::countVerdicts(outcome.report.verdicts[l]);
        all.confirmed += c.confirmed;
        all.nil += c.nil;
        all.busted += c.busted;
        all.unique += c.unique;
    }
    const std::string summary = std::to_string(outcome.report.logs.size()) + " logs, " + std::to_string(lines) +
                                " QSO lines: " + std::to_string(all.confirmed) + " confirmed, " +
                                std::to_string(all.nil) + " NIL, " + std::to_string(all.busted) + " busted, " +
                                std::to_string(all.unique) + " unique; results in " +
                                (out / "results.txt").generic_string() + kLineEnd;
    writeAll(stdout, summary);
    return problems ? 1 : 0;
}

}  // namespace

void addCheckCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<CheckCommandOptions>();
    CLI::App* check = app.add_subcommand(
        "check", "Cross-check every submitted log: checked scores, UBN reports and the results, for the committee");
    const CLI::Validator date(checkDate, "DATE");
    check->add_option("LOGS", options->logs, "Logs (Cabrillo or ADIF), or folders of them")->required();
    check->add_option("--out", options->out, "Folder for qsos.csv, ubn/, results.*")->required();
    check->add_option("--window", options->window, "Most minutes between the two sides of a contact")
        ->check(CLI::Range(0, 24 * 60))
        ->capture_default_str();
    check->add_option("--uniques", options->uniques, "Unique calls: count them, or remove them from the score")
        ->check(CLI::IsMember({"count", "remove"}))
        ->capture_default_str();
    check->add_option("--penalty", options->penalty, "Take N times its points off for each NIL and busted contact")
        ->check(CLI::Range(0, 1000))
        ->capture_default_str();
    check->add_option("--start", options->start, "Contest start, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC)")->check(date);
    check->add_option("--end", options->end, "Contest end (a date alone: to the end of that day)")->check(date);
    check->add_flag("--json", options->json, "Also write results.json");
    check->callback([options, &exitCode] {
        try {
            exitCode = runCheck(*options);
        } catch (const std::exception& error) {
            tell(error.what());
            exitCode = 1;
        }
    });
}
