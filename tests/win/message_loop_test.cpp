// The pumping wait against a flood, and the export's hold on the module.
//
// A wait must end at its deadline however many messages keep arriving. Each
// flood below goes on until the wait has returned or a watchdog stops it; a
// wait that outlived its flood only ended because the flood stopped.
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "win/export_call_win.h"
#include "win/message_loop_win.h"
#include "win/scoped_win.h"

namespace {

using torv::win::ExportCall;
using torv::win::holdPluginModuleDuringExport;
using torv::win::makeEvent;
using torv::win::pendingModuleReleases;
using torv::win::Pumping;
using torv::win::pumpUntil;
using torv::win::ScopedHandle;
using torv::win::waitPumping;

constexpr UINT kFloodMessage = WM_APP + 7;
constexpr DWORD kWaitMs = 300;
constexpr DWORD kWatchdogMs = 20000;  // far past any wait here: only a wait that never ends meets it

std::atomic<bool> flooding{false};

// Each posted flood message posts the next one while the flood goes on.
LRESULT CALLBACK floodWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFloodMessage) {
        if (wParam == 1 && flooding.load()) {
            PostMessageA(window, kFloodMessage, 1, 0);
        }
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeFloodWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = floodWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "StatsFloodTarget";
    RegisterClassA(&windowClass);
    return CreateWindowA("StatsFloodTarget", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

enum class Flood { kPosted, kSent };

struct FloodCase {
    const char* name;
    Flood flood;
    Pumping pumping;
};

void PrintTo(const FloodCase& row, std::ostream* out) {
    *out << row.name;
}

class FloodedWait : public ::testing::TestWithParam<FloodCase> {};

TEST_P(FloodedWait, EndsAtItsDeadlineWhileTheFloodGoesOn) {
    HWND window = makeFloodWindow();
    ASSERT_NE(window, nullptr);
    ScopedHandle never = makeEvent();
    flooding = true;
    std::vector<std::thread> senders;
    if (GetParam().flood == Flood::kPosted) {
        PostMessageA(window, kFloodMessage, 1, 0);
    } else {
        for (int i = 0; i < 4; ++i) {
            senders.emplace_back([window] {
                while (flooding.load()) {
                    DWORD_PTR ignored = 0;
                    SendMessageTimeoutA(window, kFloodMessage, 0, 0, SMTO_NORMAL, 100, &ignored);
                }
            });
        }
    }
    ScopedHandle waitReturned = makeEvent();
    std::thread watchdog([&waitReturned] {
        WaitForSingleObject(waitReturned.get(), kWatchdogMs);
        flooding = false;
    });

    const bool signalled = waitPumping(never.get(), kWaitMs, GetParam().pumping);
    const bool floodStillOn = flooding.load();
    SetEvent(waitReturned.get());
    watchdog.join();
    flooding = false;
    for (std::thread& sender : senders) {
        sender.join();
    }
    DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, kFloodMessage, kFloodMessage, PM_REMOVE)) {
    }

    EXPECT_FALSE(signalled);
    EXPECT_TRUE(floodStillOn) << "the wait ended only once the flood stopped";
}

INSTANTIATE_TEST_SUITE_P(Floods, FloodedWait,
                         ::testing::Values(FloodCase{"PostedToAPumpingWait", Flood::kPosted, Pumping::kAll},
                                           FloodCase{"SentToAPumpingWait", Flood::kSent, Pumping::kAll},
                                           FloodCase{"SentToAWaitForSentOnly", Flood::kSent, Pumping::kSentOnly}),
                         [](const ::testing::TestParamInfo<FloodCase>& row) { return std::string(row.param.name); });

bool releasesSettle() {
    return pumpUntil([] { return pendingModuleReleases() == 0; }, kWatchdogMs);
}

TEST(ExportCall, ALoopOutsideAnExportHoldsNothing) {
    ASSERT_TRUE(releasesSettle());
    holdPluginModuleDuringExport();
    { const ExportCall call; }
    EXPECT_EQ(pendingModuleReleases(), 0);
}

TEST(ExportCall, TheOutermostExportHandsItsReferenceOverAndThePoolReleasesIt) {
    ASSERT_TRUE(releasesSettle());
    {
        const ExportCall outer;
        {
            const ExportCall inner;  // a host handler calling another export
            holdPluginModuleDuringExport();
            holdPluginModuleDuringExport();  // one reference per outermost export
        }
        EXPECT_EQ(pendingModuleReleases(), 0) << "released by an inner export";
    }
    EXPECT_TRUE(releasesSettle());
}

TEST(ExportCall, NoReleaseWhileTheThreadIsBackInsideAnExport) {
    ASSERT_TRUE(releasesSettle());
    ScopedHandle inside = makeEvent();
    ScopedHandle leave = makeEvent();
    std::thread host([&] {
        {
            const ExportCall first;
            holdPluginModuleDuringExport();
        }
        // Straight into the next export, parked in a system wait: the
        // instruction pointer is outside the image, but an export is not.
        const ExportCall second;
        SetEvent(inside.get());
        WaitForSingleObject(leave.get(), kWatchdogMs);
    });
    ASSERT_EQ(WaitForSingleObject(inside.get(), kWatchdogMs), WAIT_OBJECT_0);
    pumpUntil([] { return pendingModuleReleases() == 0; }, kWaitMs);
    EXPECT_EQ(pendingModuleReleases(), 1) << "released while the thread was inside an export";
    SetEvent(leave.get());
    host.join();
    EXPECT_TRUE(releasesSettle());
}

}  // namespace
