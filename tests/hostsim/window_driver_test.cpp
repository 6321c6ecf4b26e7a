// The simulator's window driver against a dialog of this test, run on a
// thread of its own as the plug-in's windows are: found by caption, filled
// in, clicked, read, photographed, closed.
#include "hostsim/window_driver_win.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "win/message_loop_win.h"

using pelksim::checkState;
using pelksim::clickControl;
using pelksim::controlText;
using pelksim::findProcessWindow;
using pelksim::HelperThread;
using pelksim::postButtonCommand;
using pelksim::saveWindowBitmap;
using pelksim::setControl;
using pelksim::waitForNoWindow;
using pelksim::waitForWindow;
using torv::win::pumpFor;
using torv::win::waitPumping;

namespace {

constexpr int kCallEdit = 101;
constexpr int kBandList = 102;
constexpr int kSendBox = 103;
constexpr int kLabel = 104;
constexpr DWORD kBound = 5000;
const char kCaption[] = "Window driver test";

// A dialog template in memory: DLGTEMPLATE, then one DLGITEMTEMPLATE per
// control, each on a DWORD boundary, classes given by their atoms.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* caption, short width, short height) {
        addDword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT);
        addDword(0);
        countAt_ = words_.size();
        words_.push_back(0);
        addRect(0, 0, width, height);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        addText(caption);
        words_.push_back(8);
        addText(L"MS Shell Dlg");
    }

    void add(WORD atom, int id, DWORD style, const wchar_t* text, short x, short y, short width, short height) {
        if (words_.size() % 2 != 0) {
            words_.push_back(0);
        }
        addDword(WS_CHILD | WS_VISIBLE | style);
        addDword(0);
        addRect(x, y, width, height);
        words_.push_back(static_cast<WORD>(id));
        words_.push_back(0xFFFF);
        words_.push_back(atom);
        addText(text);
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void addDword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void addRect(short x, short y, short width, short height) {
        for (short value : {x, y, width, height}) {
            words_.push_back(static_cast<WORD>(value));
        }
    }
    void addText(const wchar_t* text) {
        for (; *text != 0; ++text) {
            words_.push_back(static_cast<WORD>(*text));
        }
        words_.push_back(0);
    }

    std::vector<WORD> words_;  // WORD-aligned storage; DWORD alignment kept by hand
    size_t countAt_ = 0;
};

// What the dialog read from its controls when OK was pressed.
struct DialogResult {
    std::atomic<int> button{0};
    std::string call;
    std::string band;
    bool send = false;
    std::atomic<int> bandChanges{0};
};

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* result = reinterpret_cast<DialogResult*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            HWND list = GetDlgItem(dialog, kBandList);
            for (const char* band : {"80m", "40m", "20m"}) {
                SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(band));
            }
            SendMessageA(list, CB_SETCURSEL, 0, 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kBandList && HIWORD(wParam) == CBN_SELCHANGE) {
                ++result->bandChanges;
            }
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                char text[64] = {};
                GetDlgItemTextA(dialog, kCallEdit, text, sizeof text);
                result->call = text;
                GetDlgItemTextA(dialog, kBandList, text, sizeof text);
                result->band = text;
                result->send = IsDlgButtonChecked(dialog, kSendBox) == BST_CHECKED;
                result->button = LOWORD(wParam);
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
    }
    return FALSE;
}

class WindowDriver : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring caption(kCaption, kCaption + sizeof kCaption - 1);
        dialogTemplate_ = std::make_unique<DialogTemplate>(caption.c_str(), 200, 100);
        dialogTemplate_->add(0x0081, kCallEdit, WS_BORDER | ES_AUTOHSCROLL, L"", 10, 10, 80, 14);
        dialogTemplate_->add(0x0085, kBandList, CBS_DROPDOWNLIST | WS_VSCROLL, L"", 100, 10, 80, 60);
        dialogTemplate_->add(0x0080, kSendBox, BS_AUTOCHECKBOX, L"Send", 10, 30, 80, 12);
        dialogTemplate_->add(0x0082, kLabel, SS_LEFT, L"Label", 100, 30, 80, 12);
        dialogTemplate_->add(0x0080, IDOK, BS_DEFPUSHBUTTON, L"OK", 40, 70, 50, 14);
        dialogTemplate_->add(0x0080, IDCANCEL, BS_PUSHBUTTON, L"Cancel", 110, 70, 50, 14);
        // The modal dialog on a thread of its own, like the plug-in's windows.
        dialogThread_ = std::make_unique<HelperThread>([this] {
            DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate_->get(), nullptr, dialogProcedure,
                                    reinterpret_cast<LPARAM>(&result_));
        });
        dialog_ = waitForWindow(kCaption, "#32770", kBound, pumpFor);
        ASSERT_NE(dialog_, nullptr) << "the test dialog did not open";
    }

    void TearDown() override {
        if (dialog_ != nullptr && IsWindow(dialog_)) {
            postButtonCommand(dialog_, IDCANCEL);
        }
        EXPECT_TRUE(waitPumping(dialogThread_->finishedEvent(), kBound));
    }

    std::unique_ptr<DialogTemplate> dialogTemplate_;
    DialogResult result_;
    std::unique_ptr<HelperThread> dialogThread_;
    HWND dialog_ = nullptr;
};

TEST_F(WindowDriver, FindsOnlyVisibleWindowsOfThisProcessByExactCaption) {
    EXPECT_EQ(findProcessWindow(kCaption), dialog_);
    EXPECT_EQ(findProcessWindow(kCaption, "#32770"), dialog_);
    EXPECT_EQ(findProcessWindow(kCaption, "Edit"), nullptr);
    EXPECT_EQ(findProcessWindow("Window driver"), nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waitForWindow("No such window", nullptr, 200, pumpFor), nullptr);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)) << "waits its bound";
}

TEST_F(WindowDriver, FillsTheDialogThenPressesOk) {
    std::string error;
    ASSERT_TRUE(setControl(dialog_, kCallEdit, "PY2ZZ", kBound, error)) << error;
    ASSERT_TRUE(setControl(dialog_, kBandList, "40m", kBound, error)) << error;
    ASSERT_TRUE(setControl(dialog_, kSendBox, "1", kBound, error)) << error;
    EXPECT_EQ(controlText(dialog_, kCallEdit, kBound), "PY2ZZ");
    EXPECT_EQ(controlText(dialog_, -1, kBound), kCaption);
    EXPECT_EQ(checkState(dialog_, kSendBox, kBound, error), BST_CHECKED);
    ASSERT_TRUE(setControl(dialog_, kSendBox, "1", kBound, error)) << "already ticked: stays ticked";
    EXPECT_EQ(checkState(dialog_, kSendBox, kBound, error), BST_CHECKED);

    postButtonCommand(dialog_, IDOK);
    ASSERT_TRUE(waitForNoWindow(kCaption, nullptr, kBound, pumpFor));
    EXPECT_EQ(result_.button, IDOK);
    EXPECT_EQ(result_.call, "PY2ZZ");
    EXPECT_EQ(result_.band, "40m");
    EXPECT_TRUE(result_.send);
    EXPECT_EQ(result_.bandChanges, 1) << "the dialog heard of the selection, as from an operator";
}

TEST_F(WindowDriver, ClicksACheckBox) {
    std::string error;
    EXPECT_EQ(checkState(dialog_, kSendBox, kBound, error), BST_UNCHECKED);
    ASSERT_TRUE(clickControl(dialog_, kSendBox, kBound, error)) << error;
    EXPECT_EQ(checkState(dialog_, kSendBox, kBound, error), BST_CHECKED);
    ASSERT_TRUE(setControl(dialog_, kSendBox, "0", kBound, error)) << error;
    EXPECT_EQ(checkState(dialog_, kSendBox, kBound, error), BST_UNCHECKED);
}

TEST_F(WindowDriver, ExplainsWhatItCannotDo) {
    std::string error;
    EXPECT_FALSE(setControl(dialog_, 999, "x", kBound, error));
    EXPECT_EQ(error, "the window has no control 999");
    EXPECT_FALSE(setControl(dialog_, kBandList, "17m", kBound, error));
    EXPECT_EQ(error, "the list 102 has no item \"17m\"");
    EXPECT_FALSE(setControl(dialog_, kLabel, "x", kBound, error));
    EXPECT_EQ(error, "control 104 is a Static, not an edit box, combo box or check box (0/1)");
    EXPECT_EQ(checkState(dialog_, 999, kBound, error), -1);
    EXPECT_FALSE(clickControl(dialog_, 999, kBound, error));
}

TEST_F(WindowDriver, ScreenshotIsABitmapFileOfTheWholeWindow) {
    TempFolder folder;
    const std::string path = folder.file("dialog.bmp");
    std::string error;
    SIZE size{};
    ASSERT_TRUE(saveWindowBitmap(dialog_, path, error, size)) << error;
    RECT bounds{};
    GetWindowRect(dialog_, &bounds);
    EXPECT_EQ(size.cx, bounds.right - bounds.left);
    EXPECT_EQ(size.cy, bounds.bottom - bounds.top);

    const std::string bytes = readFile(path);
    const size_t rowBytes = (static_cast<size_t>(size.cx) * 3 + 3) & ~size_t{3};
    ASSERT_EQ(bytes.size(), 54 + rowBytes * static_cast<size_t>(size.cy));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data() + sizeof(BITMAPFILEHEADER));
    EXPECT_EQ(info->biWidth, size.cx);
    EXPECT_EQ(info->biHeight, size.cy);
    EXPECT_EQ(info->biBitCount, 24);
    // Not a blank image: the caption bar and the face of the dialog differ.
    bool varied = false;
    for (size_t i = 54 + 3; i < bytes.size() && !varied; i += 3) {
        varied = bytes.compare(i, 3, bytes, 54, 3) != 0;
    }
    EXPECT_TRUE(varied);
}

TEST(HelperThreadTest, RunsTheTaskAndSignals) {
    std::atomic<bool> ran{false};
    HelperThread helper([&] { ran = true; });
    ASSERT_TRUE(waitPumping(helper.finishedEvent(), kBound));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(helper.finished());
}

TEST(HelperThreadTest, AnExceptionInTheTaskStaysThere) {
    HelperThread helper([] { throw std::runtime_error("inside"); });
    EXPECT_TRUE(waitPumping(helper.finishedEvent(), kBound));
}

}  // namespace
