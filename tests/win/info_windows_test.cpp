// The info windows as the assistant thread runs them: the worked-before
// window "CALL" and the area window "Brazil Area", created on a thread of
// the test that pumps messages, driven by messages and checked by their
// pixels, settings and handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/area.h"
#include "engine/contest_engine.h"
#include "engine/worked_before.h"
#include "infowin/dxcc_win.h"
#include "infowin/info_windows_win.h"
#include "infowin/mem_dc_win.h"
#include "infowin/oblast_win.h"
#include "infowin_resource.h"
#include "support/fakes.h"
#include "support/info_windows_access.h"
#include "support/temp_folder.h"
#include "win/plugin_module_win.h"
#include "win/scoped_win.h"
#include "win/ui_thread.h"

using torv::abi::kDateTimeValid;
using torv::engine::ContactStore;
using torv::engine::ContestEngine;
using torv::engine::kAreas;
using torv::engine::WorkedBeforeState;
using torv::infowin::GridPicture;
using torv::infowin::kAreaBoxIds;
using torv::infowin::openAreaWindow;
using torv::infowin::openCallWindow;
using torv::infowin::paintGridPicture;
using torv::ports::AreaView;
using torv::ports::CallView;
using torv::win::pluginModule;
using torv::win::ScopedBitmap;
using torv::win::ScopedBrush;
using torv::win::ScopedMemoryDc;
using torv::win::ScopedSelection;
using torv::win::ScopedWindow;

namespace {

const COLORREF kPaleYellow = RGB(255, 250, 198);
const COLORREF kTableYellow = RGB(255, 255, 198);
const COLORREF kStripe = RGB(198, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// The frame both windows share: resizable, with caption, system menu and
// both boxes, no owner, children and siblings clipped.
const DWORD kFrameStyles[] = {WS_POPUP,       WS_CAPTION,     WS_SYSMENU,      WS_THICKFRAME,
                              WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_CLIPCHILDREN, WS_CLIPSIBLINGS};

// The pixels of a window, copied from its device context in one blit.
class Screenshot {
public:
    // The client area, or the whole window with its frame and caption.
    enum class Area { kClient, kWindow };

    explicit Screenshot(HWND window, Area area = Area::kClient) {
        RECT rect;
        if (area == Area::kClient) {
            GetClientRect(window, &rect);
        } else {
            GetWindowRect(window, &rect);
            OffsetRect(&rect, -rect.left, -rect.top);
        }
        width_ = rect.right;
        height_ = rect.bottom;
        pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
        if (width_ <= 0 || height_ <= 0) {
            return;
        }
        HDC source = area == Area::kClient ? GetDC(window) : GetWindowDC(window);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        ScopedBitmap bitmap(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ScopedMemoryDc memory(CreateCompatibleDC(source));
        if (bitmap && memory) {
            ScopedSelection selection(memory.get(), bitmap.get());
            BitBlt(memory.get(), 0, 0, width_, height_, source, 0, 0, SRCCOPY);
            GdiFlush();
            std::copy_n(static_cast<const uint32_t*>(bits), pixels_.size(), pixels_.begin());
        }
        ReleaseDC(window, source);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF pixel(int x, int y) const {
        const uint32_t bgra = pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    // How many pixels of the rectangle (right and bottom excluded) have the colour.
    int count(COLORREF colour, int left, int top, int right, int bottom) const {
        int found = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                found += pixel(x, y) == colour ? 1 : 0;
            }
        }
        return found;
    }

    // A 32-bit BMP file, for a look at what the test saw.
    void save(const std::string& path) const {
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof header;
        header.biWidth = width_;
        header.biHeight = -height_;
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        const DWORD bytes = static_cast<DWORD>(pixels_.size() * sizeof(uint32_t));
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + bytes;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        out.write(reinterpret_cast<const char*>(pixels_.data()), bytes);
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;  // top-down, 0x00RRGGBB
};

// A dialog rectangle in pixels of that dialog. Position and size are
// converted separately, as the dialog manager places controls.
RECT dialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT units = {x, y, width, height};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

// A child's rectangle in its parent's client coordinates.
RECT childRect(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

POINT topLeft(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

// Gives the window a client area of this size, keeping its position.
void setClientSize(HWND window, int width, int height) {
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The mouse passing over the window, as the system reports it.
void mouseOver(HWND window) {
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// GDI objects of this process in use now. Where GetGuiResources answers 0
// (wine does), an estimate from wine's handle table, which reuses freed
// slots before it grows: a burst of N new brushes reaches exactly N slots
// above those in use, as long as fewer than N slots are free.
long gdiObjectsInUse() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {
        return static_cast<long>(reported);
    }
    constexpr int kBurst = 2000;
    std::vector<HBRUSH> brushes;
    brushes.reserve(kBurst);
    long highest = 0;
    for (int i = 0; i < kBurst; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB(i % 256, 1, 2));
        brushes.push_back(brush);
        highest = std::max(highest, static_cast<long>(LOWORD(reinterpret_cast<UINT_PTR>(brush))));
    }
    for (HBRUSH brush : brushes) {
        DeleteObject(brush);
    }
    return highest - kBurst;
}

// How far the system's own caches move the count of GDI objects in use over
// a test (wine's moved by up to 7 in 50 window cycles). One object leaked
// per paint or per window cycle shows as 50 or more.
constexpr long kGdiNoise = 20;

// Everything the RAII owners of the plug-in hold now.
struct OwnedHandles {
    long memoryDcs = ScopedMemoryDc::liveCount();
    long gdiObjects = ScopedBrush::liveCount();
    long windows = ScopedWindow::liveCount();
    bool operator==(const OwnedHandles& other) const {
        return memoryDcs == other.memoryDcs && gdiObjects == other.gdiObjects && windows == other.windows;
    }
};

std::ostream& operator<<(std::ostream& out, const OwnedHandles& handles) {
    return out << "{memory DCs " << handles.memoryDcs << ", GDI objects " << handles.gdiObjects << ", windows "
               << handles.windows << "}";
}

// Keeps a screenshot when STATS_SCREENSHOT_DIR names a folder; always into
// the test's temporary folder.
void keepScreenshot(const Screenshot& shot, const TempFolder& folder, const std::string& name) {
    shot.save(folder.file(name));
    if (const char* dir = std::getenv("STATS_SCREENSHOT_DIR")) {
        shot.save(std::string(dir) + "\\" + name);
    }
}

// The area boxes as the window must show them: label, id and rectangle in
// dialog units, written out independently of the plug-in's own table.
struct ExpectedBox {
    const char* label;
    int id;
    int x, y, width, height;
};
const ExpectedBox kExpectedBoxes[] = {
    {"AC", 1106, 7, 7, 20, 12},     {"AL", 1107, 33, 7, 20, 12},    {"AP", 1108, 57, 7, 20, 12},
    {"AM", 1109, 82, 7, 23, 12},    {"BA", 1110, 107, 7, 23, 12},   {"CE", 1111, 7, 21, 22, 12},
    {"DF", 1112, 34, 21, 23, 12},   {"ES", 1113, 58, 21, 23, 12},   {"GO", 1114, 82, 21, 23, 12},
    {"MA", 1115, 107, 21, 23, 12},  {"MT", 1116, 7, 34, 23, 12},    {"MS", 1117, 34, 34, 23, 12},
    {"MG", 1118, 58, 33, 23, 12},   {"PA", 1119, 82, 33, 23, 12},   {"PB", 1120, 107, 33, 23, 12},
    {"PR", 1121, 8, 61, 20, 12},    {"PE", 1122, 34, 61, 20, 12},   {"PI", 1123, 58, 61, 20, 12},
    {"RJ", 1124, 83, 61, 23, 12},   {"RN", 1125, 108, 61, 23, 12},  {"RS", 1126, 8, 75, 22, 12},
    {"RO", 1127, 34, 75, 23, 12},   {"RR", 1128, 58, 75, 23, 12},   {"SC", 1129, 83, 75, 23, 12},
    {"SP", 1130, 108, 75, 23, 12},  {"SE", 1131, 34, 90, 23, 12},   {"TO", 1132, 58, 90, 23, 12},
    {"UF", 1133, 83, 90, 23, 12},   {"PY0F", 1134, 25, 47, 31, 12}, {"PY0S", 1135, 58, 47, 29, 12},
    {"PY0T", 1136, 91, 47, 29, 12},
};

class InfoWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        ui.run([this] {
            callView.reset();
            areaView.reset();
        });
    }

    void openCallView() {
        callView = ui.run([this] { return std::make_unique<DXCC>(settings, engine, state); });
        ASSERT_NE(callView->window(), nullptr);
    }
    void openAreaView() {
        areaView = ui.run([this] { return std::make_unique<oblast>(settings); });
        ASSERT_NE(areaView->window(), nullptr);
    }

    // The rows as a rescoring leaves them, with the call worked on 20 m.
    void buildRows() {
        engine.resetStore(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
        engine.withStore([](ContactStore& store) { store.workedRows()[3] = {"20m", "12:34", "CW", "SP"}; });
    }

    // The grid button's pixels after a repaint asked for as the tick does.
    Screenshot paintedGrid() {
        return ui.run([this] {
            callView->refreshGrid();
            UpdateWindow(InfoWindowsTestAccess::gridButton(*callView));
            return Screenshot(InfoWindowsTestAccess::gridButton(*callView));
        });
    }

    std::set<int> checkedBoxes() {
        return ui.run([this] {
            std::set<int> checked;
            for (const ExpectedBox& box : kExpectedBoxes) {
                if (IsDlgButtonChecked(areaView->window(), box.id) == BST_CHECKED) {
                    checked.insert(box.id);
                }
            }
            return checked;
        });
    }
    void markAreas(const std::vector<std::string>& areas) {
        ui.run([this, &areas] { areaView->markAreas(areas); });
    }

    TempFolder folder;
    MemorySettings settings;
    ContestEngine engine{folder.file("err.txt")};
    WorkedBeforeState state;
    UiThread ui;
    std::unique_ptr<DXCC> callView;
    std::unique_ptr<oblast> areaView;
};

using CallWindowTest = InfoWindowTest;
using AreaWindowTest = InfoWindowTest;

// --- Each window, the same checks -------------------------------------------------

// What tells the two windows apart where they are checked alike.
template <typename View>
struct WindowFacts;

template <>
struct WindowFacts<DXCC> {
    static constexpr const char* kKey = "dxcc";  // its position's settings: dxcc_x, dxcc_y
    static constexpr const char* kCaption = "CALL";
    static constexpr int kTemplateWidth = 242;  // dialog units
    static constexpr int kTemplateHeight = 142;
};

template <>
struct WindowFacts<oblast> {
    static constexpr const char* kKey = "oblast";
    static constexpr const char* kCaption = "Brazil Area";
    static constexpr int kTemplateWidth = 135;
    static constexpr int kTemplateHeight = 115;
};

template <typename View>
class EachInfoWindowTest : public InfoWindowTest {
protected:
    // The setting of one coordinate of the window's position, "x" or "y".
    static std::string key(const char* axis) { return std::string(WindowFacts<View>::kKey) + "_" + axis; }

    std::unique_ptr<View>& view();
    void openView();
    // The control that has the focus when the user presses Esc.
    HWND escapeTarget();
    // Gives the window what the assistant feeds it (while it is hidden);
    // expectFed checks that it holds it.
    void feed();
    void expectFed();
};

template <>
std::unique_ptr<DXCC>& EachInfoWindowTest<DXCC>::view() {
    return callView;
}
template <>
void EachInfoWindowTest<DXCC>::openView() {
    openCallView();
}
template <>
HWND EachInfoWindowTest<DXCC>::escapeTarget() {
    return InfoWindowsTestAccess::gridButton(*callView);
}
template <>
void EachInfoWindowTest<DXCC>::feed() {
    ui.run([this] {
        callView->setCaption("TORV worked with PY2ABC");
        callView->refreshGrid();
    });
}
template <>
void EachInfoWindowTest<DXCC>::expectFed() {
    EXPECT_EQ(windowText(callView->window()), "TORV worked with PY2ABC");
}

template <>
std::unique_ptr<oblast>& EachInfoWindowTest<oblast>::view() {
    return areaView;
}
template <>
void EachInfoWindowTest<oblast>::openView() {
    openAreaView();
}
template <>
HWND EachInfoWindowTest<oblast>::escapeTarget() {
    return GetDlgItem(areaView->window(), IDC_OBLAST_SP);
}
template <>
void EachInfoWindowTest<oblast>::feed() {
    markAreas({"RS"});
}
template <>
void EachInfoWindowTest<oblast>::expectFed() {
    EXPECT_EQ(checkedBoxes(), (std::set<int>{IDC_OBLAST_RS}));
}

using BothWindows = ::testing::Types<DXCC, oblast>;
// CTest names each by its window: EachInfoWindowTest.CaptionIsSet<DXCC>.
TYPED_TEST_SUITE(EachInfoWindowTest, BothWindows);

TYPED_TEST(EachInfoWindowTest, FirstOpeningIsAtTheDefaultPositionWithTheTemplateSize) {
    using Facts = WindowFacts<TypeParam>;
    this->openView();
    HWND window = this->view()->window();
    this->ui.run([&] {
        const POINT corner = topLeft(window);
        EXPECT_EQ(corner.x, 10);
        EXPECT_EQ(corner.y, 400);

        RECT expected = dialogUnits(window, 0, 0, Facts::kTemplateWidth, Facts::kTemplateHeight);
        AdjustWindowRectEx(&expected, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
        RECT actual;
        GetWindowRect(window, &actual);
        EXPECT_EQ(actual.right - actual.left, expected.right - expected.left);
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom - expected.top);

        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(windowText(window), Facts::kCaption);
        EXPECT_EQ(GetParent(window), nullptr);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        for (DWORD bit : kFrameStyles) {
            EXPECT_EQ(style & bit, bit) << std::hex << bit;
        }

        HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(icon, LoadIconA(pluginModule(), MAKEINTRESOURCEA(110)));
    });
    EXPECT_EQ(this->settings.reads, (std::vector<std::string>{this->key("x"), this->key("y")}));
    EXPECT_TRUE(this->settings.writes.empty());
}

TYPED_TEST(EachInfoWindowTest, StoredZeroCountsAsAbsent) {
    this->settings.values = {{this->key("x"), "0"}, {this->key("y"), "250"}};
    this->openView();
    const POINT corner = this->ui.run([this] { return topLeft(this->view()->window()); });
    EXPECT_EQ(corner.x, 10);
    EXPECT_EQ(corner.y, 250);
}

TYPED_TEST(EachInfoWindowTest, NegativeStoredCoordinateIsKept) {
    this->settings.values = {{this->key("x"), "-500"}, {this->key("y"), "300"}};
    this->openView();
    const POINT corner = this->ui.run([this] { return topLeft(this->view()->window()); });
    EXPECT_EQ(corner.x, -500);
    EXPECT_EQ(corner.y, 300);
}

TYPED_TEST(EachInfoWindowTest, OpensAtTheStoredPositionAndRemembersMoves) {
    this->settings.values = {{this->key("x"), "-40"}, {this->key("y"), "0"}};
    this->openView();
    HWND window = this->view()->window();
    EXPECT_EQ(this->ui.run([&] { return topLeft(window).x; }), -40);
    EXPECT_EQ(this->ui.run([&] { return topLeft(window).y; }), 400);
    this->ui.run([&] {
        SetWindowPos(window, nullptr, 77, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        mouseOver(window);
    });
    EXPECT_EQ(this->settings.writes, (std::vector<std::string>{this->key("x") + "=77"}));
}

TYPED_TEST(EachInfoWindowTest, MouseOverWritesOnlyTheChangedCoordinate) {
    this->openView();
    HWND window = this->view()->window();
    this->ui.run([&] { mouseOver(window); });
    EXPECT_TRUE(this->settings.writes.empty()) << "nothing moved yet";

    this->ui.run([&] {
        SetWindowPos(window, nullptr, 10, 321, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        mouseOver(window);
    });
    EXPECT_EQ(this->settings.writes, (std::vector<std::string>{this->key("y") + "=321"}));

    this->settings.writes.clear();
    this->ui.run([&] {
        SetWindowPos(window, nullptr, -1234, 321, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        mouseOver(window);
        mouseOver(window);
    });
    EXPECT_EQ(this->settings.writes, (std::vector<std::string>{this->key("x") + "=-1234"}));
}

TYPED_TEST(EachInfoWindowTest, CaptionIsSet) {
    this->openView();
    for (const char* text : {"TORV worked with PY2ABC", "Area "}) {
        const std::string caption = this->ui.run([this, text] {
            this->view()->setCaption(text);
            return windowText(this->view()->window());
        });
        EXPECT_EQ(caption, text);
    }
}

TYPED_TEST(EachInfoWindowTest, UserCloseOnlyHidesAndTheDestructorDestroys) {
    this->openView();
    HWND window = this->view()->window();

    this->ui.run([&] { SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));

    // Still fed while hidden; shown again, then closed by its close box.
    this->feed();
    this->expectFed();
    this->ui.run([&] {
        ShowWindow(window, SW_SHOW);
        SendMessageA(window, WM_CLOSE, 0, 0);
    });
    this->ui.run([] {});  // the close posts its IDCANCEL
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    this->expectFed();

    // Esc, through the message loop's dialog keyboard handling.
    this->ui.run([&] {
        ShowWindow(window, SW_SHOW);
        SetFocus(this->escapeTarget());
        PostMessageA(this->escapeTarget(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    this->ui.run([] {});
    this->ui.run([] {});
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));

    this->ui.run([this] { this->view().reset(); });
    EXPECT_FALSE(IsWindow(window));
}

// --- The worked-before window ------------------------------------------------

TEST_F(CallWindowTest, GridButtonIsWhereTheTemplatePutsIt) {
    openCallView();
    HWND window = callView->window();
    ui.run([&] {
        HWND button = GetDlgItem(window, 1003);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button, InfoWindowsTestAccess::gridButton(*callView));
        EXPECT_EQ(windowText(button), "Button1");
        const DWORD buttonStyle = static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE));
        EXPECT_EQ(buttonStyle & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
        for (DWORD bit : {DWORD{BS_FLAT}, DWORD{BS_NOTIFY}, DWORD{WS_TABSTOP}, DWORD{WS_VISIBLE}}) {
            EXPECT_EQ(buttonStyle & bit, bit) << std::hex << bit;
        }
        // No resize has happened yet: the button is where the template put it.
        const RECT templateRect = dialogUnits(window, 2, 1, 237, 138);
        const RECT buttonRect = childRect(button);
        EXPECT_EQ(buttonRect.left, templateRect.left);
        EXPECT_EQ(buttonRect.top, templateRect.top);
        EXPECT_EQ(buttonRect.right, templateRect.right);
        EXPECT_EQ(buttonRect.bottom, templateRect.bottom);
    });
}

TEST_F(CallWindowTest, ButtonFillsTheClientAreaLessItsMargins) {
    openCallView();
    const RECT button = ui.run([this] {
        setClientSize(callView->window(), 300, 200);
        RECT client;
        GetClientRect(callView->window(), &client);
        EXPECT_EQ(client.right, 300);
        EXPECT_EQ(client.bottom, 200);
        return childRect(InfoWindowsTestAccess::gridButton(*callView));
    });
    EXPECT_EQ(button.left, 5);
    EXPECT_EQ(button.top, 5);
    EXPECT_EQ(button.right, 295);
    EXPECT_EQ(button.bottom, 195);
}

TEST_F(CallWindowTest, ButtonOfAClientAreaSmallerThanItsMarginsIsEmpty) {
    openCallView();
    ui.run([this] {
        // As low as the frame allows: the client area is lower than 10 pixels.
        setClientSize(callView->window(), 300, 0);
        RECT client;
        GetClientRect(callView->window(), &client);
        ASSERT_LT(client.bottom, 10);
        const RECT button = childRect(InfoWindowsTestAccess::gridButton(*callView));
        EXPECT_EQ(button.right - button.left, client.right - 10);
        EXPECT_EQ(button.bottom - button.top, 0);
    });
}

TEST_F(CallWindowTest, EmptyCallPaintsTheNoCallBackground) {
    buildRows();
    state.setBandIndex(3);
    openCallView();
    const Screenshot grid = paintedGrid();
    ASSERT_GT(grid.width(), 0);
    ASSERT_GT(grid.height(), 0);
    EXPECT_EQ(grid.count(kPaleYellow, 0, 0, grid.width(), grid.height()), grid.width() * grid.height());
}

TEST_F(CallWindowTest, CallShowsTheTableWithTheBandStripeAndTexts) {
    buildRows();
    openCallView();
    ui.run([this] { setClientSize(callView->window(), 300, 200); });
    state.setCurrentCall("PY2ABC");
    state.setBandIndex(3);
    const Screenshot grid = paintedGrid();
    ASSERT_EQ(grid.width(), 290);
    ASSERT_EQ(grid.height(), 190);
    keepScreenshot(grid, folder, "call-grid.bmp");

    // Seven lines of 190 / 7 = 27 pixels; the 20 m stripe covers line 4 and
    // stops 10 pixels short of line 5. Left of the first column no text
    // falls, so that column shows the fills alone.
    const int stripeTop = 4 * 27;
    const int stripeBottom = 5 * 27 - 10;
    for (int y = 0; y < grid.height(); ++y) {
        const COLORREF expected = y >= stripeTop && y < stripeBottom ? kStripe : kTableYellow;
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(grid.pixel(x, y), expected) << "at " << x << ", " << y;
        }
    }
    // Black text: the call in the header, "20m" and its time on the stripe.
    EXPECT_GT(grid.count(kBlack, 160, 0, 290, 16), 0);
    EXPECT_GT(grid.count(kBlack, 20, stripeTop, 60, stripeBottom), 0);
    EXPECT_GT(grid.count(kBlack, 100, stripeTop, 160, stripeBottom), 0);
    // Below the column titles, the "160m" line stays empty.
    EXPECT_EQ(grid.count(kTableYellow, 0, 40, 290, 54), 290 * (54 - 40));
    // Nothing else: the table, the stripe and black text only.
    const int all = grid.width() * grid.height();
    EXPECT_EQ(grid.count(kTableYellow, 0, 0, 290, 190) + grid.count(kStripe, 0, 0, 290, 190) +
                  grid.count(kBlack, 0, 0, 290, 190),
              all);
}

TEST_F(CallWindowTest, EveryDrawRequestRepaintsTheWholeItem) {
    buildRows();
    state.setCurrentCall("PY2ABC");
    state.setBandIndex(0);
    openCallView();
    ui.run([this] {
        HDC screen = GetDC(nullptr);
        ScopedMemoryDc target(CreateCompatibleDC(screen));
        ScopedBitmap canvas(CreateCompatibleBitmap(screen, 120, 70));
        ReleaseDC(nullptr, screen);
        ScopedSelection selection(target.get(), canvas.get());
        ScopedBrush white(CreateSolidBrush(RGB(255, 255, 255)));
        const RECT all = {0, 0, 120, 70};
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDC_DXCC_GRID;
        item.itemState = ODS_FOCUS | ODS_SELECTED;
        item.hwndItem = InfoWindowsTestAccess::gridButton(*callView);
        item.hDC = target.get();
        item.rcItem = all;

        // A change of focus or selection only, as the system asks for one:
        // still all of it, laid out on the item's rectangle (lines of 70 / 7
        // = 10 pixels, so the 160 m stripe has no height at all).
        for (UINT action : {UINT{ODA_FOCUS}, UINT{ODA_SELECT}, UINT{ODA_DRAWENTIRE}}) {
            SCOPED_TRACE(action);
            FillRect(target.get(), &all, white.get());
            item.itemAction = action;
            SendMessageA(callView->window(), WM_DRAWITEM, IDC_DXCC_GRID, reinterpret_cast<LPARAM>(&item));
            EXPECT_EQ(GetPixel(target.get(), 0, 0), kTableYellow);
            EXPECT_EQ(GetPixel(target.get(), 0, 10), kTableYellow);
            EXPECT_EQ(GetPixel(target.get(), 119, 69), kTableYellow);
        }

        // Another control's request is not the grid's.
        FillRect(target.get(), &all, white.get());
        item.CtlID = 1004;
        SendMessageA(callView->window(), WM_DRAWITEM, 1004, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(GetPixel(target.get(), 0, 0), RGB(255, 255, 255));
    });
}

TEST_F(CallWindowTest, WholeWindowScreenshot) {
    buildRows();
    state.setCurrentCall("PY2ABC");
    state.setBandIndex(2);
    openCallView();
    const Screenshot window = ui.run([this] {
        callView->setCaption("TORV worked with PY2ABC");
        RedrawWindow(callView->window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return Screenshot(callView->window(), Screenshot::Area::kWindow);
    });
    EXPECT_GT(window.width(), 0);
    keepScreenshot(window, folder, "call-window.bmp");
}

TEST_F(CallWindowTest, PaintingLeaksNoGdiObject) {
    buildRows();
    state.setCurrentCall("PY2ABC");
    state.setBandIndex(3);
    openCallView();
    // The first paints may make what the system keeps for good (cached DCs).
    for (int i = 0; i < 5; ++i) {
        paintedGrid();
    }
    const OwnedHandles ownedBefore;
    const long inUseBefore = ui.run([] { return gdiObjectsInUse(); });
    ui.run([this] {
        for (int i = 0; i < 200; ++i) {
            state.setBandIndex(i % 6);
            callView->refreshGrid();
            UpdateWindow(InfoWindowsTestAccess::gridButton(*callView));
        }
    });
    const long inUseAfter = ui.run([] { return gdiObjectsInUse(); });
    EXPECT_EQ(OwnedHandles(), ownedBefore);
    EXPECT_LE(inUseAfter, inUseBefore + kGdiNoise)
        << "200 paints, GDI objects before " << inUseBefore << ", after " << inUseAfter;
}

// --- The area window -----------------------------------------------------------

TEST_F(AreaWindowTest, FirstOpeningHasBothEdgesAndEveryBoxClear) {
    openAreaView();
    HWND window = areaView->window();
    ui.run([&] {
        const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
        EXPECT_EQ(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    });
    EXPECT_TRUE(checkedBoxes().empty());
}

TEST_F(AreaWindowTest, BoxesFollowTheTemplate) {
    openAreaView();
    HWND window = areaView->window();
    ui.run([&] {
        for (const ExpectedBox& box : kExpectedBoxes) {
            SCOPED_TRACE(box.label);
            HWND control = GetDlgItem(window, box.id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(windowText(control), box.label);
            const LONG style = GetWindowLongA(control, GWL_STYLE);
            EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
            EXPECT_EQ(style & (WS_TABSTOP | WS_VISIBLE), WS_TABSTOP | WS_VISIBLE);
            const RECT expected = dialogUnits(window, box.x, box.y, box.width, box.height);
            const RECT actual = childRect(control);
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            EXPECT_EQ(actual.right, expected.right);
            EXPECT_EQ(actual.bottom, expected.bottom);
        }
    });
    // The plug-in's own table agrees, label for label.
    ASSERT_EQ(kAreaBoxIds.size(), std::size(kExpectedBoxes));
    for (size_t i = 0; i < kAreaBoxIds.size(); ++i) {
        EXPECT_EQ(std::string(kAreas[i]), kExpectedBoxes[i].label);
        EXPECT_EQ(kAreaBoxIds[i], kExpectedBoxes[i].id);
    }
}

TEST_F(AreaWindowTest, MarkAreasTicksExactlyTheListedLabels) {
    openAreaView();
    markAreas({"SP", "RJ", "PY0F"});
    EXPECT_EQ(checkedBoxes(), (std::set<int>{IDC_OBLAST_SP, IDC_OBLAST_RJ, IDC_OBLAST_PY0F}));

    markAreas({"UF"});
    EXPECT_EQ(checkedBoxes(), (std::set<int>{IDC_OBLAST_UF}));

    markAreas({});
    EXPECT_TRUE(checkedBoxes().empty());

    std::vector<std::string> all;
    for (const ExpectedBox& box : kExpectedBoxes) {
        all.push_back(box.label);
    }
    markAreas(all);
    EXPECT_EQ(checkedBoxes().size(), 31u);
}

TEST_F(AreaWindowTest, MarkAreasComparesExactly) {
    openAreaView();
    markAreas({"sp", "Rj", "SP ", " SP", "SPX", "PY0", "PY0F0", "", "YL", "MIL", "QRP", std::string("SP\0", 3)});
    EXPECT_TRUE(checkedBoxes().empty());

    markAreas({"SP", "SP", "PY0T", "nothing"});
    EXPECT_EQ(checkedBoxes(), (std::set<int>{IDC_OBLAST_SP, IDC_OBLAST_PY0T}));
}

TEST_F(AreaWindowTest, BoxTickedByHandIsClearedByTheNextMark) {
    openAreaView();
    HWND window = areaView->window();
    ui.run([&] { SendDlgItemMessageA(window, IDC_OBLAST_AC, BM_CLICK, 0, 0); });
    EXPECT_EQ(checkedBoxes(), (std::set<int>{IDC_OBLAST_AC}));
    markAreas({"SP"});
    EXPECT_EQ(checkedBoxes(), (std::set<int>{IDC_OBLAST_SP}));
}

TEST_F(AreaWindowTest, BackgroundIsPaleYellow) {
    openAreaView();
    markAreas({"SP", "PY0S"});
    const Screenshot client = ui.run([this] {
        RedrawWindow(areaView->window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return Screenshot(areaView->window());
    });
    keepScreenshot(client, folder, "area-client.bmp");
    // Above the first row of boxes and along the left edge: background only.
    EXPECT_EQ(client.pixel(1, 1), kPaleYellow);
    EXPECT_EQ(client.pixel(client.width() - 2, client.height() - 2), kPaleYellow);
    EXPECT_EQ(client.count(kPaleYellow, 0, 0, client.width(), 4), client.width() * 4);

    const Screenshot window = ui.run([this] { return Screenshot(areaView->window(), Screenshot::Area::kWindow); });
    keepScreenshot(window, folder, "area-window.bmp");
}

TEST_F(AreaWindowTest, ColourMessagesAnswerBlackOnPaleYellow) {
    openAreaView();
    HWND window = areaView->window();
    ui.run([&] {
        ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
        HBRUSH first = nullptr;
        for (UINT message : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX,
                             WM_CTLCOLORSCROLLBAR, WM_CTLCOLORMSGBOX}) {
            SCOPED_TRACE(message);
            SetTextColor(dc.get(), RGB(1, 2, 3));
            SetBkColor(dc.get(), RGB(4, 5, 6));
            auto brush = reinterpret_cast<HBRUSH>(SendMessageA(window, message, reinterpret_cast<WPARAM>(dc.get()),
                                                               reinterpret_cast<LPARAM>(GetDlgItem(window, 1106))));
            ASSERT_NE(brush, nullptr);
            LOGBRUSH logBrush = {};
            ASSERT_EQ(GetObjectA(brush, sizeof logBrush, &logBrush), static_cast<int>(sizeof logBrush));
            EXPECT_EQ(logBrush.lbStyle, static_cast<UINT>(BS_SOLID));
            EXPECT_EQ(logBrush.lbColor, kPaleYellow);
            EXPECT_EQ(GetTextColor(dc.get()), kBlack);
            EXPECT_EQ(GetBkColor(dc.get()), kPaleYellow);
            // One brush for the window's lifetime, not one per message.
            if (first == nullptr) {
                first = brush;
            }
            EXPECT_EQ(brush, first);
        }
    });
}

// --- Both windows at once --------------------------------------------------------

TEST_F(InfoWindowTest, FactoriesOpenBothWindowsOnTheCallingThread) {
    const OwnedHandles before;
    HWND callWindow = nullptr;
    HWND areaWindow = nullptr;
    ui.run([&] {
        std::unique_ptr<CallView> call = openCallWindow(settings, engine, state);
        std::unique_ptr<AreaView> area = openAreaWindow(settings);
        auto* dxcc = dynamic_cast<DXCC*>(call.get());
        auto* areas = dynamic_cast<oblast*>(area.get());
        ASSERT_NE(dxcc, nullptr);
        ASSERT_NE(areas, nullptr);
        callWindow = dxcc->window();
        areaWindow = areas->window();
        EXPECT_TRUE(IsWindowVisible(callWindow));
        EXPECT_TRUE(IsWindowVisible(areaWindow));
        EXPECT_EQ(GetWindowThreadProcessId(callWindow, nullptr), GetCurrentThreadId());
        EXPECT_EQ(GetWindowThreadProcessId(areaWindow, nullptr), GetCurrentThreadId());
        EXPECT_EQ(windowText(callWindow), "CALL");
        EXPECT_EQ(windowText(areaWindow), "Brazil Area");
    });
    EXPECT_NE(callWindow, nullptr);
    EXPECT_FALSE(IsWindow(callWindow));
    EXPECT_FALSE(IsWindow(areaWindow));
    EXPECT_EQ(OwnedHandles(), before);
}

TEST_F(InfoWindowTest, OpenCloseCyclesLeakNothing) {
    buildRows();
    state.setCurrentCall("PY2ABC");
    state.setBandIndex(1);
    // One cycle first: what the system makes once per thread or class.
    ui.run([this] {
        callView = std::make_unique<DXCC>(settings, engine, state);
        areaView = std::make_unique<oblast>(settings);
        UpdateWindow(callView->window());
        UpdateWindow(areaView->window());
        callView.reset();
        areaView.reset();
    });
    const OwnedHandles ownedBefore;
    const long inUseBefore = ui.run([] { return gdiObjectsInUse(); });
    for (int i = 0; i < 50; ++i) {
        ui.run([this] {
            callView = std::make_unique<DXCC>(settings, engine, state);
            areaView = std::make_unique<oblast>(settings);
            areaView->markAreas({"SP", "RJ"});
            UpdateWindow(callView->window());
            UpdateWindow(areaView->window());
            EXPECT_EQ(ScopedWindow::liveCount(), 2);
            callView.reset();
            areaView.reset();
        });
    }
    const long inUseAfter = ui.run([] { return gdiObjectsInUse(); });
    EXPECT_EQ(OwnedHandles(), ownedBefore);
    EXPECT_EQ(ScopedWindow::liveCount(), 0);
    EXPECT_LE(inUseAfter, inUseBefore + kGdiNoise)
        << "50 cycles, GDI objects before " << inUseBefore << ", after " << inUseAfter;
}

// --- Painting helpers ------------------------------------------------------------

TEST(MemoryDcTest, DrawsOffScreenAndCopiesItsBoxToTheSameCoordinates) {
    const OwnedHandles before;
    {
        HDC screen = GetDC(nullptr);
        ScopedMemoryDc target(CreateCompatibleDC(screen));
        ScopedBitmap canvas(CreateCompatibleBitmap(screen, 100, 80));
        ReleaseDC(nullptr, screen);
        ScopedSelection selection(target.get(), canvas.get());
        ScopedBrush white(CreateSolidBrush(RGB(255, 255, 255)));
        const RECT all = {0, 0, 100, 80};
        FillRect(target.get(), &all, white.get());

        IntersectClipRect(target.get(), 20, 10, 60, 50);
        {
            CMemDC memory(target.get());
            EXPECT_EQ(InfoWindowsTestAccess::rect(memory).left, 20);
            EXPECT_EQ(InfoWindowsTestAccess::rect(memory).top, 10);
            EXPECT_EQ(InfoWindowsTestAccess::rect(memory).right, 60);
            EXPECT_EQ(InfoWindowsTestAccess::rect(memory).bottom, 50);
            ScopedBrush red(CreateSolidBrush(RGB(255, 0, 0)));
            FillRect(memory.dc(), &all, red.get());
            // Nothing reaches the target before the end.
            EXPECT_EQ(GetPixel(target.get(), 30, 20), RGB(255, 255, 255));
        }
        SelectClipRgn(target.get(), nullptr);
        EXPECT_EQ(GetPixel(target.get(), 20, 10), RGB(255, 0, 0));
        EXPECT_EQ(GetPixel(target.get(), 59, 49), RGB(255, 0, 0));
        EXPECT_EQ(GetPixel(target.get(), 19, 10), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(target.get(), 60, 49), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(target.get(), 20, 9), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(target.get(), 20, 50), RGB(255, 255, 255));
    }
    EXPECT_EQ(OwnedHandles(), before);
}

TEST(MemoryDcTest, GridPictureIsPaintedAsLaidOut) {
    HDC screen = GetDC(nullptr);
    ScopedMemoryDc target(CreateCompatibleDC(screen));
    ScopedBitmap canvas(CreateCompatibleBitmap(screen, 120, 70));
    ReleaseDC(nullptr, screen);
    ScopedSelection selection(target.get(), canvas.get());
    GridPicture picture;
    picture.fills.push_back({0, 0, 120, 70, {255, 255, 198}});
    picture.fills.push_back({0, 20, 120, 30, {198, 255, 255}});
    picture.texts.push_back({40, 40, "SP"});
    const OwnedHandles before;
    paintGridPicture(target.get(), picture);
    EXPECT_EQ(OwnedHandles(), before);
    EXPECT_EQ(GetPixel(target.get(), 0, 19), kTableYellow);
    EXPECT_EQ(GetPixel(target.get(), 0, 20), kStripe);
    EXPECT_EQ(GetPixel(target.get(), 119, 29), kStripe);
    EXPECT_EQ(GetPixel(target.get(), 0, 30), kTableYellow);
    int black = 0;
    for (int y = 40; y < 60; ++y) {
        for (int x = 40; x < 70; ++x) {
            black += GetPixel(target.get(), x, y) == kBlack ? 1 : 0;
        }
    }
    EXPECT_GT(black, 0);
    EXPECT_EQ(GetPixel(target.get(), 39, 45), kTableYellow) << "text drawn transparently, from its corner";
}

TEST(GdiOwnersTest, MovesHandOverAndCopiesAreImpossible) {
    static_assert(!std::is_copy_constructible_v<ScopedBrush>);
    static_assert(!std::is_copy_assignable_v<ScopedBrush>);
    static_assert(std::is_nothrow_move_constructible_v<ScopedBrush>);
    static_assert(!std::is_copy_constructible_v<CMemDC>);
    const long before = ScopedBrush::liveCount();
    {
        ScopedBrush first(CreateSolidBrush(RGB(1, 2, 3)));
        HBRUSH handle = first.get();
        EXPECT_EQ(ScopedBrush::liveCount(), before + 1);
        ScopedBrush second(std::move(first));
        EXPECT_EQ(first.get(), nullptr);
        EXPECT_EQ(second.get(), handle);
        EXPECT_EQ(ScopedBrush::liveCount(), before + 1);
        ScopedBrush third(CreateSolidBrush(RGB(4, 5, 6)));
        third = std::move(second);
        EXPECT_EQ(third.get(), handle);
        EXPECT_EQ(ScopedBrush::liveCount(), before + 1);
        EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(ScopedBrush::liveCount(), before);
}

// --- The icon --------------------------------------------------------------------

TEST(PluginIconTest, HasLargeAndSmallImages) {
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageA(pluginModule(), MAKEINTRESOURCEA(IDI_STATS), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_NE(info.hbmColor, nullptr);
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The plug-in itself carries the templates and the icon, beside the
// Cabrillo dialog of its own resource script.
TEST(PluginIconTest, StatsDllCarriesTheTemplatesAndTheIcon) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dll(path);
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + STATS_DLL_NAME;
    HMODULE library = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr) << dll;
    EXPECT_NE(FindResourceA(library, MAKEINTRESOURCEA(IDD_DXCC), RT_DIALOG), nullptr);
    EXPECT_NE(FindResourceA(library, MAKEINTRESOURCEA(IDD_OBLAST), RT_DIALOG), nullptr);
    EXPECT_NE(FindResourceA(library, MAKEINTRESOURCEA(IDI_STATS), RT_GROUP_ICON), nullptr);
    FreeLibrary(library);
}

}  // namespace
