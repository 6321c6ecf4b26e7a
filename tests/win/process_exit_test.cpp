// The host's process exits while the plug-in's assistant thread holds the
// assistant's lock (a Stats.dll with a seam that holds it for good): the
// system ends that thread and detaches the library, and nothing that runs
// then may take the lock or wait, or the process never ends.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "win/lock_seam.h"
#include "win/plugin_library.h"
#include "win/scoped_win.h"

namespace {

// A generous cap: the exit itself takes well under a second.
constexpr DWORD kExitCap = 60000;

TEST(ProcessExit, EndsWithTheHostsExitCodeWhileTheAssistantHoldsItsLock) {
    TempFolder folder;
    const std::string program = programFolder() + "StatsExitHost.exe";
    std::string commandLine = "\"" + program + "\" \"" + programFolder() + "stats_lock_seam.dll\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    ScopedHandle out(CreateFileA(folder.file("exit.out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                               folder.path().string().c_str(), &startup, &process))
        << "cannot start " << program << ": error " << GetLastError();
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    out.reset();

    const bool exited = WaitForSingleObject(processHandle.get(), kExitCap) == WAIT_OBJECT_0;
    if (!exited) {
        TerminateProcess(processHandle.get(), 99);
        WaitForSingleObject(processHandle.get(), 5000);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(processHandle.get(), &exitCode);
    const std::string output = readFile(folder.file("exit.out"));
    ASSERT_TRUE(exited) << "the process did not end within " << kExitCap << " ms:\n" << output;
    EXPECT_EQ(exitCode, static_cast<DWORD>(kLockSeamExitCode)) << output;
    EXPECT_EQ(output.rfind("the assistant thread holds its lock; exiting", 0), 0u) << output;
}

}  // namespace
