#include "score_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "command_support.h"
#include "console.h"
#include "log_scoring.h"
#include "logfile/log_file.h"
#include "progress.h"
#include "score_json.h"

namespace {

struct ScoreOptions {
    std::string log;
    std::string call;
    std::string start;
    std::string end;
    std::string errors;
    std::string cabrillo;
    std::string settings;
    bool json = false;
    bool strict = false;
};

// An input problem: the message is printed after "torv: " and the exit
// code is 1.
class InputProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void writeFile(const std::string& path, const std::string& bytes) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "wb"));
    if (!file || !writeAll(file.get(), bytes) || std::fflush(file.get()) != 0) {
        throw InputProblem("cannot write " + path + ": " + std::strerror(errno));
    }
}

void requireReadable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw InputProblem("cannot read " + path + ": " + std::strerror(errno));
    }
    std::fclose(file);
}

int runScore(const ScoreOptions& options) {
    const LogFile log = [&] {
        const std::string bytes = readLogBytes(options.log);
        try {
            return readLog(bytes);
        } catch (const LogFileError& error) {
            throw InputProblem(options.log + ": " + error.what());
        }
    }();
    if (!options.settings.empty()) {
        requireReadable(options.settings);
    }

    const size_t skipped = log.unreadable.size();
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
    if (skipped > 0 && options.strict) {
        tell(options.log + ": stopped at the first record that cannot be read (--strict)");
        return 1;
    }

    ScoringSetup setup = scoringSetupFor(log, options.call, optionalDate(options.start), optionalDate(options.end));
    if (setup.contestantCall.empty()) {
        tell(options.log + ": warning: the log names no station (CALLSIGN, STATION_CALLSIGN or OPERATOR): give --call");
    }
    setup.exportCabrillo = !options.cabrillo.empty();
    setup.settingsPath = options.settings;
    ProgressReport progress(standardErrorIsTerminal(), [](const std::string& text) { writeAll(stderr, text); });
    setup.progress = [&progress](size_t passed, size_t total) { progress.update(passed, total); };

    const ScoredLog scored = scoreLog(log.contacts, setup);
    progress.finish();

    std::string output;
    if (options.json) {
        const ScoreJsonInput input{options.log, formatName(log.format), log.contacts.size(), skipped,
                                   log.problems.warnings};
        output = withPlatformLineEnds(scoreJson(scored, input, setup.contestantCall));
    } else {
        output = withPlatformLineEnds(scored.summary) + kLineEnd;
    }
    if (options.errors == "-") {
        output += withPlatformLineEnds(scored.errorFile);
    }
    if (!writeAll(stdout, output) || std::fflush(stdout) != 0) {
        throw InputProblem(std::string("cannot write the standard output: ") + std::strerror(errno));
    }
    if (!options.errors.empty() && options.errors != "-") {
        writeFile(options.errors, scored.errorFile);
    }
    if (setup.exportCabrillo) {
        writeFile(options.cabrillo, scored.cabrillo);
    }
    return skipped == 0 ? 0 : 1;
}

}  // namespace

void addScoreCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ScoreOptions>();
    CLI::App* score = app.add_subcommand(
        "score", "Score one contest log (ADIF or Cabrillo) with the plug-in's rules and print the summary");
    const CLI::Validator date(checkDate, "DATE");
    score->add_option("LOG", options->log, "The log: ADIF or Cabrillo, recognised by its content")->required();
    score->add_option("--call", options->call,
                      "The contestant (default: the Cabrillo CALLSIGN, or the ADIF STATION_CALLSIGN or OPERATOR "
                      "of the first record)");
    score
        ->add_option("--start", options->start,
                     "Contest start, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC; default: the "
                     "first contact's)")
        ->check(date);
    score->add_option("--end", options->end, "Contest end (default: the last contact's)")->check(date);
    score->add_option("--errors", options->errors,
                      "Write the findings as the plug-in writes err.txt (- for standard output, after the summary)");
    score->add_option("--cabrillo", options->cabrillo, "Write the Cabrillo log as the plug-in writes it");
    score->add_option("--settings", options->settings,
                      "The plug-in's settings file (TORV.ini) whose header fields the Cabrillo log uses; read only");
    score->add_flag("--json", options->json, "Print a JSON result instead of the summary");
    score->add_flag("--strict", options->strict, "Stop at the first record that cannot be read");
    score->callback([options, &exitCode] {
        try {
            exitCode = runScore(*options);
        } catch (const std::exception& error) {
            tell(error.what());
            exitCode = 1;
        }
    });
}
