// Stats.dll under wine, loaded and called as the host does.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/scoring_pass.h"
#include "support/temp_folder.h"
#include "win/plugin_library.h"

namespace {

const char* const kPlainNames[] = {
#define STATS_PLAIN_NAME(result, plain, twin, params) #plain,
    STATS_EXPORTS(STATS_PLAIN_NAME)
#undef STATS_PLAIN_NAME
};

TEST(DllLoad, EveryExportResolvesUnderBothNamesToTheSameFunction) {
    PluginLibrary library;
    ASSERT_NE(library.handle(), nullptr) << "LoadLibrary failed: " << GetLastError();
    for (const char* name : kPlainNames) {
        EXPECT_NE(library.address(name), nullptr) << name;
    }
    const auto twins = definedTwins();
    ASSERT_EQ(twins.size(), 11u);
    for (const auto& [plain, twin] : twins) {
        const FARPROC plainAddress = library.address(plain);
        ASSERT_NE(plainAddress, nullptr) << plain;
        EXPECT_EQ(library.address(twin), plainAddress) << twin;
    }
}

TEST(DllLoad, TheExampleTwinIsThere) {
    PluginLibrary library;
    EXPECT_EQ(library.address("?GetResult0@@YAPBDPAH@Z"), library.address("GetResult0"));
    EXPECT_EQ(library.address("?CheckCallFunc0@@YAHPBDII00000000000HHHNN0000000PAD1@Z"), library.address("CheckCall0"));
    EXPECT_EQ(library.address("_GetResult0"), nullptr) << "no leading underscore";
}

TEST(DllLoad, ScoringPassWritesTheSameErrorFileAsNatively) {
    PluginLibrary library;
    const ExportTable exports = library.exports();
    TempFolder folder(TempFolder::Enter::kYes);
    EXPECT_EQ(runScoringPass(exports), expectedScoringPassResults());
    EXPECT_TRUE(matchesGolden(readFile("err.txt"), "golden/scoring_pass.err.txt"));
}

TEST(DllLoad, FixedAnswers) {
    PluginLibrary library;
    const ExportTable exports = library.exports();
    EXPECT_EQ(exports.GetNumberOfSets(), 1);
    EXPECT_EQ(exports.GetExchgCount0(nullptr, "", ""), 1);
    EXPECT_STREQ(exports.GetSetName(0), "TORV (C)");
    EXPECT_STREQ(exports.GetSetName(-1), "");
    EXPECT_EQ(exports.IsValidExchg0("UF", "", "", "", 0, 0, 0), 1);
    EXPECT_STREQ(exports.RunCommand0(0, "SHOWINFO"), "");
    EXPECT_STREQ(exports.RunCommand0(0, "HIDEINFO"), "");
}

struct MessageBoxSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK matchMessageBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<MessageBoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process != GetCurrentProcessId() || std::string(className) != "#32770") {
        return TRUE;
    }
    char text[128] = {};
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // the message box's text control
    if (std::string(text) == search->text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Finds a top-level message box of this process showing the given text.
HWND findMessageBox(const char* text) {
    MessageBoxSearch search{text, nullptr};
    EnumWindows(matchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(DllLoad, SetupShowsItsMessageAndBlocksUntilClosed) {
    PluginLibrary library;
    const ExportTable exports = library.exports();
    std::atomic<bool> returned{false};
    std::thread host([&] {
        exports.SetupSet0();
        returned = true;
    });
    HWND box = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (box == nullptr && std::chrono::steady_clock::now() < deadline) {
        box = findMessageBox("No additional setup for this contest");
        Sleep(20);
    }
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_FALSE(returned.load()) << "SetupSet0 returned while its box was open";
    char caption[64] = {};
    GetWindowTextA(box, caption, sizeof caption);
    EXPECT_STREQ(caption, "Error") << "no caption of its own: the system's default";
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 1000 && !returned; ++i) {
        Sleep(10);
    }
    EXPECT_TRUE(returned.load());
    if (returned) {
        host.join();
    } else {
        host.detach();  // the assertion above already failed; do not hang the run
    }
}

}  // namespace
