// How long torv takes to read and score a log, by format and size.
// Figures and their reading: docs/performance.md.
#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include "logfile/log_file.h"
#include "scoring/log_scoring.h"

using torv::logfile::LogFile;
using torv::logfile::readLog;
using torv::scoring::ScoredLog;
using torv::scoring::scoreLog;
using torv::scoring::ScoringSetup;

namespace {

// A contest-like log of n contacts in the chosen format: distinct calls
// with some repeats, five contest bands and a refused one, CW and SSB,
// exchanges that draw area and duplicate lines.
std::string makeLogText(size_t n, bool cabrillo) {
    static const char* const kBands[][2] = {{"80m", "3.525"},  {"40m", "7.025"},  {"20m", "14.025"},
                                            {"15m", "21.025"}, {"10m", "28.025"}, {"30m", "10.120"}};
    static const char* const kExchanges[] = {"SP", "RJ", "mg", "YL", "QRP", "XX", "BA", "RS", "MIL"};
    std::string text = cabrillo ? "START-OF-LOG: 3.0\r\nCALLSIGN: PY2ZZ\r\n" : "synthetic\r\n<EOH>\r\n";
    for (size_t i = 0; i < n; ++i) {
        const std::string call = "PY" + std::to_string(i % (n / 2 + 1));
        const char* const* band = kBands[i % 6];
        const bool ssb = i % 3 == 0;
        const std::string exchange = kExchanges[i % 9];
        const int minute = static_cast<int>(i % 1440);
        char time[5];
        std::snprintf(time, sizeof time, "%02d%02d", minute / 60, minute % 60);
        if (cabrillo) {
            const std::string kHz = std::to_string(std::stoi(band[1]) * 1000 + static_cast<int>(i % 20));
            text += "QSO: " + kHz + (ssb ? " PH " : " CW ") + "2015-09-12 " + time + " PY2ZZ 599 SP " + call + " 599 " +
                    exchange + "\r\n";
        } else {
            auto field = [&text](const char* name, const std::string& value) {
                text += "<" + std::string(name) + ":" + std::to_string(value.size()) + ">" + value + " ";
            };
            field("CALL", call);
            field("QSO_DATE", "20150912");
            field("TIME_ON", time);
            field("BAND", band[0]);
            field("FREQ", band[1]);
            field("MODE", ssb ? "SSB" : "CW");
            field("RST_SENT", "599");
            field("RST_RCVD", "599");
            field("STX_STRING", "SP");
            field("SRX_STRING", exchange);
            field("STATION_CALLSIGN", "PY2ZZ");
            text += "<EOR>\r\n";
        }
    }
    return cabrillo ? text + "END-OF-LOG:\r\n" : text;
}

// What `torv score LOG` does between reading the file and printing: the
// reader, then the scoring pass with the findings only counted.
void readAndScore(benchmark::State& state, bool cabrillo) {
    const std::string text = makeLogText(static_cast<size_t>(state.range(0)), cabrillo);
    for (auto _ : state) {
        const LogFile log = readLog(text);
        ScoringSetup setup;
        setup.contestantCall = log.stationCall;
        const ScoredLog scored = scoreLog(log.contacts, setup);
        benchmark::DoNotOptimize(scored.summary.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_ReadAndScoreAdif(benchmark::State& state) {
    readAndScore(state, false);
}
BENCHMARK(BM_ReadAndScoreAdif)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_ReadAndScoreCabrillo(benchmark::State& state) {
    readAndScore(state, true);
}
BENCHMARK(BM_ReadAndScoreCabrillo)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The reader alone, to see its share.
void BM_ReadAdif(benchmark::State& state) {
    const std::string text = makeLogText(static_cast<size_t>(state.range(0)), false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(readLog(text).contacts.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadAdif)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
