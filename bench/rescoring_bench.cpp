// How the cost of a full rescoring, a removal, the summary, a call check and
// the assistant's tick grows with the log.
// Figures and their reading: docs/performance.md.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/contest_engine.h"
#include "engine/error_file.h"
#include "plugin/module.h"
#include "settings/ini_settings.h"
#include "support/assistant_fakes.h"

using torv::abi::kDateTimeValid;
using torv::assistant::AssistantCore;
using torv::engine::ContactFields;
using torv::engine::ContestEngine;
using torv::engine::ErrorFile;
using torv::plugin::headlessPorts;

namespace {

// A log that looks like a contest: many distinct calls over six bands and
// two modes, some duplicates, some refused contacts, some exchanges that
// name no area, so every line of the error file occurs.
std::vector<ContactFields> makeLog(size_t size) {
    static const char* const kBands[] = {"80m", "40m", "20m", "15m", "10m", "30m"};
    static const char* const kExchanges[] = {"SP", "RJ", "mg", "YL", "QRP", "XX", "BA", "RS", "MIL"};
    std::vector<ContactFields> log;
    log.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        ContactFields c;
        c.ownCall = "PY2ZZ";
        c.call = "PY" + std::to_string(i % (size / 2 + 1));  // about one in two calls repeats
        c.qsoTime = {42259.0 + static_cast<double>(i) / 100000.0, kDateTimeValid};
        c.frequency = 7025000 + static_cast<uint32_t>(i % 1000) * 10;
        c.mode = i % 3 == 0 ? "SSB" : "CW";
        c.rstSent = "599";
        c.rstReceived = "599";
        c.exchangeSent = "SP";
        c.exchangeReceived = kExchanges[i % 9];
        c.prefix = "PY";
        c.band = kBands[i % 6];
        log.push_back(std::move(c));
    }
    return log;
}

std::string scratchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "stats-bench";
    std::filesystem::create_directories(folder / "Plugins");
    return folder.string();
}

std::string scratchErrorFile() {
    return scratchFolder() + "/err.txt";
}

// The module as libStats.so builds it, working in a scratch folder.
std::unique_ptr<CTestApp> makeApp() {
    return std::make_unique<CTestApp>(
        headlessPorts(std::make_unique<torv::settings::IniSettings>(scratchFolder() + "/Plugins/TORV.ini")),
        scratchFolder());
}

// The module after a rescoring that passed the whole log.
std::unique_ptr<CTestApp> makeAppWithLog(const std::vector<ContactFields>& log) {
    auto app = makeApp();
    app->resetStats(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
    for (const ContactFields& c : log) {
        app->addData(c);
    }
    return app;
}

// A rescoring: ResetStats0 (settings file included) and AddData0 per contact.
void BM_Rescoring(benchmark::State& state) {
    const auto log = makeLog(static_cast<size_t>(state.range(0)));
    auto appOwner = makeApp();
    CTestApp& app = *appOwner;
    for (auto _ : state) {
        app.resetStats(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
        for (const ContactFields& c : log) {
            benchmark::DoNotOptimize(app.addData(c));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Rescoring)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The floor of a rescoring: opening and closing the error file once per
// contact, as every contact passed must.
void BM_ErrorFileOpenClose(benchmark::State& state) {
    const std::string path = scratchErrorFile();
    for (auto _ : state) {
        ErrorFile truncate(path, ErrorFile::Mode::kTruncate);
        for (int64_t i = 0; i < state.range(0); ++i) {
            ErrorFile errors(path, ErrorFile::Mode::kAppend);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ErrorFileOpenClose)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CheckCall(benchmark::State& state) {
    const auto log = makeLog(static_cast<size_t>(state.range(0)));
    ContestEngine engine(scratchErrorFile());
    engine.resetStore(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
    for (const ContactFields& c : log) {
        engine.addData(c);
    }
    size_t i = 0;
    for (auto _ : state) {
        const ContactFields& c = log[i++ % log.size()];
        benchmark::DoNotOptimize(engine.checkCall(c.call + "X", c.mode, "PY", "SP", c.band));
    }
    state.SetItemsProcessed(state.iterations());
}
// GetResult0 on a whole log: the summary recomputed from scratch, the
// claimed score written to the settings file.
void BM_ScoreSummary(benchmark::State& state) {
    const auto log = makeLog(static_cast<size_t>(state.range(0)));
    auto app = makeAppWithLog(log);
    int status = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(app->result(&status));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScoreSummary)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// RemoveData0 on a log of N contacts: up to 1,000 removals (a tenth of the
// log when it is smaller) of contacts spread evenly over the log, each the
// first stored match of its call, band and mode. Between rounds the removed
// contacts are passed again (not timed), so the log keeps its size.
void BM_RemoveData(benchmark::State& state) {
    const auto log = makeLog(static_cast<size_t>(state.range(0)));
    auto app = makeAppWithLog(log);
    const size_t removals = std::min<size_t>(1000, log.size() / 10);
    std::vector<ContactFields> victims;
    for (size_t i = 0; i < removals; ++i) {
        victims.push_back(log[i * log.size() / removals]);
    }
    for (auto _ : state) {
        for (const ContactFields& c : victims) {
            benchmark::DoNotOptimize(app->removeData(c));
        }
        state.PauseTiming();
        for (const ContactFields& c : victims) {
            app->addData(c);
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(removals));
}
BENCHMARK(BM_RemoveData)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// One tick of the assistant for a call worked on several bands: the log
// search over the whole log under the store's lock, with a host that answers
// at once.
void BM_Tick(benchmark::State& state) {
    const auto log = makeLog(static_cast<size_t>(state.range(0)));
    auto app = makeAppWithLog(log);
    EventLog events = std::make_shared<std::vector<std::string>>();
    FakeAssistantWindow window(events);
    auto host = std::make_unique<FakeHost>(events);
    host->entryField = log[log.size() / 2].call;
    AssistantCore core(app->settings(), app->engine(), app->workedBefore(), window, std::move(host));
    core.initialise();
    for (auto _ : state) {
        core.tick();
        events->clear();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Tick)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_CheckCall)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
