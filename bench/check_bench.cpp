// torv check from the logs' texts to the committee's files, on generated
// contests of growing size: reading, scoring every log with the engine (on
// all cores), the cross-check and every report. BM_TorvCheck keeps the
// files in memory, so its figures leave the disk out; BM_TorvCheckProgram
// runs the program itself on the contest written to a folder, as a
// committee does, with the largest resident set of the run, and
// BM_ReadContestFiles reads the same files once, the floor any check
// stands on. Figures: docs/performance.md.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "contest_sim.h"
#include "contestcheck/contest_check.h"
#include "contestcheck/output_plan.h"
#include "support/child_process.h"

namespace contestsim = torv::contestsim;

namespace {

using torv::contestcheck::check;
using torv::contestcheck::CheckOutcome;
using torv::contestcheck::CheckRequest;
using torv::contestcheck::loadLogFile;
using torv::contestcheck::LogLoader;
using torv::contestcheck::LogSource;
using torv::contestcheck::makeOutputs;
using torv::contestcheck::outputPlan;
using torv::contestcheck::PlannedFile;

struct Texts {
    std::vector<std::string> paths;
    std::map<std::string, std::string> files;
    size_t lines = 0;
};

// About `lines` QSO lines over about lines / 500 logs, made once per size.
const Texts& contestOf(int64_t lines) {
    static std::map<int64_t, Texts> made;
    auto found = made.find(lines);
    if (found != made.end()) {
        return found->second;
    }
    const contestsim::SimContest contest = contestsim::generateContest(contestsim::optionsForLines(lines));
    Texts texts;
    for (const contestsim::SimLog& log : contest.logs) {
        const std::string path = "logs/" + contestsim::fileName(log);
        texts.paths.push_back(path);
        texts.files[path] = contestsim::logText(log);
        texts.lines += log.qsos.size();
    }
    return made.emplace(lines, std::move(texts)).first->second;
}

void BM_TorvCheck(benchmark::State& state) {
    const Texts& texts = contestOf(state.range(0));
    const LogLoader load = [&texts](const std::string& path) { return LogSource{texts.files.at(path), 0}; };
    for (auto _ : state) {
        const CheckOutcome outcome = check({texts.paths, load, {}}, CheckRequest());
        makeOutputs(outputPlan(outcome.report, true), 0, [](const std::string&, const std::string& text) {
            benchmark::DoNotOptimize(text.data());
            return std::string();
        });
    }
    state.counters["logs"] = static_cast<double>(texts.paths.size());
    state.counters["lines"] = static_cast<double>(texts.lines);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.lines));
}
BENCHMARK(BM_TorvCheck)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The committee's files alone, from a contest already checked: qsos.csv,
// every UBN report in text and HTML, the results and the committee's page.
void BM_CheckFiles(benchmark::State& state) {
    const Texts& texts = contestOf(state.range(0));
    const LogLoader load = [&texts](const std::string& path) { return LogSource{texts.files.at(path), 0}; };
    const CheckOutcome outcome = check({texts.paths, load, {}}, CheckRequest());
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const PlannedFile& file : outputPlan(outcome.report, true)) {
            bytes += file.text().size();
        }
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.lines));
}
BENCHMARK(BM_CheckFiles)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The contest of BM_TorvCheck written to a folder of its own under the
// system's temporary folder, once per size; removed when the run ends.
class ContestFolders {
public:
    ~ContestFolders() {
        std::error_code ignored;
        for (const auto& [lines, folder] : folders_) {
            std::filesystem::remove_all(folder, ignored);
        }
    }
    const std::filesystem::path& of(int64_t lines) {
        auto found = folders_.find(lines);
        if (found != folders_.end()) {
            return found->second;
        }
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("torv-check-bench-" + std::to_string(getpid()) + "-" + std::to_string(lines));
        std::filesystem::create_directories(folder);
        for (const auto& [path, text] : contestOf(lines).files) {
            std::filesystem::create_directories((folder / path).parent_path());
            std::ofstream(folder / path, std::ios::binary) << text;
        }
        return folders_.emplace(lines, folder).first->second;
    }

private:
    std::map<int64_t, std::filesystem::path> folders_;
};
ContestFolders contestFolders;

struct ProgramRun {
    bool ok = false;
    double seconds = 0;
    long peakKilobytes = 0;
};

// Runs the program under GNU time with its output on /dev/null: wall time,
// and the largest resident set as time sees it. (A child forked from this
// process would count the benchmark's own memory, which holds the contest,
// until it executes the program; time's child starts small.)
ProgramRun runProgram(const std::vector<std::string>& program) {
    const std::filesystem::path figures =
        std::filesystem::temp_directory_path() / ("torv-check-bench-" + std::to_string(getpid()) + ".time");
    std::vector<std::string> words = {"/usr/bin/time", "-f", "%M", "-o", figures.string()};
    words.insert(words.end(), program.begin(), program.end());
    ProgramRun run;
    if (const ChildExit exit = runChild(words); exit.ran) {
        run.seconds = exit.seconds;
        run.ok = exit.exitCode == 0;
        std::ifstream(figures) >> run.peakKilobytes;
    }
    std::error_code ignored;
    std::filesystem::remove(figures, ignored);
    return run;
}

void BM_TorvCheckProgram(benchmark::State& state) {
    const std::filesystem::path& folder = contestFolders.of(state.range(0));
    long peak = 0;
    for (auto _ : state) {
        const ProgramRun run = runProgram(
            {TORV_PROGRAM, "check", (folder / "logs").string(), "--out", (folder / "checked").string(), "--json"});
        if (!run.ok) {
            state.SkipWithError("torv check failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakKilobytes);
    }
    const size_t lines = contestOf(state.range(0)).lines;
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["peak_B_per_line"] = static_cast<double>(peak) * 1024.0 / static_cast<double>(lines);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines));
}
BENCHMARK(BM_TorvCheckProgram)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_ReadContestFiles(benchmark::State& state) {
    const std::filesystem::path& folder = contestFolders.of(state.range(0));
    for (auto _ : state) {
        size_t bytes = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder / "logs")) {
            bytes += loadLogFile(entry.path().string()).bytes.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(contestOf(state.range(0)).lines));
}
BENCHMARK(BM_ReadContestFiles)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
