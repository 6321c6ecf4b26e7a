// PelkSim.exe run as a separate process, as the demonstration and later
// tests run it: against the real Stats.dll, against wrong plug-ins, with bad
// logs and scripts, and as the automation server the plug-in's link reaches.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "assistant/host_connection.h"
#include "stats_version.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "win/program_run.h"
#include "win/scoped_win.h"

using torv::assistant::connectToHost;
using torv::ports::HostLink;
using torv::win::ScopedComApartment;

namespace {

TEST(PelkSim, EndToEndAgainstStatsDll) {
    TempFolder folder;  // the host's current folder; small.adi is found beside the script
    const SimulatorRun run = runSimulator({"--script", testDataPath("hostsim/end_to_end.pelk")}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(containsInOrder(run.out, {
                                             "loaded Stats.dll: 11 exports, each twin at the same address",
                                             "GetNumberOfSets = 1",
                                             "GetSetName(0) = \"TORV (C)\"",
                                             "GetExchgCount0 = 1",
                                             "ResetStats0 PY2ZZ export=0 = 1",
                                             "AddData0 #1 PY1AA 80m CW \"RJ\" = 1",
                                             "AddData0 #2 PY4BB 40m SSB \" mg \" = 1",
                                             "AddData0 #3 PY0TQ 20m CW \"ES\" = 1",
                                             "AddData0 #4 PY3CC 30m CW \"RS\" = 0",
                                             "AddData0 #5 PY5DD 20m RTTY \"PR\" = 0",
                                             "AddData0 #6 PY1AA 80m CW \"RJ\" = 1",
                                             "AddData0 #7 DL1ABC 15m CW \"DX\" = 1",
                                             "AddData0 #8 PU2YL 40m CW \"YL\" = 1",
                                             "replayed small.adi: 8 contacts, 6 accepted, 2 refused",
                                             "AddData0 PY6EE 40m CW = 1",
                                             "RemoveData0 PY6EE 40m CW = 1",
                                             "IsValidExchg0 \"SP\" = 1",
                                             "IsValidExchg0 \"599\" = 0",
                                             "frequency 3525000 Hz (80m)",
                                             "CheckCall0 P = 2",
                                             "CheckCall0 PY1 = 1",
                                             "CheckCall0 PY1AA = 0",
                                             "frequency 7025000 Hz (40m)",
                                             "CheckCall0 PY6XY = 1",
                                             "entry field \"\"",
                                             "RunCommand0 SHOWINFO = \"\"",
                                             "RunCommand0 HIDEINFO = \"\"",
                                             "commands: 0",
                                             "unloaded Stats.dll",
                                         }));
    EXPECT_NE(run.out.find("GetResult0 status="), std::string::npos);
    const std::string errors = readFile(folder.file("err.txt"));
    EXPECT_NE(errors.find("PY3CC"), std::string::npos) << "the plug-in wrote its error file in the host's folder";
}

TEST(PelkSim, ReplaysTheSampleLog) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"load Stats.dll", "reset PY2ZZ 2015-09-12T00:00 2015-09-13T23:59",
                                           "replay " + testDataPath("../examples/torv-sample.adi"), "result"},
                                          folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    std::smatch counts;
    ASSERT_TRUE(std::regex_search(
        run.out, counts, std::regex("replayed torv-sample.adi: 600 contacts, (\\d+) accepted, (\\d+) refused")))
        << run.out;
    EXPECT_GE(std::stoi(counts[2]), 14) << "refused bands and modes at least";
    const std::string errors = readFile(folder.file("err.txt"));
    for (const char* finding : {"NO CONTEST BAND", "NO TEST MODE", "DUPE"}) {
        EXPECT_NE(errors.find(finding), std::string::npos) << finding;
    }
}

// The summary PelkSim printed after "GetResult0 status=...:", with the
// line ends as printed.
std::string printedSummary(const std::string& out, size_t from = 0) {
    const size_t start = out.find("GetResult0 status=", from);
    const size_t text = out.find('\n', start);
    const size_t score = out.find("Score: ", text);
    if (start == std::string::npos || text == std::string::npos || score == std::string::npos) {
        return {};
    }
    return out.substr(text + 1, out.find('\n', score) - text - 1);
}

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The whole sample contest through Stats.dll: the same files as the module
// object's native pass, a removal that recomputes no marks, and a second
// pass that scores alike.
TEST(PelkSim, TheSampleContestGivesTheGoldenFiles) {
    TempFolder folder;
    const std::string removal =
        "remove CALL=ZZ7XQ QSO_DATE=20150912 TIME_ON=153244 BAND=20m FREQ=14.019300 MODE=CW RST_SENT=599 "
        "RST_RCVD=599 STX_STRING=SP SRX_STRING=CE DXCC=108 STATION_CALLSIGN=PY2ZZ";
    const SimulatorRun run = runSimulator(
        {"load Stats.dll", "expect-dialog TORV ok", "reset export PY2ZZ 2015-09-12T00:00 2015-09-13T23:59",
         "replay " + testDataPath("../examples/torv-sample.adi"), "close-message Output", "result", removal,
         // The export flag stays until the next rescoring: the box comes again.
         "close-message Output", "result", "reset PY2ZZ 2015-09-12T00:00 2015-09-13T23:59",
         "replay " + testDataPath("../examples/torv-sample.adi"), "result"},
        folder);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0u) << run.err << run.out;
    EXPECT_TRUE(matchesGolden(readFile(folder.file("PY2ZZ.cbr")), "golden/sample_after_removal.cbr"));
    EXPECT_TRUE(matchesGolden(readFile(folder.file("err.txt")), "golden/sample.err.txt"));

    const size_t second = run.out.find("GetResult0", run.out.find("GetResult0") + 1);
    const size_t third = run.out.find("GetResult0", second + 1);
    EXPECT_EQ(printedSummary(run.out), withoutCarriageReturns(readFile(testDataPath("golden/sample.summary.txt"))));
    EXPECT_EQ(printedSummary(run.out, second),
              withoutCarriageReturns(readFile(testDataPath("golden/sample_after_removal.summary.txt"))));
    EXPECT_EQ(printedSummary(run.out, third), printedSummary(run.out));
    EXPECT_NE(run.out.find("GetResult0 status=-1:"), std::string::npos) << "the export sets the status";
}

TEST(PelkSim, TheDemonstrationRuns) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"--script", testDataPath("../examples/demo.pelk")}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("replayed torv-sample.adi: 600 contacts"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("CheckCall0 PY1HYU = 0"), std::string::npos) << "a duplicate on 40 m CW";
}

TEST(PelkSim, AMissingExportIsNamed) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"load hostsim_missing_export.dll"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "error: argument 1: load: hostsim_missing_export.dll is not a usable plug-in: no export named "
              "SetupSet0, ?SetupSet0@@YAXXZ\n");
}

TEST(PelkSim, ATwinAtAnotherAddressIsNamed) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"load hostsim_wrong_twin.dll"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err,
              "error: argument 1: load: hostsim_wrong_twin.dll is not a usable plug-in: twins at another address: "
              "?GetResult0@@YAPBDPAH@Z (not the function GetResult0)\n");
}

TEST(PelkSim, AFileThatCannotBeLoadedIsNamed) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"load no_such_plugin.dll"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err.rfind("error: argument 1: load: cannot load no_such_plugin.dll: error 126", 0), 0u) << run.err;
}

TEST(PelkSim, ABadLogPassesNoContactAtAll) {
    TempFolder folder;
    const std::string good160 =
        "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>1200<FREQ:5>1.825<MODE:2>CW<SRX_STRING:2>RJ<EOR>\r\n";
    const std::string good30 =
        "<CALL:5>PY2BB<QSO_DATE:8>20150912<TIME_ON:4>1201<FREQ:6>10.116<MODE:2>CW<SRX_STRING:2>SP<EOR>\r\n";
    const std::string bad = "<CALL:5>PY3CC<QSO_DATE:8>20150912<TIME_ON:4>1202<FREQ:5>7,025<MODE:2>CW<EOR>\r\n";
    writeFile(folder.file("bad.adi"), good160 + good30 + bad);
    const SimulatorRun run =
        runSimulator({"load Stats.dll", "reset PY2ZZ 2015-09-12 2015-09-13T23:59", "replay bad.adi"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err,
              "error: argument 3: replay: bad.adi: line 3, record 3: FREQ \"7,025\" is not a frequency in MHz; no "
              "contact was passed\n");
    const std::string errors = readFile(folder.file("err.txt"));
    EXPECT_FALSE(errors.empty()) << "the reset ran";
    EXPECT_EQ(errors.find("PY1AA"), std::string::npos) << "the refused 160 m contact was never passed";
}

TEST(PelkSim, AScriptMistakeStopsItBeforeAnythingRuns) {
    TempFolder folder;
    writeFile(folder.file("mistake.pelk"), "load Stats.dll\r\nreset PY2ZZ 2015-09-12 2015-09-13\r\nrezult\r\n");
    const SimulatorRun run = runSimulator({"--script", "mistake.pelk"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("error: mistake.pelk: line 3: unknown step \"rezult\"", 0), 0u) << run.err;
    EXPECT_FALSE(fileExists(folder.file("err.txt"))) << "nothing ran";
}

TEST(PelkSim, StepsThatNeedThePlugInSaySo) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"echo first", "result", "echo never"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "first\n") << "the run stops at the failed step";
    EXPECT_EQ(run.err, "error: argument 2: result: no plug-in is loaded (load PATH first)\n");
}

TEST(PelkSim, ClosesTheMessageBoxOfTheSetup) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"load Stats.dll", "close-message Error", "setup"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_TRUE(containsInOrder(
        run.out, {"SetupSet0 returned", "message \"Error\" closed: No additional setup for this contest"}));
}

TEST(PelkSim, AnArmedAnswerThatFindsNoWindowFailsInTime) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"timeout 500", "expect-dialog Nowhere ok 1001=PY2ZZ", "echo step"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "step\n");
    EXPECT_EQ(run.err, "error: argument 2: expect-dialog \"Nowhere\": no dialog \"Nowhere\" appeared within 500 ms\n");
    EXPECT_LT(run.milliseconds, 20000u);
}

TEST(PelkSim, AWaitForAWindowEndsAtTheTimeout) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"--timeout", "300", "wait-window Nowhere"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err, "error: argument 3: wait-window: no window \"Nowhere\" appeared within 300 ms\n");
}

TEST(PelkSim, AStepThatNeverReturnsEndsTheRunWithAClearError) {
    TempFolder folder;
    const SimulatorRun run =
        runSimulator({"--timeout", "300", "load hostsim_blocking.dll", "setup", "echo never"}, folder);
    ASSERT_TRUE(run.finished) << "the watchdog did not end the run";
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(containsInOrder(run.out, {"loaded hostsim_blocking.dll: 11 exports, each twin at the same address"}));
    EXPECT_EQ(run.out.find("never"), std::string::npos);
    EXPECT_EQ(run.err,
              "error: argument 4: setup did not return within 5600 ms: the host's thread is blocked; ending the run\n");
    CLSID clsid{};
    EXPECT_TRUE(FAILED(CLSIDFromProgID(L"Pelk2.Application", &clsid))) << "the registration was removed at the end";
}

// The plug-in's side of the link (connectToHost, in this process) against
// PelkSim's automation object in another process.
TEST(PelkSim, ServesTheAutomationObject) {
    TempFolder folder;
    const std::string call =
        "PY2\xC7"
        "B";  // a C cedilla in the ANSI code page
    struct Readings {
        std::atomic<bool> linked{false};
        bool frequencyRead = false, callRead = false, sent = false;
        double hertz = 0;
        std::string enteredCall;
    } readings;
    std::atomic<bool> stop{false};
    std::thread plugInSide([&] {
        ScopedComApartment apartment;
        std::unique_ptr<HostLink> link;
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!link && !stop && GetTickCount64() < deadline) {
            link = connectToHost();
            if (!link) {
                Sleep(100);
            }
        }
        // The steps set the frequency, then the call: once the call is there,
        // both are.
        while (link && !stop && GetTickCount64() < deadline && readings.enteredCall != call) {
            readings.callRead = link->enteredCall(readings.enteredCall);
            Sleep(20);
        }
        if (link) {
            readings.linked = true;
            readings.frequencyRead = link->frequency(readings.hertz);
            readings.sent = link->sendCommand("<MODE:SSB>") && link->sendCommand("<SP1>");
        }
        link.reset();
    });
    const SimulatorRun run = runSimulator(
        {"--timeout", "30000", "retune 7025000", "entry " + call, "wait-command <SP1>", "commands"}, folder);
    stop = true;
    plugInSide.join();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    ASSERT_TRUE(readings.linked);
    EXPECT_TRUE(readings.frequencyRead);
    EXPECT_EQ(readings.hertz, 7025000.0);
    EXPECT_TRUE(readings.callRead);
    EXPECT_EQ(readings.enteredCall, call);
    EXPECT_TRUE(readings.sent);
    EXPECT_TRUE(containsInOrder(run.out, {"frequency 7025000 Hz (40m)", "entry field \"" + call + "\"",
                                          "command \"<SP1>\" received", "commands: 2", "  <MODE:SSB>", "  <SP1>"}));
}

TEST(PelkSim, CarriesTheHostsVersion) {
    const std::string program = programFolder() + "PelkSim.exe";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length));
    EXPECT_EQ(info->dwFileVersionMS, MAKELONG(20, 2));
    EXPECT_EQ(info->dwFileVersionLS, MAKELONG(1, 0));
}

TEST(PelkSim, HelpListsEveryStep) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"--help"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    for (const char* usage : {"load PATH", "replay FILE.adi [verbose]", "type CALL [PACE_MS [AREA]]",
                              "expect-dialog CAPTION ok|cancel [ID=TEXT...]", "wait-command TEXT"}) {
        EXPECT_NE(run.out.find(usage), std::string::npos) << usage;
    }
}

TEST(PelkSim, PrintsTheVersionOfTheTree) {
    TempFolder folder;
    const SimulatorRun run = runSimulator({"--version"}, folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, std::string("PelkSim ") + STATS_VERSION_TEXT + "\n");
}

}  // namespace
