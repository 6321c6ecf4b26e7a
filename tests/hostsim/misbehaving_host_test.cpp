// Stats.dll in PelkSim playing a host that misbehaves around an unload: its
// automation object answers slower than the assistant's stop waits, served
// from the host's multithreaded apartment or from its single-threaded one;
// it quits, posts itself messages, and calls the exports from a message
// another thread sends while FreeLibrary runs. Whatever it does, the process
// lives on: every run ends with an automation round trip and "alive", and
// the exit code says no step failed.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "win/program_run.h"

namespace {

// Slower than the assistant's stop waits (5 s) and its unload (2 s).
const std::string kSlow = "delay 6000";
const std::string kRescoring = "reset PY2ZZ 2015-09-12T00:00 2015-09-13T23:59";  // opens the assistant

// A host folder whose settings open both info windows with the assistant.
struct HostFolder {
    TempFolder folder;
    HostFolder() {
        std::filesystem::create_directory(folder.path() / "Plugins");
        writeFile(folder.file("Plugins/TORV.ini"), "[Settings]\r\nsetup_view_call=1\r\nsetup_view_area=1\r\n");
    }
};

// The steps every run ends with: the library is gone, so is the window, and
// the automation object still answers.
std::vector<std::string> withEnd(std::vector<std::string> steps) {
    for (const char* step : {"mapped Stats.dll", "wait-closed \"Setup TORV\"", "delay 0", "round-trip", "echo alive"}) {
        steps.push_back(step);
    }
    return steps;
}

const std::vector<std::string> kEndLines = {"Stats.dll is not mapped", "window \"Setup TORV\" is closed",
                                            "round trip: frequency 14025000 Hz", "alive"};

::testing::AssertionResult livedOn(const SimulatorRun& run, std::vector<std::string> expected) {
    expected.insert(expected.end(), kEndLines.begin(), kEndLines.end());
    if (!run.finished) {
        return ::testing::AssertionFailure() << "PelkSim did not end:\n" << run.out << run.err;
    }
    if (run.exitCode != 0) {
        return ::testing::AssertionFailure() << "exit code " << run.exitCode << ":\n" << run.out << run.err;
    }
    return containsInOrder(run.out, expected);
}

TEST(MisbehavingHost, MultithreadedHostUnloadsWhileASlowPropertyIsInFlight) {
    HostFolder host;
    const SimulatorRun run = runSimulator(
        withEnd({"--mta-host", "load Stats.dll", kSlow + " frequency", kRescoring, "wait-window \"Brazil Area\"",
                 "wait-call frequency began", "send-during-unload", "unload", "wait-call frequency answered"}),
        host.folder);
    EXPECT_TRUE(livedOn(run, {"call of frequency began", "unloaded Stats.dll",
                              "sent during FreeLibrary: RunCommand0 SHOWINFO = \"\", CheckCall0 = 2, AddData0 = 0, "
                              "GetResult0 = \"\"",
                              "call of frequency answered"}));
}

TEST(MisbehavingHost, SingleThreadedHostUnloadsWithASlowCallQueued) {
    HostFolder host;
    // The rescoring returns once the assistant's window is up; its first
    // tick, which opens both info windows, comes later. Its first call is
    // served; its next one, slow, waits in the host's queue when the host
    // unloads the library. (Nothing else may pump meanwhile, or the host
    // would serve that call before it unloads.)
    const SimulatorRun run =
        runSimulator(withEnd({"load Stats.dll", kSlow + " frequency", kSlow + " command", kRescoring,
                              "wait-call field answered", "wait-queued", "unload", "wait-call frequency answered"}),
                     host.folder);
    EXPECT_TRUE(livedOn(run, {"call of field answered", "an automation call waits in the host's queue",
                              "unloaded Stats.dll", "call of frequency answered"}));
}

TEST(MisbehavingHost, QuitThenUnloadWithTheAssistantOpen) {
    HostFolder host;
    const SimulatorRun run = runSimulator(
        withEnd({"load Stats.dll", "command SHOWINFO", "wait-window \"Brazil Area\"", "quit 7", "unload", "wait-quit"}),
        host.folder);
    EXPECT_TRUE(livedOn(run, {"PostQuitMessage(7)", "unloaded Stats.dll", "WM_QUIT 7 reached the host's loop"}));
}

TEST(MisbehavingHost, AMessagePostedBeforeTheUnloadWaitsForItsEnd) {
    HostFolder host;
    // SHOWINFO with the area window open replaces the assistant: run inside
    // FreeLibrary, it would start a thread in a library about to go.
    const SimulatorRun run = runSimulator(withEnd({"load Stats.dll", "command SHOWINFO", "wait-window \"Brazil Area\"",
                                                   "post SHOWINFO", "unload", "wait 200"}),
                                          host.folder);
    EXPECT_TRUE(livedOn(run, {"posted RunCommand0 SHOWINFO", "unloaded Stats.dll",
                              "posted RunCommand0 SHOWINFO dispatched with no plug-in loaded: not called"}));
    EXPECT_EQ(run.out.find("inside FreeLibrary"), std::string::npos) << run.out;
}

TEST(MisbehavingHost, AHideThatGivesUpKeepsTheLibraryAndTheWindowClosesWhenTheHostAnswers) {
    HostFolder host;
    const SimulatorRun run =
        runSimulator({"--mta-host", "load Stats.dll", "delay 8000 frequency", kRescoring, "wait-window \"Brazil Area\"",
                      "wait-call frequency began", "command HIDEINFO", "command SHOWINFO", "wait-window \"Setup TORV\"",
                      // The pinned library never goes: the unload's wait for it is cut short.
                      "timeout 3000", "unload", "timeout 10000", "mapped Stats.dll", "wait-call frequency answered",
                      "wait-closed \"Setup TORV\"", "round-trip", "echo alive"},
                     host.folder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    // The stop gave up (the call outlasts it), SHOWINFO waits for the old
    // thread, and the unload leaves the library where the thread needs it.
    EXPECT_TRUE(containsInOrder(run.out, {"RunCommand0 HIDEINFO = \"\"", "RunCommand0 SHOWINFO = \"\"",
                                          "window \"Setup TORV\" is open", "unloaded Stats.dll", "Stats.dll is mapped",
                                          "call of frequency answered", "window \"Setup TORV\" is closed", "alive"}));
}

// A host that closes from a message handler: the handler calls FreeLibrary
// while one of the plug-in's exports dispatches messages (a pumping stop
// wait, the header dialog, a message box). The export returns to a live
// host, the library goes only once the host's thread has left it, and no
// code of the plug-in runs after that.
struct UnloadInsideExport {
    const char* name;
    std::vector<std::string> steps;
    std::vector<std::string> expected;
};

void PrintTo(const UnloadInsideExport& row, std::ostream* out) {
    *out << row.name;
}

class UnloadedInsideAnExport : public ::testing::TestWithParam<UnloadInsideExport> {};

TEST_P(UnloadedInsideAnExport, TheHostLivesAndTheLibraryGoesOnceLeft) {
    HostFolder host;
    std::vector<std::string> steps = GetParam().steps;
    std::vector<std::string> expected = GetParam().expected;
    for (const char* step : {"wait-closed \"Setup TORV\"", "delay 0", "round-trip", "echo alive"}) {
        steps.push_back(step);
    }
    for (const char* line : {"window \"Setup TORV\" is closed", "round trip: frequency 14025000 Hz", "alive"}) {
        expected.push_back(line);
    }
    const SimulatorRun run = runSimulator(steps, host.folder);
    ASSERT_TRUE(run.finished) << run.out << run.err;
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_TRUE(containsInOrder(run.out, expected));
}

const std::string kFreed = "posted FreeLibrary of Stats.dll dispatched: the handler returned";

INSTANTIATE_TEST_SUITE_P(
    Exports, UnloadedInsideAnExport,
    ::testing::Values(
        // The stop gives up on the tick, held 8 s in the host: the library is
        // pinned for the thread that will return into it, and stays.
        UnloadInsideExport{
            "HideWhileTheTickIsInASlowHostCall",
            {"--mta-host", "load Stats.dll", "delay 8000 frequency", kRescoring, "wait-window \"Brazil Area\"",
             "wait-call frequency began", "post-unload", "command HIDEINFO", "mapped Stats.dll",
             "wait-call frequency answered"},
            {"posted FreeLibrary", kFreed, "RunCommand0 HIDEINFO returned to a host that freed the plug-in inside it",
             "Stats.dll is mapped", "call of frequency answered"}},
        UnloadInsideExport{"HideWithTheAssistantAnswering",
                           {"load Stats.dll", kRescoring, "wait-window \"Setup TORV\"", "post-unload",
                            "command HIDEINFO", "wait-unmapped Stats.dll"},
                           {kFreed, "RunCommand0 HIDEINFO returned to a host that freed the plug-in inside it",
                            "Stats.dll is not mapped"}},
        UnloadInsideExport{"HeaderDialogOfAnExportingRescoring",
                           {"load Stats.dll", "post-unload", "expect-dialog TORV ok",
                            "reset export PY2ZZ 2015-09-12T00:00 2015-09-13T23:59", "wait-unmapped Stats.dll"},
                           {kFreed, "ResetStats0 returned to a host that freed the plug-in inside it",
                            "dialog \"TORV\": ok", "Stats.dll is not mapped"}},
        UnloadInsideExport{
            "SetupMessageBox",
            {"load Stats.dll", "post-unload", "close-message Error", "setup", "wait-unmapped Stats.dll"},
            {kFreed, "SetupSet0 returned to a host that freed the plug-in inside it",
             "message \"Error\" closed: No additional setup for this contest", "Stats.dll is not mapped"}},
        // The last reference goes on the pool's thread, whose detach closes
        // the open assistant.
        UnloadInsideExport{
            "SetupMessageBoxWithTheAssistantOpen",
            {"load Stats.dll", kRescoring, "wait-window \"Setup TORV\"", "post-unload", "close-message Error", "setup",
             "wait-unmapped Stats.dll"},
            {kFreed, "SetupSet0 returned to a host that freed the plug-in inside it", "Stats.dll is not mapped"}}),
    [](const ::testing::TestParamInfo<UnloadInsideExport>& row) { return std::string(row.param.name); });

TEST(MisbehavingHost, TheUnloadWaitEndsAtItsBoundWhileMessagesKeepComing) {
    HostFolder host;
    // The tick is held in the host longer than the unload's bound, so the
    // wait under the loader's lock runs to its deadline while another thread
    // keeps sending the host's thread messages; it must not wait for the
    // sending to stop.
    const SimulatorRun run = runSimulator(
        withEnd({"--mta-host", "load Stats.dll", kSlow + " frequency", kRescoring, "wait-window \"Brazil Area\"",
                 "wait-call frequency began", "flood-during-unload", "unload", "wait-call frequency answered"}),
        host.folder);
    EXPECT_TRUE(
        livedOn(run, {"call of frequency began", "unloaded Stats.dll",
                      "FreeLibrary returned while other threads kept sending messages", "call of frequency answered"}));
}

}  // namespace
