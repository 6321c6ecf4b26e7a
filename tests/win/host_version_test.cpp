// The host's version as the Cabrillo writer reads it: the first "*.exe" of
// the current folder whose name contains "Pelk", and its version resource.
#include <windows.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "hostsim/window_driver_win.h"
#include "reports/host_version.h"
#include "support/files.h"
#include "support/report_pass.h"
#include "support/temp_folder.h"
#include "win/plugin_library.h"

using pelksim::controlText;
using pelksim::HelperThread;
using pelksim::kDialogClass;
using pelksim::sleepingIdle;
using pelksim::waitForWindow;
using torv::reports::findHostVersion;

namespace {

void copyProbe(const char* probe, const std::filesystem::path& to) {
    std::filesystem::copy_file(programFolder() + probe, to);
}

// An export of an empty log: the header confirmed, the result asked for;
// returns what the "Output" box said.
std::string exportEmptyLog(const ExportTable& exports, int& status) {
    {
        HelperThread reset([&] { resetStats(exports, 1, "PY2ZZ", passStart(), passEnd()); });
        HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
        EXPECT_NE(dialog, nullptr);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(reset.waitFinished());
    }
    HelperThread result([&] { exports.GetResult0(&status); });
    HWND box = waitForWindow("Output", kDialogClass, kWindowBound, sleepingIdle);
    EXPECT_NE(box, nullptr);
    const std::string text = box != nullptr ? controlText(box, 0xFFFF, kWindowBound) : std::string();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(result.waitFinished());
    return text;
}

TEST(HostVersionFile, ReadsTheVersionResource) {
    struct Case {
        const char* probe;
        const char* name;
        std::optional<std::string> version;
    };
    const Case cases[] = {
        {"PelkProbe220.exe", "Pelk.exe", "2.20"},
        {"PelkProbe315.exe", "MyPelkHost.exe", "3.1.5"},
        {"PelkProbeUnversioned.exe", "Pelk.exe", std::nullopt},  // no resource: as if none were found
        {"PelkProbe220.exe", "pelk.exe", std::nullopt},          // the name is matched with its case
        {"PelkProbe220.exe", "Logger.exe", std::nullopt},
        {"PelkProbe220.exe", "Pelk.ex_", std::nullopt},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        copyProbe(c.probe, folder.path() / c.name);
        EXPECT_EQ(findHostVersion(folder.path().string()), c.version) << c.probe << " as " << c.name;
    }
    TempFolder empty;
    EXPECT_EQ(findHostVersion(empty.path().string()), std::nullopt);
}

TEST(HostVersionFile, TheExportNamesTheHostVersion) {
    PluginLibrary library;
    TempFolder folder(TempFolder::Enter::kYes);
    copyProbe("PelkProbe220.exe", folder.path() / "Pelk.exe");
    int status = 0;
    EXPECT_EQ(exportEmptyLog(library.exports(), status), "File produced: PY2ZZ.cbr");
    EXPECT_NE(readFile("PY2ZZ.cbr").find("\r\nCREATED-BY: Pelk 2.20\r\n"), std::string::npos);
}

TEST(HostVersionFile, AFileThatCannotBeWrittenIsSaidSoAndStillEndsTheExport) {
    PluginLibrary library;
    TempFolder folder(TempFolder::Enter::kYes);
    std::filesystem::create_directory("PY2ZZ.cbr");
    int status = 0;
    EXPECT_EQ(exportEmptyLog(library.exports(), status), "File could not be written: PY2ZZ.cbr");
    EXPECT_EQ(status, -1) << "the host relies on the status after an export";
}

}  // namespace
