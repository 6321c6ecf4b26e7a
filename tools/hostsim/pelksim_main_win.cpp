// PelkSim.exe: the host simulator. Serves the host's automation object,
// loads the plug-in, and runs steps given in a script file and on the
// command line, on its main thread, as the host would.
//
//   PelkSim.exe [--timeout MS] [--no-host] [--mta-host] [--script FILE] [STEP ...]
//   PelkSim.exe --version   (the version of the tree it was built from)
//
// Exit code: 0 when every step succeeded, 1 when one failed (the run stops
// there), 2 for a usage or script error (nothing runs), 3 when a step did not
// return in time (the host's thread was blocked).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hostsim/script.h"
#include "hostsim/simulator_win.h"
#include "stats_version.h"
#include "win/scoped_win.h"

using torv::win::ScopedComApartment;

namespace pelksim {

namespace {

constexpr int kExitStepFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: PelkSim.exe [--timeout MS] [--no-host] [--mta-host] [--script FILE] [STEP ...]\n"
    "       PelkSim.exe --version | --help\n"
    "\n"
    "Plays the logging program's part for the Stats plug-in: serves its automation\n"
    "object \"Pelk2.Application\", loads the plug-in, and runs the steps of FILE, then\n"
    "each STEP argument (one step per argument, e.g. \"load Stats.dll\"), calling the\n"
    "plug-in from this program's main thread and pumping its messages meanwhile.\n"
    "\n"
    "  --timeout MS   bound of every wait (10000); the \"timeout\" step changes it\n"
    "  --no-host      do not serve the automation object (a host that is not running)\n"
    "  --mta-host     the host's thread is in the multithreaded apartment: the automation\n"
    "                 object answers on the system's threads, whatever the host's thread does\n"
    "  --script FILE  steps, one per line; '#' starts a comment; quotes group blanks\n"
    "\n"
    "Steps:\n";

struct CommandLine {
    SimulatorOptions options;
    std::vector<Step> steps;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "error: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

// The steps of a script file, each knowing the file's folder. Returns -1,
// else the exit code of a usage error.
int readScript(const std::string& scriptPath, CommandLine& commandLine) {
    std::ifstream file(scriptPath, std::ios::binary);
    if (!file) {
        return usageError("cannot read the script " + scriptPath);
    }
    try {
        commandLine.steps =
            parseScript(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    } catch (const ScriptError& error) {
        return usageError(scriptPath + ": " + error.what());
    }
    const size_t slash = scriptPath.find_last_of("\\/");
    for (Step& step : commandLine.steps) {
        step.folder = slash == std::string::npos ? std::string() : scriptPath.substr(0, slash);
    }
    return -1;
}

// One step given as an argument (argument i). Returns -1, else the exit
// code of a usage error.
int readStepArgument(const std::string& argument, int i, std::vector<Step>& steps) {
    try {
        Step step = parseStepLine(argument, i);
        step.commandLine = true;
        if (!step.name.empty()) {
            steps.push_back(std::move(step));
        }
    } catch (const ScriptError& error) {
        return usageError("argument " + std::to_string(i) + ": " + error.problem());
    }
    return -1;
}

// Reads the options and every step, so that a script with a mistake stops
// before anything runs. Returns -1 when the run may go on, else the exit code.
int readCommandLine(int argc, char** argv, CommandLine& commandLine) {
    std::vector<Step> fromArguments;
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            std::printf("%s%s", kUsage, stepReference().c_str());
            return 0;
        }
        if (argument == "--version") {
            std::printf("PelkSim %s\n", STATS_VERSION_TEXT);
            return 0;
        }
        int exitCode = -1;
        if (argument == "--no-host") {
            commandLine.options.serveHost = false;
        } else if (argument == "--mta-host") {
            commandLine.options.multithreadedHost = true;
        } else if (argument == "--timeout" || argument == "--script") {
            if (i + 1 >= argc) {
                return usageError(argument + " needs a value");
            }
            const std::string value = argv[++i];
            if (argument == "--script") {
                scriptPath = value;
            } else if (uint32_t ms = 0; parseUnsigned(value, ms)) {
                commandLine.options.timeout = ms;
            } else {
                return usageError("--timeout \"" + value + "\" is not a number of milliseconds");
            }
        } else if (argument.rfind("--", 0) == 0) {
            return usageError("unknown option " + argument);
        } else {
            exitCode = readStepArgument(argument, i, fromArguments);
        }
        if (exitCode != -1) {
            return exitCode;
        }
    }
    if (!scriptPath.empty()) {
        if (const int exitCode = readScript(scriptPath, commandLine); exitCode != -1) {
            return exitCode;
        }
    }
    commandLine.steps.insert(commandLine.steps.end(), fromArguments.begin(), fromArguments.end());
    if (commandLine.steps.empty()) {
        return usageError("no step to run");
    }
    return -1;
}

int runSteps(const CommandLine& commandLine) {
    // The host's main thread is a single-threaded apartment, unless asked otherwise.
    ScopedComApartment apartment(commandLine.options.multithreadedHost ? COINIT_MULTITHREADED
                                                                       : COINIT_APARTMENTTHREADED);
    if (FAILED(apartment.result())) {
        std::fprintf(stderr, "error: CoInitialize failed: %s\n", hresultText(apartment.result()).c_str());
        return kExitStepFailed;
    }
    Simulator simulator(commandLine.options);
    if (!simulator.startupError().empty()) {
        std::fprintf(stderr, "error: %s\n", simulator.startupError().c_str());
        return kExitStepFailed;
    }
    bool ok = true;
    for (const Step& step : commandLine.steps) {
        if (!simulator.run(step)) {
            ok = false;
            break;
        }
    }
    ok = simulator.finish() && ok;
    simulator.leavePluginToProcessExit();
    return ok ? 0 : kExitStepFailed;
}

}  // namespace

}  // namespace pelksim

int main(int argc, char** argv) {
    // Lines end in "\n" on both streams, whatever reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        pelksim::CommandLine commandLine;
        const int early = pelksim::readCommandLine(argc, argv, commandLine);
        if (early >= 0) {
            return early;
        }
        return pelksim::runSteps(commandLine);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        return pelksim::kExitStepFailed;
    }
}
