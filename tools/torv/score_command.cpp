#include "score_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

#include "command_support.h"
#include "console.h"
#include "contestcheck/log_reading.h"
#include "contestcheck/rule_counts.h"
#include "engine/contest.h"
#include "io/atomic_file.h"
#include "io/files.h"
#include "logfile/log_file.h"
#include "progress.h"
#include "score_json.h"
#include "scoring/log_scoring.h"
#include "settings/ini_settings.h"

namespace torv::cli {

namespace contest = torv::engine::contest;
using torv::contestcheck::RuleCounts;
using torv::contestcheck::ruleCounts;
using torv::io::AtomicFile;
using torv::io::byteSizeText;
using torv::io::fileIdentity;
using torv::io::FileIdentity;
using torv::io::kLogFileLimit;
using torv::io::pathOf;
using torv::io::readWholeFile;
using torv::io::systemErrorText;
using torv::io::WholeFile;
using torv::io::writeFileAtomically;
using torv::logfile::formatName;
using torv::logfile::LogFile;
using torv::logfile::LogFileError;
using torv::logfile::LogProblem;
using torv::logfile::notShownMessage;
using torv::logfile::readLog;
using torv::scoring::FindingsTooLarge;
using torv::scoring::ScoredLog;
using torv::scoring::scoreLog;
using torv::scoring::ScoringSetup;
using torv::scoring::scoringSetupFor;

namespace {

struct ScoreOptions {
    std::string log;
    std::string call;
    std::string start;
    std::string end;
    std::string errors;
    std::string cabrillo;
    std::string settings;
    crosscheck::Period period;  // of start and end
    bool json = false;
    bool strict = false;
};

constexpr const char* kStandardOutput = "-";

// Standard output carries one thing: the JSON with --json, else the one
// output given as "-", else the summary. Two outputs on it, or one beside
// the JSON, could not be told apart.
void requireOneStandardOutput(const ScoreOptions& options) {
    const bool errors = options.errors == kStandardOutput;
    const bool cabrillo = options.cabrillo == kStandardOutput;
    if (errors && cabrillo) {
        throw CLI::ValidationError("--errors and --cabrillo cannot both go to standard output (-)");
    }
    if (options.json && (errors || cabrillo)) {
        throw CLI::ValidationError(std::string(errors ? "--errors" : "--cabrillo") +
                                   " cannot go to standard output (-) beside --json");
    }
}

// An output must never take the place of an input: files are compared as
// files, so a link or another spelling of the log's name is caught too.
void requireOutputsApartFromInputs(const ScoreOptions& options) {
    struct Named {
        const char* option;
        const std::string& path;
    };
    const Named outputs[] = {{"--errors", options.errors}, {"--cabrillo", options.cabrillo}};
    const Named inputs[] = {{"the log", options.log}, {"the --settings file", options.settings}};
    for (const Named& output : outputs) {
        if (output.path.empty() || output.path == kStandardOutput) {
            continue;
        }
        const std::optional<FileIdentity> written = fileIdentity(output.path);
        for (const Named& input : inputs) {
            if (written && !input.path.empty() && fileIdentity(input.path) == written) {
                throw CLI::ValidationError(std::string(output.option) + " " + output.path + " is " + input.option +
                                           ": an output never overwrites an input");
            }
        }
    }
    if (!options.errors.empty() && options.errors != kStandardOutput && !options.cabrillo.empty()) {
        const std::optional<FileIdentity> errors = fileIdentity(options.errors);
        if ((errors && errors == fileIdentity(options.cabrillo)) ||
            pathOf(options.errors).lexically_normal() == pathOf(options.cabrillo).lexically_normal()) {
            throw CLI::ValidationError("--errors and --cabrillo name the same file");
        }
    }
}

// Writes to standard output, or says it cannot.
void toStandardOutput(std::string_view bytes) {
    if (!writeAll(stdout, bytes)) {
        throw InputProblem(std::string("cannot write the standard output: ") + systemErrorText());
    }
}

// The operator's settings file, read once: a file that is no settings file
// is refused rather than read as an empty header.
std::string readSettings(const std::string& path) {
    constexpr uint64_t kSettingsLimit = 1 << 20;
    WholeFile file = readWholeFile(path, kSettingsLimit);
    if (!file.error.empty()) {
        throw InputProblem(file.error);
    }
    const std::string& bytes = file.bytes;
    const bool utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    for (size_t i = utf16 ? 2 : 0; i < bytes.size(); i += utf16 ? 2 : 1) {
        if (bytes[i] == '\0' && (!utf16 || (i + 1 < bytes.size() && bytes[i + 1] == '\0'))) {
            throw InputProblem(path + ": not a settings file (it holds NUL bytes)");
        }
    }
    if (!torv::settings::iniHasSettingsSection(bytes)) {
        throw InputProblem(path + ": not the plug-in's settings file (no [Settings] section)");
    }
    return std::move(file.bytes);
}

LogFile readScoredLog(const std::string& path) {
    const WholeFile file = readWholeFile(path, kLogFileLimit);
    if (!file.error.empty()) {
        throw InputProblem(file.error);
    }
    try {
        return readLog(file.bytes);
    } catch (const LogFileError& error) {
        throw InputProblem(path + ": " + error.what());
    }
}

void tellRuleCounts(const std::string& log, const RuleCounts& counts) {
    auto contacts = [](size_t n) { return std::to_string(n) + (n == 1 ? " contact" : " contacts"); };
    if (counts.outsidePeriod > 0) {
        tell(log + ": " + contacts(counts.outsidePeriod) +
             " outside the contest period: scored here, not counted by torv check");
    }
    if (counts.offContestBands > 0) {
        tell(log + ": " + contacts(counts.offContestBands) +
             " on no contest band (80, 40, 20, 15, 10 m): scored here, refused by torv check");
    }
}

// Tells the log's problems; false when --strict stops at a record that
// cannot be read.
bool tellProblems(const ScoreOptions& options, const LogFile& log) {
    bool stop = false;
    for (const LogProblem& problem : log.problems.shown) {
        tell(options.log + ": " + problemMessage(problem));
        stop = problem.kind == LogProblem::Kind::kSkipped && options.strict;
        if (stop) {
            break;
        }
    }
    if (!stop && log.problems.notShown > 0) {
        tell(options.log + ": " + notShownMessage(log.problems.notShown));
    }
    if (!log.unreadable.empty() && options.strict) {
        tell(options.log + ": stopped at the first record that cannot be read (--strict)");
        return false;
    }
    return true;
}

// Where the findings go as they come, never held: standard output, a file
// written whole or not at all (returned, to be committed), or nowhere.
std::unique_ptr<AtomicFile> routeFindings(const ScoreOptions& options, ScoringSetup& setup) {
    std::unique_ptr<AtomicFile> errorsFile;
    if (options.errors == kStandardOutput) {
        setup.writeFindings = [](std::string_view bytes) { toStandardOutput(withPlatformLineEnds(bytes)); };
    } else if (!options.errors.empty()) {
        errorsFile = std::make_unique<AtomicFile>(options.errors);
        if (!errorsFile->error().empty()) {
            throw InputProblem("cannot write " + options.errors + ": " + errorsFile->error());
        }
        AtomicFile* file = errorsFile.get();
        setup.writeFindings = [file, &options](std::string_view bytes) {
            if (!file->write(bytes)) {
                throw InputProblem("cannot write " + options.errors + ": " + file->error());
            }
        };
    }
    return errorsFile;
}

// The summary, or the JSON, on standard output; the summary goes to
// standard error when an output takes standard output.
void printResult(const ScoreOptions& options, const LogFile& log, const ScoredLog& scored, const RuleCounts& counts,
                 const std::string& contestantCall) {
    if (options.json) {
        const ScoreJsonInput input{options.log,
                                   formatName(log.format),
                                   log.contacts.size(),
                                   log.unreadable.size(),
                                   log.problems.warnings,
                                   counts,
                                   torv::contestcheck::otherContestOf(log).value_or(std::string())};
        toStandardOutput(withPlatformLineEnds(scoreJson(scored, input, contestantCall)));
        return;
    }
    const std::string summary = withPlatformLineEnds(scored.summary) + kLineEnd;
    if (options.errors == kStandardOutput || options.cabrillo == kStandardOutput) {
        std::fflush(stdout);
        writeAll(stderr, summary);
    } else {
        toStandardOutput(summary);
    }
}

// The Cabrillo file and the findings' file, each whole or not at all.
void writeOutputs(const ScoreOptions& options, const ScoredLog& scored, AtomicFile* errorsFile) {
    if (options.cabrillo == kStandardOutput) {
        toStandardOutput(scored.cabrillo);
    }
    if (std::fflush(stdout) != 0) {
        throw InputProblem(std::string("cannot write the standard output: ") + systemErrorText());
    }
    if (errorsFile != nullptr) {
        if (const std::string error = errorsFile->commit(); !error.empty()) {
            throw InputProblem("cannot write " + options.errors + ": " + error);
        }
    }
    if (!options.cabrillo.empty() && options.cabrillo != kStandardOutput) {
        if (const std::string error = writeFileAtomically(options.cabrillo, scored.cabrillo); !error.empty()) {
            throw InputProblem("cannot write " + options.cabrillo + ": " + error);
        }
    }
}

int runScore(const ScoreOptions& options) {
    const LogFile log = readScoredLog(options.log);
    std::optional<std::string> settings;
    if (!options.settings.empty()) {
        settings = readSettings(options.settings);
    }
    // Another contest's log is still scored, as asked, but not passed as this one's.
    const std::optional<std::string> otherContest = torv::contestcheck::otherContestOf(log);
    if (otherContest) {
        tell(options.log + ": names another contest, \"" + *otherContest + "\", not " + std::string(contest::kName) +
             "; scored by " + std::string(contest::kName) + "'s rules all the same");
    }
    if (!tellProblems(options, log)) {
        return 1;
    }
    ScoringSetup setup = scoringSetupFor(log, options.call, optionalDate(options.start), optionalDate(options.end));
    if (setup.contestantCall.empty()) {
        tell(options.log + ": warning: the log names no station (CALLSIGN, STATION_CALLSIGN or OPERATOR): give --call");
    }
    setup.exportCabrillo = !options.cabrillo.empty();
    setup.settings = std::move(settings);
    ProgressReport progress(standardErrorIsTerminal(), [](const std::string& text) { writeAll(stderr, text); });
    setup.progress = [&progress](size_t passed, size_t total) { progress.update(passed, total); };
    const std::unique_ptr<AtomicFile> errorsFile = routeFindings(options, setup);

    ScoredLog scored;
    try {
        scored = scoreLog(log.contacts, setup);
    } catch (const FindingsTooLarge& error) {
        progress.finish();
        throw InputProblem(options.log + ": the findings would pass " + byteSizeText(error.limit()) +
                           " (a contact repeated n times draws n(n-1)/2 DUPE lines); stopped");
    }
    progress.finish();
    const RuleCounts counts = ruleCounts(log.contacts, scored, options.period);
    tellRuleCounts(options.log, counts);
    printResult(options, log, scored, counts, setup.contestantCall);
    writeOutputs(options, scored, errorsFile.get());
    return log.unreadable.empty() && !otherContest ? 0 : 1;
}

}  // namespace

void addScoreCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ScoreOptions>();
    CLI::App* score = app.add_subcommand(
        "score", "Score one contest log (ADIF or Cabrillo) with the plug-in's rules and print the summary");
    score->add_option("LOG", options->log, "The log: ADIF or Cabrillo, recognised by its content")->required();
    score
        ->add_option("--call", options->call,
                     "The contestant (default: the Cabrillo CALLSIGN, or the ADIF STATION_CALLSIGN or OPERATOR "
                     "of the first record)")
        ->transform(CLI::Validator(trimmedCall, "CALL"));
    score
        ->add_option("--start", options->start,
                     "Contest start, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC; default: the "
                     "first contact's)")
        ->check(takesDate("--start"));
    score
        ->add_option("--end", options->end,
                     "Contest end (default: the last contact's); contacts outside the period are counted")
        ->check(takesDate("--end"));
    score->add_option("--errors", options->errors,
                      "Write the findings as the plug-in writes err.txt (- for standard output; the summary then "
                      "goes to standard error)");
    score->add_option("--cabrillo", options->cabrillo,
                      "Write the Cabrillo log as the plug-in writes it (- for standard output)");
    score->add_option("--settings", options->settings,
                      "The plug-in's settings file (" + std::string(contest::kSettingsFileName) +
                          ") whose header fields the Cabrillo log uses; read only");
    score->add_flag("--json", options->json, "Print a JSON result instead of the summary");
    score->add_flag("--strict", options->strict, "Stop at the first record that cannot be read");
    score->footer(exitCodesFooter({
        {"0", "everything read and written"},
        {"1",
         "input problems: a file that cannot be read or written, an empty log, a log over 512 MB, a settings "
         "file that is none, a skipped record, findings past 1 GB"},
        {"2",
         "usage: an unknown command or option, a bad value, an output in an input's place, two outputs on "
         "standard output"},
    }));
    score->callback([options, &exitCode] {
        options->period = contestPeriod(options->start, options->end);
        requireOneStandardOutput(*options);
        requireOutputsApartFromInputs(*options);
        exitCode = runCommand([&] { return runScore(*options); });
    });
}

}  // namespace torv::cli
