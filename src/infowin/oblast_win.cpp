#include "infowin/oblast_win.h"

#include "engine/area.h"
#include "engine/contest.h"
#include "infowin/colours_win.h"
#include "infowin_resource.h"

namespace contest = torv::engine::contest;
using torv::engine::kAreas;
using torv::infowin::kAreaBoxIds;
using torv::infowin::toColorRef;
using torv::ports::Settings;
using torv::win::blackOnBackground;
using torv::win::isControlColourMessage;

namespace torv::infowin {

const std::array<int, kAreas.size()> kAreaBoxIds = {
    IDC_OBLAST_AC,   IDC_OBLAST_AL,   IDC_OBLAST_AP,   IDC_OBLAST_AM, IDC_OBLAST_BA, IDC_OBLAST_CE, IDC_OBLAST_DF,
    IDC_OBLAST_ES,   IDC_OBLAST_GO,   IDC_OBLAST_MA,   IDC_OBLAST_MT, IDC_OBLAST_MS, IDC_OBLAST_MG, IDC_OBLAST_PA,
    IDC_OBLAST_PB,   IDC_OBLAST_PR,   IDC_OBLAST_PE,   IDC_OBLAST_PI, IDC_OBLAST_RJ, IDC_OBLAST_RN, IDC_OBLAST_RS,
    IDC_OBLAST_RO,   IDC_OBLAST_RR,   IDC_OBLAST_SC,   IDC_OBLAST_SP, IDC_OBLAST_SE, IDC_OBLAST_TO, IDC_OBLAST_UF,
    IDC_OBLAST_PY0F, IDC_OBLAST_PY0S, IDC_OBLAST_PY0T,
};

}  // namespace torv::infowin

namespace {

const COLORREF kBackground = toColorRef(contest::kBackground);

void showFlags(HWND window, const std::array<bool, kAreaBoxIds.size()>& flags) {
    for (size_t i = 0; i < kAreaBoxIds.size(); ++i) {
        CheckDlgButton(window, kAreaBoxIds[i], flags[i] ? BST_CHECKED : BST_UNCHECKED);
    }
}

}  // namespace

oblast::oblast(Settings& settings) : InfoDialog(settings, contest::kAreaWindow) {
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
    std::array<bool, kAreaBoxIds.size()> flags{};
    for (const std::string& code : areas) {
        for (size_t i = 0; i < kAreaBoxIds.size(); ++i) {
            // Byte for byte: "sp" is no area, nor is "SP" with anything after it.
            if (code == kAreas[i]) {
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
