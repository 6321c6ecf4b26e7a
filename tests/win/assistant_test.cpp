// The live assistant of the real Stats.dll, with this test's main thread in
// the host's part: it serves the host's automation object and calls the
// exports, and pumps its messages in every wait, as the host does.
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "hostsim/automation_server_win.h"
#include "hostsim/window_driver_win.h"
#include "infowin_resource.h"
#include "resource.h"
#include "support/files.h"
#include "support/scoring_pass.h"
#include "support/temp_folder.h"
#include "win/message_loop_win.h"
#include "win/plugin_library.h"
#include "win/scoped_win.h"

using pelksim::AutomationServer;
using pelksim::findProcessWindow;
using pelksim::HostAutomation;
using pelksim::kDialogClass;
using torv::win::pumpFor;
using torv::win::pumpMessages;
using torv::win::pumpUntil;
using torv::win::ScopedComApartment;
using torv::win::ScopedHandle;

namespace {

constexpr DWORD kBound = 10000;
const COLORREF kPaleYellow = RGB(255, 250, 198);
const COLORREF kTableYellow = RGB(255, 255, 198);
const COLORREF kStripe = RGB(198, 255, 255);

class LiveAssistant : public ::testing::Test {
protected:
    TempFolder folder{TempFolder::Enter::kYes};
    ScopedComApartment apartment;
    AutomationServer server{HostAutomation::create()};
    std::unique_ptr<PluginLibrary> library;
    ExportTable exports;

    void SetUp() override {
        ASSERT_TRUE(server.running()) << server.error();
        std::filesystem::create_directory("Plugins");
    }

    void TearDown() override {
        if (library) {
            exports.RunCommand0(0, "HIDEINFO");
        }
    }

    // Writes the settings file, then loads the plug-in.
    void load(const std::string& settings) {
        writeFile("Plugins/TORV.ini", "[Settings]\r\n" + settings);
        ASSERT_FALSE(mapped()) << "an earlier test left the library mapped: unloads() would mean nothing";
        library = std::make_unique<PluginLibrary>();
        ASSERT_NE(library->handle(), nullptr);
        exports = library->exports();
    }

    HWND window(const std::string& caption) {
        HWND found = nullptr;
        pumpUntil([&] { return (found = findProcessWindow(caption, kDialogClass)) != nullptr; }, kBound);
        return found;
    }

    bool commandArrived(const std::wstring& command) {
        return pumpUntil(
            [&] {
                for (const std::wstring& received : server.host().commands()) {
                    if (received == command) {
                        return true;
                    }
                }
                return false;
            },
            kBound);
    }

    std::string settingsFile() { return readFile("Plugins/TORV.ini"); }

    static bool mapped() { return GetModuleHandleA(STATS_DLL_NAME) != nullptr; }

    // Frees the library, as the host does, and waits until it has left the
    // process. False when it stays: a stop that gave up on the assistant
    // thread has pinned it, so that the thread returns into mapped code.
    bool unloads() {
        library.reset();
        return pumpUntil([] { return !mapped(); }, kBound);
    }

    // Waits until none of the assistant's three windows is left.
    static bool allThreeClosed() {
        return pumpUntil(
            [] {
                for (const char* caption : {"Setup TORV", "CALL", "Brazil Area"}) {
                    if (findProcessWindow(caption, kDialogClass) != nullptr) {
                        return false;
                    }
                }
                return true;
            },
            kBound);
    }

    // Waits, dispatching nothing, until a message (a marshalled automation
    // call) is queued for this thread; false when none came in time.
    static bool callQueued(DWORD timeoutMs) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            if (HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0) {
                return true;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) {
                return false;
            }
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_POSTMESSAGE | QS_SENDMESSAGE,
                                        0);
        }
    }
};

POINT topLeft(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

// A pixel of a window's client area as painted.
COLORREF pixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

TEST_F(LiveAssistant, ShowInfoOpensTheWindowWhereItWasWithTheStoredChoices) {
    load("setup_mode_bpsk125=1\r\n");
    EXPECT_STREQ(exports.RunCommand0(0, "SHOWINFO"), "");
    HWND setup = window("Setup TORV");
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(topLeft(setup).x, 10);
    EXPECT_EQ(topLeft(setup).y, 200);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_SSB), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_CW), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_CALL), BST_UNCHECKED);
    EXPECT_TRUE(commandArrived(L"<MODE:SSB>"));
    EXPECT_EQ(pixel(setup, 2, 2), kPaleYellow);

    // A second SHOWINFO while no area window is open changes nothing.
    exports.RunCommand0(0, "SHOWINFO");
    EXPECT_EQ(window("Setup TORV"), setup);
}

TEST_F(LiveAssistant, StoredViewsOpenOnTheFirstTickAtTheirPositions) {
    load(
        "area_x=300\r\narea_y=150\r\nsetup_view_call=1\r\nsetup_view_area=1\r\n"
        "dxcc_x=50\r\ndxcc_y=60\r\noblast_x=-40\r\noblast_y=70\r\n");
    exports.RunCommand0(0, "SHOWINFO");
    HWND setup = window("Setup TORV");
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(topLeft(setup).x, 300);
    EXPECT_EQ(topLeft(setup).y, 150);
    HWND call = window("CALL");
    HWND area = window("Brazil Area");
    ASSERT_NE(call, nullptr);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(topLeft(call).x, 50);
    EXPECT_EQ(topLeft(call).y, 60);
    EXPECT_EQ(topLeft(area).x, -40);
    EXPECT_EQ(topLeft(area).y, 70);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_CALL), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_AREA), BST_CHECKED);
}

TEST_F(LiveAssistant, TypingAWorkedCallFillsBothWindows) {
    load("setup_view_call=1\r\nsetup_view_area=1\r\n");
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());  // opens the assistant: "Start" was 0
    HostContact worked;                                       // PY1AA on 80 m CW, area RJ
    addData(exports, worked);
    worked.band = "40m";
    worked.frequency = 7025000;
    addData(exports, worked);
    HostContact other;
    other.call = "PY2BB";
    other.exchangeReceived = "SP";
    addData(exports, other);
    int status = 0;
    exports.GetResult0(&status);  // publishes the worked areas

    ASSERT_NE(window("Setup TORV"), nullptr) << "the rescoring opens the assistant";
    server.host().setEnteredCall(L"PY1AA");
    server.host().setFrequency(7025000);
    EXPECT_EQ(checkCall(exports, "PY1AA", "CW", "PY", "RJ", "40m"), 0);
    HWND call = window("TORV worked with PY1AA");
    ASSERT_NE(call, nullptr);
    HWND area = window("Area ");
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return IsDlgButtonChecked(area, IDC_OBLAST_RJ) == BST_CHECKED; }, kBound));
    EXPECT_EQ(IsDlgButtonChecked(area, IDC_OBLAST_SP), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(area, IDC_OBLAST_AC), BST_UNCHECKED);
    EXPECT_EQ(pixel(area, 2, 2), kPaleYellow);

    // The grid: the 40 m line (band index 2) lies on the stripe.
    HWND grid = GetDlgItem(call, IDC_DXCC_GRID);
    RECT rect{};
    GetClientRect(grid, &rect);
    const int pitch = rect.bottom / 7;
    EXPECT_TRUE(pumpUntil([&] { return pixel(grid, 2, 3 * pitch + 2) == kStripe; }, kBound));
    EXPECT_EQ(pixel(grid, 2, 1), kTableYellow);
    EXPECT_TRUE(commandArrived(L"<SP1>")) << "the first tick meets a new frequency";
}

TEST_F(LiveAssistant, ModeClicksSendTheModeAndStoreIt) {
    load("setup_mode_bpsk63=1\r\n");
    exports.RunCommand0(0, "SHOWINFO");
    HWND setup = window("Setup TORV");
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(commandArrived(L"<BAUDRATE:27>"));
    // Posted, never sent: the click's handler calls this thread back.
    PostMessageA(GetDlgItem(setup, IDC_SETUP_SSB), BM_CLICK, 0, 0);
    EXPECT_TRUE(commandArrived(L"<MODE:SSB>"));
    EXPECT_TRUE(pumpUntil([&] { return IsDlgButtonChecked(setup, IDC_SETUP_CW) == BST_UNCHECKED; }, kBound));
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_SSB), BST_CHECKED);
    const std::string stored = settingsFile();
    EXPECT_NE(stored.find("setup_mode_bpsk125=1\r\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("setup_mode_bpsk63=0\r\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Mode=1\r\n"), std::string::npos) << stored;
}

TEST_F(LiveAssistant, HideInfoClosesAllThreePromptly) {
    load("setup_view_call=1\r\nsetup_view_area=1\r\n");
    exports.RunCommand0(0, "SHOWINFO");
    ASSERT_NE(window("CALL"), nullptr);
    ASSERT_NE(window("Brazil Area"), nullptr);
    exports.RunCommand0(0, "HIDEINFO");
    EXPECT_EQ(findProcessWindow("Setup TORV", kDialogClass), nullptr);
    EXPECT_EQ(findProcessWindow("CALL", kDialogClass), nullptr);
    EXPECT_EQ(findProcessWindow("Brazil Area", kDialogClass), nullptr);
    // And it comes back with both windows.
    exports.RunCommand0(0, "SHOWINFO");
    EXPECT_NE(window("CALL"), nullptr);
    EXPECT_NE(window("Brazil Area"), nullptr);
    // The HIDEINFO found the thread parked within its bound: had it given
    // up, the library would stay.
    EXPECT_TRUE(unloads()) << "the HIDEINFO gave up on the assistant thread";
}

TEST_F(LiveAssistant, HideInfoWhileATickWaitsOnASlowHost) {
    load("setup_view_call=1\r\n");
    exports.RunCommand0(0, "SHOWINFO");
    ASSERT_NE(window("CALL"), nullptr);
    server.host().setAnswerDelay(500);
    const long answered = server.host().invocations();
    pumpMessages();
    checkCall(exports, "PY1AA", "CW", "PY", "RJ", "40m");
    // The tick fires and calls this thread, which does not pump: the call
    // waits in this thread's queue, as it would on a host busy elsewhere.
    // Looking at the queue marks it as seen, so only a wait that pumps
    // first, or wakes for input already queued, serves it.
    ASSERT_TRUE(callQueued(kBound));
    exports.RunCommand0(0, "HIDEINFO");
    EXPECT_GT(server.host().invocations(), answered) << "the waiting tick was served";
    EXPECT_EQ(findProcessWindow("Setup TORV", kDialogClass), nullptr);
    EXPECT_EQ(findProcessWindow("CALL", kDialogClass), nullptr);
    // The stop served the tick's call and the thread parked within the
    // stop's bound: a stop that ran out its bound gives up and pins the
    // library.
    EXPECT_TRUE(unloads()) << "the HIDEINFO gave up on the assistant thread";
}

TEST_F(LiveAssistant, UnloadingWithTheAssistantOpenReturnsPromptly) {
    load("setup_view_call=1\r\nsetup_view_area=1\r\n");
    exports.RunCommand0(0, "SHOWINFO");
    ASSERT_NE(window("CALL"), nullptr);
    ASSERT_NE(window("Brazil Area"), nullptr);
    const DWORD threadId = GetWindowThreadProcessId(findProcessWindow("Setup TORV", kDialogClass), nullptr);
    ASSERT_NE(threadId, 0u);
    // FreeLibrary: the unload waits for the thread within its own bound and
    // then ends it, so the library goes and the thread with it.
    EXPECT_TRUE(unloads());
    EXPECT_TRUE(allThreeClosed());
    ScopedHandle thread(OpenThread(SYNCHRONIZE, FALSE, threadId));
    // A thread already gone cannot be opened: it has ended.
    EXPECT_TRUE(!thread || WaitForSingleObject(thread.get(), kBound) == WAIT_OBJECT_0) << "the thread lives on";
}

TEST_F(LiveAssistant, RescoringsWithoutExportAlternate) {
    load("");
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    HWND first = window("Setup TORV");
    ASSERT_NE(first, nullptr) << "Start was 0: the assistant opens";
    PostMessageA(first, WM_CLOSE, 0, 0);  // the operator closes it
    ASSERT_TRUE(pumpUntil([] { return findProcessWindow("Setup TORV", kDialogClass) == nullptr; }, kBound));
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    pumpFor(500);
    EXPECT_EQ(findProcessWindow("Setup TORV", kDialogClass), nullptr) << "Start was 1: nothing opens";
    resetStats(exports, 0, "PY2ZZ", passStart(), passEnd());
    EXPECT_NE(window("Setup TORV"), nullptr);
}

}  // namespace
