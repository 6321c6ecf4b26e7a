// torv check from the logs' texts to the committee's files, on generated
// contests of growing size: reading, scoring every log with the engine (on
// all cores), the cross-check and every report. Files stay in memory, so
// the figures leave the disk out. Figures: docs/performance.md.
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "contest_sim.h"
#include "log_check.h"

namespace {

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
        const CheckOutcome outcome = checkLogs(texts.paths, CheckRequest(), load);
        makeCheckFiles(checkFiles(outcome.report, true), 0, [](const std::string&, const std::string& text) {
            benchmark::DoNotOptimize(text.data());
            return std::string();
        });
    }
    state.counters["logs"] = static_cast<double>(texts.paths.size());
    state.counters["lines"] = static_cast<double>(texts.lines);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.lines));
}
BENCHMARK(BM_TorvCheck)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
