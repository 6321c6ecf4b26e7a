// The export pass through Stats.dll under wine: the real header dialog,
// answered through its controls, the real "Output" message box, the real
// profile functions; the files must equal the native pass's golden files.
#include <windows.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "hostsim/window_driver_win.h"
#include "resource.h"
#include "support/files.h"
#include "support/report_pass.h"
#include "support/temp_folder.h"
#include "win/message_loop_win.h"
#include "win/plugin_library.h"

using pelksim::comboItems;
using pelksim::controlText;
using pelksim::findProcessWindow;
using pelksim::HelperThread;
using pelksim::kDialogClass;
using pelksim::sleepingIdle;
using pelksim::waitForWindow;
using torv::abi::kHostTextLimit;
using torv::win::pumpUntil;

namespace {

class DllReportPass : public ::testing::Test {
protected:
    PluginLibrary library;
    ExportTable exports = library.exports();
    TempFolder folder{TempFolder::Enter::kYes};

    void SetUp() override {
        std::filesystem::create_directory("Plugins");
        writeFile("Plugins/TORV.ini", kReportPassInitialSettings);
    }

    // Starts the pass; the returned call is blocked in the header dialog.
    std::unique_ptr<HelperThread> startPass() {
        return std::make_unique<HelperThread>(
            [this] { EXPECT_EQ(runScoringPass(exports, 1, kReportPassCall), expectedScoringPassResults()); });
    }

    // Asks for the result, closes the "Output" box, returns the summary.
    std::string result() {
        std::string summary;
        int status = 5;
        HelperThread call([&] { summary = exports.GetResult0(&status); });
        HWND box = waitForWindow("Output", kDialogClass, kWindowBound, sleepingIdle);
        EXPECT_NE(box, nullptr) << "no Output message box";
        if (box != nullptr) {
            EXPECT_EQ(controlText(box, 0xFFFF, kWindowBound), std::string("File produced: ") + kReportPassCabrilloFile);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_TRUE(call.waitFinished());
        EXPECT_EQ(status, -1);
        return summary;
    }
};

TEST_F(DllReportPass, DialogShowsTheStoredHeader) {
    auto pass = startPass();
    HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(dialog, nullptr) << "the header dialog did not open";
    EXPECT_FALSE(pass->finished()) << "the rescoring must wait for the dialog";
    const std::pair<int, const char*> expected[] = {
        {IDC_CONTEST, "TORV"},
        {IDC_CALLSIGN, "PY2ZZ/P"},
        {IDC_CLAIMED, "77"},
        {IDC_CATEGORY_OPERATOR, "SINGLE-OP A"},
        {IDC_LOCATION, "SP"},
        {IDC_CATEGORY_BAND, "ALL"},
        {IDC_CATEGORY_TRANSMITTER, "ONE"},
        {IDC_NAME, "Ana Souza"},
        {IDC_ADDRESS, "Rua das Flores 10"},
        {IDC_ADDRESS_CITY, "Campinas"},
        {IDC_ADDRESS_POSTALCODE, "13010-000"},
        {IDC_ADDRESS_COUNTRY, "Brazil"},
        {IDC_OPERATORS, "PY2ZZ<CR><LF>PY2XX"},
        {IDC_CLUB, "Clube de Radio"},
        {IDC_SOAPBOX, "Bom concurso\r\n73"},
        {IDC_EMAIL, "py2zz@example.org"},
    };
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(visible(controlText(dialog, id, kWindowBound)), visible(text)) << "control " << id;
    }
    EXPECT_EQ(comboItems(dialog, IDC_CATEGORY_OPERATOR, kWindowBound),
              std::vector<std::string>({"SINGLE-OP A", "SINGLE-OP B", "SINGLE-OP C", "YL", "GROUPS",
                                        "MILITARY STATION OM", "MILITARY STATION SINGLE ", "QRP", "CHECKLOG"}));
    EXPECT_EQ(comboItems(dialog, IDC_CATEGORY_BAND, kWindowBound),
              std::vector<std::string>({"ALL", "80M", "40M", "20M", "15M", "10M"}));
    EXPECT_EQ(comboItems(dialog, IDC_CATEGORY_TRANSMITTER, kWindowBound),
              std::vector<std::string>({"ONE", "TWO", "UNLIMITED"}));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(pass->waitFinished());
}

TEST_F(DllReportPass, ConfirmedUnchanged) {
    auto pass = startPass();
    HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(pass->waitFinished());
    EXPECT_TRUE(matchesGolden(result(), "golden/report_pass.summary.txt"));
    EXPECT_TRUE(matchesGolden(readFile("Plugins/TORV.ini"), "golden/report_pass.TORV.ini"));
    EXPECT_TRUE(matchesGolden(readFile(kReportPassCabrilloFile), "golden/report_pass.cbr"));
    EXPECT_TRUE(matchesGolden(readFile("err.txt"), "golden/scoring_pass.err.txt"));
}

TEST_F(DllReportPass, EditedThroughTheControls) {
    auto pass = startPass();
    HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(dialog, nullptr);
    for (const HeaderEdit& edit : reportPassEdits()) {
        SetDlgItemTextA(dialog, edit.controlId, edit.text);
    }
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(pass->waitFinished());
    EXPECT_TRUE(matchesGolden(result(), "golden/report_pass.summary.txt"));
    EXPECT_TRUE(matchesGolden(readFile("Plugins/TORV.ini"), "golden/report_pass_edited.TORV.ini"));
    EXPECT_TRUE(matchesGolden(readFile(kReportPassCabrilloFile), "golden/report_pass_edited.cbr"));
}

// Cancel means "do not export": the results of the pass return at once,
// with no "Output" box, no file and the status left alone.
TEST_F(DllReportPass, CancelledExportsNothing) {
    auto pass = startPass();
    HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, IDC_NAME, "not stored");
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(pass->waitFinished());
    for (int round = 0; round < 2; ++round) {
        std::string summary;
        int status = 5;
        HelperThread call([&] { summary = exports.GetResult0(&status); });
        if (!call.waitFinished(5000)) {
            if (HWND box = findProcessWindow("Output", kDialogClass)) {
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            ASSERT_TRUE(call.waitFinished()) << "GetResult0 did not return";
            FAIL() << "GetResult0 waited on a window after Cancel";
        }
        EXPECT_TRUE(matchesGolden(summary, "golden/report_pass.summary.txt"));
        EXPECT_EQ(status, 5);
    }
    EXPECT_FALSE(std::filesystem::exists(kReportPassCabrilloFile));
    EXPECT_TRUE(matchesGolden(readFile("Plugins/TORV.ini"), "golden/report_pass_cancelled.TORV.ini"));
}

// Waits until a control shows the text.
bool waitForText(HWND dialog, int id, const std::string& text) {
    return pumpUntil([&] { return controlText(dialog, id, kWindowBound) == text; }, kWindowBound);
}

// The keyboard in the two multi-line fields: Return in OPERATORS presses OK;
// in SOAPBOX it starts a new line. Keys are posted, so they pass through the
// dialog's own message loop as typed keys do.
TEST_F(DllReportPass, ReturnKeyInTheMultiLineFields) {
    auto pass = startPass();
    HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(dialog, nullptr);
    HWND soapbox = GetDlgItem(dialog, IDC_SOAPBOX);
    SendMessageA(soapbox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a"));
    SendMessageA(soapbox, EM_SETSEL, 1, 1);
    PostMessageA(soapbox, WM_KEYDOWN, VK_RETURN, 0x001C0001);  // the loop's translation types the line break
    EXPECT_TRUE(waitForText(dialog, IDC_SOAPBOX, "a\r\n")) << visible(controlText(dialog, IDC_SOAPBOX, kWindowBound));
    PostMessageA(soapbox, WM_CHAR, 'b', 0x00300001);
    EXPECT_TRUE(waitForText(dialog, IDC_SOAPBOX, "a\r\nb")) << visible(controlText(dialog, IDC_SOAPBOX, kWindowBound));
    EXPECT_FALSE(pass->finished());

    HWND operators = GetDlgItem(dialog, IDC_OPERATORS);
    PostMessageA(operators, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    if (!pass->waitFinished(5000)) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        FAIL() << "Return in OPERATORS did not press OK";
    }
    result();
    EXPECT_NE(readFile("Plugins/TORV.ini").find("SoapBox=a<CR><LF>b\r\n"), std::string::npos);
    EXPECT_NE(readFile("Plugins/TORV.ini").find("Operators=PY2ZZ<CR><LF>PY2XX\r\n"), std::string::npos);
}

// A contestant's call of 1 MB, with each export flag the host passes: the
// header dialog opens with the call cut to the exports' bound, the header's
// profile reads (the call is the default of "Operators") survive it, and
// the pass scores and writes its file.
class DllHugeCall : public ::testing::TestWithParam<int> {};

TEST_P(DllHugeCall, TheDialogShowsTheCutCallAndThePassCompletes) {
    PluginLibrary library;
    const ExportTable exports = library.exports();
    TempFolder folder(TempFolder::Enter::kYes);
    std::filesystem::create_directory("Plugins");
    const std::string call = "PY2ZZ" + std::string(1 << 20, 'Q');
    const std::string cut = call.substr(0, kHostTextLimit);
    HelperThread pass([&] { EXPECT_EQ(runScoringPass(exports, GetParam(), call), expectedScoringPassResults()); });
    HWND dialog = waitForWindow("TORV", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(dialog, nullptr) << "the header dialog did not open";
    EXPECT_EQ(controlText(dialog, IDC_CALLSIGN, kWindowBound), cut);
    EXPECT_EQ(controlText(dialog, IDC_OPERATORS, kWindowBound), cut);
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(pass.waitFinished());

    int status = 5;
    HelperThread result([&] { exports.GetResult0(&status); });
    HWND box = waitForWindow("Output", kDialogClass, kWindowBound, sleepingIdle);
    ASSERT_NE(box, nullptr) << "no Output message box";
    EXPECT_EQ(controlText(box, 0xFFFF, kWindowBound), "File produced: " + cut + ".cbr");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(result.waitFinished());
    EXPECT_EQ(status, -1);
    EXPECT_NE(readFile(cut + ".cbr").find("CALLSIGN: " + cut + "\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(ExportFlags, DllHugeCall, ::testing::Values(1, 7));

}  // namespace
