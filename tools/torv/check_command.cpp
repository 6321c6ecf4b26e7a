#include "check_command.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "command_support.h"
#include "console.h"
#include "contestcheck/contest_check.h"
#include "contestcheck/output_plan.h"
#include "contestcheck/publish.h"
#include "crosscheck/decisions.h"
#include "crosscheck/glossary.h"
#include "io/files.h"
#include "io/interruption.h"

namespace torv::cli {

namespace {

using contestcheck::CheckOutcome;
using contestcheck::CheckRequest;
using contestcheck::PlannedFile;
using io::FolderEntry;
using io::pathOf;

struct CheckCommandOptions {
    std::vector<std::string> logs;
    std::string out;
    int window = 5;
    std::string uniques = "count";
    int penalty = 0;
    std::string start;
    std::string end;
    crosscheck::Period period;  // of start and end
    std::string categories;
    std::string overrides;
    std::string lang = "en";
    bool json = false;
    bool anyContest = false;
};

#ifndef TORV_VERSION
#error "TORV_VERSION must be defined by the build"
#endif

// The committee's categories file is small: a line per entrant.
constexpr uint64_t kCategoriesFileLimit = 1 << 20;

std::string withoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    return folder;
}

}  // namespace

// The LOGS as given, their wildcards expanded where the program expands
// them (Windows). A LOGS item that names nothing is a mistake on the
// command line: nothing is checked and nothing written.
std::vector<std::string> existingLogs(const std::vector<std::string>& given) {
    std::vector<std::string> logs;
    for (const std::string& item : given) {
        const std::vector<std::string> matches = io::wildcardMatches(item);
        if (matches.empty()) {
            throw CLI::ValidationError("no file or folder matches " + item);
        }
        for (const std::string& match : matches) {
            std::error_code error;
            if (!std::filesystem::exists(pathOf(match), error)) {
                throw CLI::ValidationError("no such file or folder: " + match);
            }
            logs.push_back(match);
        }
    }
    return logs;
}

namespace {

// The results never go among the logs: a later run would read them as logs.
void requireOutsideTheLogs(const std::string& out, const std::vector<std::string>& logs) {
    for (const std::string& item : logs) {
        std::error_code error;
        if (std::filesystem::is_directory(pathOf(item), error) && io::isSameOrInside(out, item)) {
            throw CLI::ValidationError("--out " + out + " is in " + item +
                                       ", a folder of logs: the results go into a folder of their own, outside it");
        }
    }
}

}  // namespace

// The files named, and the files directly inside the folders named (in
// name order, hidden ones aside, links to nothing included, so that reading
// them says so), with '/' between folder and name on every platform so that
// reports read the same everywhere. A file named twice (by two paths, or
// directly and through its folder) comes once, by its first path. The
// folders inside are not read: they are told, and given to the check.
std::vector<std::string> logPaths(const std::vector<std::string>& given, std::vector<std::string>& foldersNotRead,
                                  bool& problems) {
    std::vector<std::string> paths;
    for (const std::string& item : given) {
        std::error_code error;
        if (!std::filesystem::is_directory(pathOf(item), error)) {
            paths.push_back(item);
            continue;
        }
        const io::FolderListing listing = io::listFolder(item);
        if (listing.error) {
            tell("cannot read the folder " + item + ": " + listing.error.message());
            problems = true;
            continue;
        }
        const std::string folder = withoutTrailingSeparators(item);
        for (const FolderEntry& entry : listing.entries) {
            if (entry.name.empty() || entry.name[0] == '.') {
                continue;
            }
            if (entry.kind == FolderEntry::Kind::kFile || entry.kind == FolderEntry::Kind::kLinkToNothing) {
                paths.push_back(folder + "/" + entry.name);
            } else if (entry.kind == FolderEntry::Kind::kFolder) {
                foldersNotRead.push_back(folder + "/" + entry.name);
                tell("not read: " + foldersNotRead.back() + "/ is a folder; give it as an argument to check it");
            }
        }
    }
    return io::distinctFiles(paths);
}

namespace {

// The committee's categories file: a usage error when it cannot be read or
// has no header, since nothing of it could be trusted.
crosscheck::CategoriesFile categoriesFrom(const std::string& path) {
    const io::WholeFile file = io::readWholeFile(path, kCategoriesFileLimit);
    if (!file.error.empty()) {
        throw CLI::ValidationError("--categories", file.error);
    }
    try {
        return crosscheck::readCategoriesFile(file.bytes);
    } catch (const std::invalid_argument& error) {
        throw CLI::ValidationError("--categories", path + ": " + error.what());
    }
}

// The committee's decisions file: a usage error when it cannot be read, is
// over 1 MB or has no header.
crosscheck::DecisionsFile decisionsFrom(const std::string& path) {
    const io::WholeFile file = io::readWholeFile(path, crosscheck::kDecisionsFileLimit);
    if (!file.error.empty()) {
        throw CLI::ValidationError("--overrides", file.error);
    }
    try {
        crosscheck::DecisionsFile decisions = crosscheck::readDecisionsFile(file.bytes);
        decisions.name = path;
        return decisions;
    } catch (const std::invalid_argument& error) {
        throw CLI::ValidationError("--overrides", path + ": " + error.what());
    }
}

CheckRequest requestOf(const CheckCommandOptions& options) {
    CheckRequest request;
    request.settings.options.windowMinutes = options.window;
    request.settings.options.period = options.period;
    request.settings.rules.uniques =
        options.uniques == "remove" ? crosscheck::UniquePolicy::kRemove : crosscheck::UniquePolicy::kCount;
    request.settings.rules.penalty = options.penalty;
    request.settings.language = *crosscheck::languageNamed(options.lang);
    request.settings.toolVersion = TORV_VERSION;
    request.anyContest = options.anyContest;
    if (!options.categories.empty()) {
        request.categoriesFile = options.categories;
        request.categories = categoriesFrom(options.categories);
    }
    if (!options.overrides.empty()) {
        request.settings.options.decisions = decisionsFrom(options.overrides);
    }
    return request;
}

int runCheck(const CheckCommandOptions& options) {
    bool problems = false;
    contestcheck::LogSources sources;
    sources.paths = logPaths(options.logs, sources.foldersNotRead, problems);
    const CheckRequest request = requestOf(options);
    const CheckOutcome outcome = contestcheck::check(sources, request);
    for (const std::string& line : crosscheck::diagnosticLines(outcome.report)) {
        tell(line);
    }
    problems = problems || outcome.inputProblems;
    if (outcome.report.logs.empty()) {
        tell("no log to check");
        problems = true;
    }

    const std::string out = withoutTrailingSeparators(options.out);
    const std::vector<PlannedFile> plan = contestcheck::outputPlan(outcome.report, options.json);
    std::vector<std::string> inputs = sources.paths;
    for (const std::string* input : {&options.categories, &options.overrides}) {
        if (!input->empty()) {
            inputs.push_back(*input);
        }
    }
    if (const std::string clash = contestcheck::outputThatIsAnInput(out, plan, inputs); !clash.empty()) {
        throw CLI::ValidationError("--out", clash + " is one of the logs: an output never overwrites an input");
    }
    // From here an interruption stops the run where it leaves the results whole.
    io::recordInterruptions();
    const contestcheck::Publication publication =
        contestcheck::publish(out, plan, request.threads, inputs, io::interrupted);
    for (const std::string& problem : publication.problems) {
        tell(problem);
    }
    if (!publication.published) {
        tell(std::string(publication.interrupted ? "interrupted: " : "") + "the results in " + out + " are unchanged");
        return publication.interrupted ? io::kInterruptedExitCode : 1;
    }
    writeAll(stdout, contestcheck::summaryLine(outcome.report, out) + kLineEnd);
    if (io::interrupted()) {
        tell("interrupted once the results in " + out + " were in place: they are this run's, whole");
        return io::kInterruptedExitCode;
    }
    return problems || !publication.problems.empty() ? 1 : 0;
}

}  // namespace

void addCheckCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<CheckCommandOptions>();
    CLI::App* check = app.add_subcommand(
        "check", "Cross-check every submitted log: checked scores, UBN reports and the results, for the committee");
    check->add_option("LOGS", options->logs, "Logs (Cabrillo or ADIF), or folders of them")->required();
    check->add_option("--out", options->out, "Folder for qsos.csv, ubn/, results.*, committee.html, outside LOGS")
        ->required()
        ->check(takes(
            "a folder, e.g. --out results", [](const std::string& folder) { return !folder.empty(); }, "DIR"));
    check->add_option("--window", options->window, "Most minutes between the two sides of a contact")
        ->check(takesWholeNumber("whole minutes from 0 to 1440, e.g. --window 10", 0, 24 * 60, "0 to 1440"))
        ->capture_default_str();
    check->add_option("--uniques", options->uniques, "Unique calls: count them, or remove them from the score")
        ->check(takes(
            "count or remove, e.g. --uniques remove",
            [](const std::string& value) { return value == "count" || value == "remove"; }, "count|remove"))
        ->capture_default_str();
    check->add_option("--penalty", options->penalty, "Take N times its points off for each NIL and busted contact")
        ->check(takesWholeNumber("a whole number from 0 to 1000, e.g. --penalty 1", 0, 1000, "0 to 1000"))
        ->capture_default_str();
    check
        ->add_option("--start", options->start,
                     "Contest start, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC): contacts before it are OUT-OF-PERIOD")
        ->check(takesDate("--start"));
    check->add_option("--end", options->end, "Contest end, included (a date alone: to the end of that day)")
        ->check(takesDate("--end"));
    check->add_option("--categories", options->categories,
                      "CSV of entrants' categories (call,operator,band,power,mode); an empty field keeps the log's");
    check->add_option("--overrides", options->overrides,
                      "CSV of the committee's decisions (call,line,status,note): the final status of QSO lines");
    check
        ->add_option("--lang", options->lang,
                     "Language of the pages and reports: en (English) or pt (Brazilian Portuguese); en-US and pt-BR "
                     "too, letter case aside")
        ->check(takes(
            "en or pt (or en-US, pt-BR), e.g. --lang pt",
            [](const std::string& value) { return crosscheck::languageNamed(value).has_value(); }, "en|pt"))
        ->capture_default_str();
    check->add_flag("--json", options->json, "Also write results.json");
    check->add_flag("--any-contest", options->anyContest,
                    "Check every log whatever contest it names (without it, a log naming another contest is left "
                    "out)");
    check->footer(exitCodesFooter({
        {"0", "every log read and checked, and the results written"},
        {"1",
         "input problems: a file left out, a record skipped, a line of the categories or decisions file "
         "left aside, an output that cannot be written (then none is, and the results in DIR are unchanged)"},
        {"2",
         "usage: an unknown command or option, a bad value, LOGS that name nothing, --out in a folder of "
         "LOGS, an output in a log's place, a categories or decisions file without its header"},
        {"130", "interrupted (Ctrl-C): the results in DIR are unchanged"},
    }));
    check->callback([options, &exitCode] {
        options->period = contestPeriod(options->start, options->end);
        options->logs = existingLogs(options->logs);
        requireOutsideTheLogs(options->out, options->logs);
        // Nothing is written until the results are made: an interruption
        // until then quits at once.
        io::quitWhenInterrupted("torv: interrupted: the results in " + withoutTrailingSeparators(options->out) +
                                " are unchanged" + kLineEnd);
        exitCode = runCommand([&] { return runCheck(*options); });
    });
}

}  // namespace torv::cli
