// The cross-check's cost as contests grow: all rules over every QSO line of
// a generated contest, from parsed logs to verdicts. Figures and their
// reading: docs/performance.md.
#include <map>
#include <vector>

#include <benchmark/benchmark.h>

#include "contest_sim.h"
#include "crosscheck/crosscheck.h"

namespace contestsim = torv::contestsim;
namespace crosscheck = torv::crosscheck;

namespace {

// A contest of about `lines` QSO lines over about lines / 500 logs, made once per size.
const std::vector<crosscheck::SubmittedLog>& contestOf(int64_t lines) {
    static std::map<int64_t, std::vector<crosscheck::SubmittedLog>> made;
    auto found = made.find(lines);
    if (found != made.end()) {
        return found->second;
    }
    std::vector<crosscheck::SubmittedLog> logs =
        contestsim::submittedLogs(contestsim::generateContest(contestsim::optionsForLines(lines)));
    return made.emplace(lines, std::move(logs)).first->second;
}

void BM_CrossCheck(benchmark::State& state) {
    const std::vector<crosscheck::SubmittedLog>& logs = contestOf(state.range(0));
    size_t lines = 0;
    for (const crosscheck::SubmittedLog& log : logs) {
        lines += log.qsos.size();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(crosscheck::crossCheck(logs, crosscheck::CheckOptions()));
    }
    state.counters["logs"] = static_cast<double>(logs.size());
    state.counters["lines"] = static_cast<double>(lines);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines));
}
BENCHMARK(BM_CrossCheck)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
