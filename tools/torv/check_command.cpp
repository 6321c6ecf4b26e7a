#include "check_command.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

#include "calendar/ascii_case.h"
#include "command_support.h"
#include "console.h"
#include "contestcheck/contest_check.h"
#include "contestcheck/output_plan.h"
#include "crosscheck/glossary.h"
#include "io/atomic_file.h"
#include "io/files.h"

namespace torv::cli {

namespace {

using calendar::lowerCase;
using contestcheck::CheckOutcome;
using contestcheck::CheckRequest;
using contestcheck::PlannedFile;
using io::FileIdentity;
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
    std::string lang = "en";
    bool json = false;
    bool anyContest = false;
};

#ifndef TORV_VERSION
#error "TORV_VERSION must be defined by the build"
#endif

// The committee's categories file is small: a line per entrant.
constexpr uint64_t kCategoriesFileLimit = 1 << 20;

// The list of what a run wrote into the output folder, one path a line,
// so that the next run removes what it no longer writes.
constexpr const char* kManifest = "torv-check-files.txt";
constexpr const char* kManifestHeading = "# written by torv check; the next run removes what it no longer writes";

}  // namespace

// A LOGS item that names nothing is a mistake on the command line: nothing
// is checked and nothing written.
void requireLogsExist(const std::vector<std::string>& logs) {
    for (const std::string& item : logs) {
        std::error_code error;
        if (!std::filesystem::exists(pathOf(item), error)) {
            throw CLI::ValidationError("LOGS", "no such file or folder: " + item);
        }
    }
}

// The files named, and the files directly inside the folders named (in
// name order, hidden ones aside, links to nothing included, so that reading
// them says so), with '/' between folder and name on every platform so that
// reports read the same everywhere. A file named twice (by two paths, or
// directly and through its folder) comes once, by its first path.
std::vector<std::string> logPaths(const std::vector<std::string>& given, bool& problems) {
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
        std::string folder = item;
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
            folder.pop_back();
        }
        for (const FolderEntry& entry : listing.entries) {
            const bool log = entry.kind == FolderEntry::Kind::kFile || entry.kind == FolderEntry::Kind::kLinkToNothing;
            if (log && !entry.name.empty() && entry.name[0] != '.') {
                paths.push_back(folder + "/" + entry.name);
            }
        }
    }
    return io::distinctFiles(paths);
}

namespace {

// What the last run's manifest lists, where there is one: only names a
// check writes, never anything else (the manifest is a file in a folder
// others can write to).
std::vector<std::string> lastWritten(const std::string& manifest) {
    const io::WholeFile file = io::readWholeFile(manifest, 16 << 20);
    std::vector<std::string> names;
    size_t start = 0;
    while (file.error.empty() && start < file.bytes.size()) {
        size_t end = file.bytes.find('\n', start);
        end = end == std::string::npos ? file.bytes.size() : end;
        std::string line = file.bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (contestcheck::isOutputName(line)) {
            names.push_back(line);
        }
        start = end + 1;
    }
    return names;
}

using Identities = std::set<FileIdentity>;

Identities identitiesOf(const std::vector<std::string>& paths) {
    Identities identities;
    for (const std::string& path : paths) {
        if (const std::optional<FileIdentity> id = io::fileIdentity(path)) {
            identities.insert(*id);
        }
    }
    return identities;
}

bool isOneOf(const Identities& identities, const std::string& path) {
    const std::optional<FileIdentity> id = io::fileIdentity(path);
    return id && identities.count(*id) != 0;
}

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
    return request;
}

// The outputs that may exist already: only those can be a log. Each output
// folder is listed once, as asking the system for every missing name costs a
// scan of the whole folder under wine. Letters are compared without case (a
// Windows folder has no case) and a name with other than ASCII letters is
// always kept, so no existing file is left out.
std::vector<std::string> outputsThatMayExist(const std::string& out, const std::vector<std::string>& names) {
    std::map<std::string, std::optional<std::set<std::string>>> listings;
    auto listing = [&](const std::string& folder) -> const std::optional<std::set<std::string>>& {
        auto [at, added] = listings.try_emplace(folder);
        if (added) {
            const io::FolderListing listed = io::listFolder(out + folder);
            // A folder that is not there holds nothing; one that cannot be
            // read may hold anything.
            if (!listed.error || listed.error == std::errc::no_such_file_or_directory) {
                std::set<std::string> entries;
                for (const FolderEntry& entry : listed.entries) {
                    entries.insert(lowerCase(entry.name));
                }
                at->second = std::move(entries);
            }
        }
        return at->second;
    };
    std::vector<std::string> existing;
    for (const std::string& name : names) {
        const size_t slash = name.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : "/" + name.substr(0, slash);
        const std::string file = name.substr(slash + 1);
        const std::optional<std::set<std::string>>& entries = listing(folder);
        const bool plainAscii = std::all_of(file.begin(), file.end(), [](char c) { return (c & 0x80) == 0; });
        if (!entries || !plainAscii || entries->count(lowerCase(file)) != 0) {
            existing.push_back(out + "/" + name);
        }
    }
    return existing;
}

// An output never takes the place of a submitted log or the categories
// file (compared as files): refused before anything is written.
Identities refuseOutputsThatAreInputs(const CheckCommandOptions& options, const std::vector<std::string>& paths,
                                      const std::string& out, const std::vector<std::string>& names) {
    const std::vector<std::string> outputs = outputsThatMayExist(out, names);
    if (outputs.empty()) {
        return Identities();
    }
    std::vector<std::string> inputPaths = paths;
    if (!options.categories.empty()) {
        inputPaths.push_back(options.categories);
    }
    Identities inputs = identitiesOf(inputPaths);
    for (const std::string& output : outputs) {
        if (isOneOf(inputs, output)) {
            throw CLI::ValidationError("--out", output + " is one of the logs: an output never overwrites an input");
        }
    }
    return inputs;
}

// Writes the files, each alone on all cores (one that fails is told and the
// others are still written), then the manifest, removing what the last run
// listed and this one no longer writes. False when anything failed.
bool writeCheckFiles(const std::string& out, const std::vector<PlannedFile>& plan, unsigned threads,
                     const Identities& inputs) {
    bool written = true;
    const std::string manifest = out + "/" + kManifest;
    const std::vector<std::string> failures =
        contestcheck::makeOutputs(plan, threads, [&out](const std::string& name, const std::string& text) {
            return io::writeFileAtomically(out + "/" + name, text);
        });
    std::set<std::string> names;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (failures[i].empty()) {
            names.insert(plan[i].name);
        } else {
            tell("cannot write " + out + "/" + plan[i].name + ": " + failures[i]);
            written = false;
        }
    }
    std::string list = std::string(kManifestHeading) + "\n";
    for (const PlannedFile& file : plan) {
        list += names.count(file.name) != 0 ? file.name + "\n" : std::string();
    }
    std::error_code error;
    for (const std::string& name : lastWritten(manifest)) {
        if (names.count(name) == 0 && !isOneOf(inputs, out + "/" + name)) {
            std::filesystem::remove(pathOf(out + "/" + name), error);
        }
    }
    if (const std::string failure = io::writeFileAtomically(manifest, list); !failure.empty()) {
        tell("cannot write " + manifest + ": " + failure);
        written = false;
    }
    return written;
}

int runCheck(const CheckCommandOptions& options) {
    bool problems = false;
    contestcheck::LogSources sources;
    sources.paths = logPaths(options.logs, problems);
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

    std::string out = options.out;
    while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) {
        out.pop_back();
    }
    const std::vector<PlannedFile> plan = contestcheck::outputPlan(outcome.report, options.json);
    std::vector<std::string> outputs = {kManifest};
    for (const PlannedFile& file : plan) {
        outputs.push_back(file.name);
    }
    const Identities inputs = refuseOutputsThatAreInputs(options, sources.paths, out, outputs);
    const std::string reports = out + "/" + contestcheck::kReportFolder;
    std::error_code error;
    std::filesystem::create_directories(pathOf(reports), error);
    if (error) {
        tell("cannot make the folder " + reports + ": " + error.message());
        return 1;
    }
    problems = !writeCheckFiles(out, plan, request.threads, inputs) || problems;
    writeAll(stdout, contestcheck::summaryLine(outcome.report, out) + kLineEnd);
    return problems ? 1 : 0;
}

}  // namespace

void addCheckCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<CheckCommandOptions>();
    CLI::App* check = app.add_subcommand(
        "check", "Cross-check every submitted log: checked scores, UBN reports and the results, for the committee");
    const CLI::Validator date(checkDate, "DATE");
    check->add_option("LOGS", options->logs, "Logs (Cabrillo or ADIF), or folders of them")->required();
    check->add_option("--out", options->out, "Folder for qsos.csv, ubn/, results.*, committee.html")
        ->required()
        ->check(CLI::Validator([](std::string& folder) { return folder.empty() ? "a folder is needed" : ""; }, "DIR"));
    check->add_option("--window", options->window, "Most minutes between the two sides of a contact")
        ->check(CLI::Range(0, 24 * 60))
        ->capture_default_str();
    check->add_option("--uniques", options->uniques, "Unique calls: count them, or remove them from the score")
        ->check(CLI::IsMember({"count", "remove"}))
        ->capture_default_str();
    check->add_option("--penalty", options->penalty, "Take N times its points off for each NIL and busted contact")
        ->check(CLI::Range(0, 1000))
        ->capture_default_str();
    check
        ->add_option("--start", options->start,
                     "Contest start, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC): contacts before it are OUT-OF-PERIOD")
        ->check(date);
    check->add_option("--end", options->end, "Contest end, included (a date alone: to the end of that day)")
        ->check(date);
    check->add_option("--categories", options->categories,
                      "CSV of entrants' categories (call,operator,band,power,mode); an empty field keeps the log's");
    check->add_option("--lang", options->lang, "Language of the pages and reports: en (English) or pt (Portuguese)")
        ->check(CLI::IsMember({"en", "pt"}))
        ->capture_default_str();
    check->add_flag("--json", options->json, "Also write results.json");
    check->add_flag("--any-contest", options->anyContest,
                    "Check every log whatever contest it names (without it, a log naming another contest is left "
                    "out)");
    check->callback([options, &exitCode] {
        options->period = contestPeriod(options->start, options->end);
        requireLogsExist(options->logs);
        exitCode = runCommand([&] { return runCheck(*options); });
    });
}

}  // namespace torv::cli
