#include "infowin/oblast_win.h"

#include "infowin/grid_layout.h"
#include "infowin_resource.h"

const std::array<AreaBox, 31> kAreaBoxes = {{
    {"AC", IDC_OBLAST_AC},     {"AL", IDC_OBLAST_AL},     {"AP", IDC_OBLAST_AP},     {"AM", IDC_OBLAST_AM},
    {"BA", IDC_OBLAST_BA},     {"CE", IDC_OBLAST_CE},     {"DF", IDC_OBLAST_DF},     {"ES", IDC_OBLAST_ES},
    {"GO", IDC_OBLAST_GO},     {"MA", IDC_OBLAST_MA},     {"MT", IDC_OBLAST_MT},     {"MS", IDC_OBLAST_MS},
    {"MG", IDC_OBLAST_MG},     {"PA", IDC_OBLAST_PA},     {"PB", IDC_OBLAST_PB},     {"PR", IDC_OBLAST_PR},
    {"PE", IDC_OBLAST_PE},     {"PI", IDC_OBLAST_PI},     {"RJ", IDC_OBLAST_RJ},     {"RN", IDC_OBLAST_RN},
    {"RS", IDC_OBLAST_RS},     {"RO", IDC_OBLAST_RO},     {"RR", IDC_OBLAST_RR},     {"SC", IDC_OBLAST_SC},
    {"SP", IDC_OBLAST_SP},     {"SE", IDC_OBLAST_SE},     {"TO", IDC_OBLAST_TO},     {"UF", IDC_OBLAST_UF},
    {"PY0F", IDC_OBLAST_PY0F}, {"PY0S", IDC_OBLAST_PY0S}, {"PY0T", IDC_OBLAST_PY0T},
}};

namespace {

constexpr int kDefaultX = 10;
constexpr int kDefaultY = 400;

// The same pale yellow as the grid without a call.
const COLORREF kBackground = RGB(kNoCallBackground.red, kNoCallBackground.green, kNoCallBackground.blue);

void showFlags(HWND window, const std::array<bool, kAreaBoxes.size()>& flags) {
    for (size_t i = 0; i < kAreaBoxes.size(); ++i) {
        CheckDlgButton(window, kAreaBoxes[i].id, flags[i] ? BST_CHECKED : BST_UNCHECKED);
    }
}

}  // namespace

oblast::oblast(Settings& settings) : InfoDialog(settings, "oblast_x", "oblast_y", kDefaultX, kDefaultY) {
    create(IDD_OBLAST);
}

oblast::~oblast() {
    destroy();
}

void oblast::setCaption(const std::string& caption) {
    setWindowText(caption);
}

void oblast::markAreas(const std::vector<std::string>& areas) {
    if (window() == nullptr) {
        return;
    }
    std::array<bool, kAreaBoxes.size()> flags{};
    for (const std::string& code : areas) {
        for (size_t i = 0; i < kAreaBoxes.size(); ++i) {
            // Byte for byte: "sp" is no area, nor is "SP" with anything after it.
            if (code == kAreaBoxes[i].label) {
                flags[i] = true;
            }
        }
    }
    showFlags(window(), flags);
}

BOOL oblast::onInit() {
    showFlags(window(), {});
    background_.reset(CreateSolidBrush(kBackground));
    return TRUE;
}

INT_PTR oblast::onMessage(UINT message, WPARAM wParam, LPARAM) {
    // The window and its boxes: black on pale yellow.
    return isControlColourMessage(message) ? blackOnBackground(wParam, kBackground, background_.get()) : FALSE;
}
