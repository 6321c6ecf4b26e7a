// The host's process exits while the plug-in's assistant thread holds the
// assistant's lock (a Stats.dll with a seam that holds it for good): the
// system ends that thread and detaches the library, and nothing that runs
// then may take the lock or wait, or the process never ends.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "win/lock_seam.h"
#include "win/program_run.h"

namespace {

// A generous cap: the exit itself takes well under a second.
constexpr DWORD kExitCap = 60000;

TEST(ProcessExit, EndsWithTheHostsExitCodeWhileTheAssistantHoldsItsLock) {
    TempFolder folder;
    const ProgramRun run =
        runProgram(programFolder() + "StatsExitHost.exe", {programFolder() + "stats_lock_seam.dll"}, folder, kExitCap);
    ASSERT_TRUE(run.finished) << "the process did not end within " << kExitCap << " ms:\n" << run.out << run.err;
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kLockSeamExitCode)) << run.out << run.err;
    EXPECT_TRUE(containsInOrder(run.out, {"the assistant thread holds its lock; exiting\r"}));
}

}  // namespace
