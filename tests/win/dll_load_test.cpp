// Stats.dll under wine, loaded and called as the host does.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostsim/window_driver_win.h"
#include "stats_version.h"
#include "support/files.h"
#include "support/scoring_pass.h"
#include "support/temp_folder.h"
#include "win/plugin_library.h"

using pelksim::controlText;
using pelksim::HelperThread;
using pelksim::kDialogClass;
using pelksim::sleepingIdle;
using pelksim::waitForWindow;

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

TEST(DllLoad, SetupShowsItsMessageAndBlocksUntilClosed) {
    PluginLibrary library;
    const ExportTable exports = library.exports();
    HelperThread setup([&] { exports.SetupSet0(); });
    // No caption of its own: the system's default.
    HWND box = waitForWindow("Error", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_EQ(controlText(box, 0xFFFF, kWindowBound), "No additional setup for this contest");
    EXPECT_FALSE(setup.finished()) << "SetupSet0 returned while its box was open";
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(setup.waitFinished());
}

// The version the operator sees in the file's properties is the tree's.
TEST(DllLoad, CarriesTheVersionOfTheTree) {
    const std::string path = programFolder() + STATS_DLL_NAME;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource in " << path;
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(STATS_VERSION_MINOR, STATS_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, STATS_VERSION_PATCH)));
    char* text = nullptr;
    UINT textSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", reinterpret_cast<void**>(&text),
                               &textSize));
    EXPECT_STREQ(text, STATS_VERSION_TEXT);
    EXPECT_STREQ(text, "1.0.0") << "the first release";
}

}  // namespace
