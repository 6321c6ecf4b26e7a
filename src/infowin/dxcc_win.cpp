#include "infowin/dxcc_win.h"

#include <algorithm>

#include "infowin_resource.h"

namespace contest = torv::engine::contest;
using torv::engine::ContestEngine;
using torv::engine::WorkedBeforeState;
using torv::ports::Settings;

namespace {

constexpr int kButtonMargin = 5;

}  // namespace

DXCC::DXCC(Settings& settings, ContestEngine& engine, WorkedBeforeState& state)
    : InfoDialog(settings, contest::kCallWindow), button_(engine, state) {
    create(IDD_DXCC);
}

DXCC::~DXCC() {
    destroy();
}

void DXCC::setCaption(const std::string& caption) {
    setWindowText(caption);
}

void DXCC::refreshGrid() {
    button_.refresh();
}

BOOL DXCC::onInit() {
    button_.attach(GetDlgItem(window(), IDC_DXCC_GRID));
    return TRUE;
}

void DXCC::fitButton(int clientWidth, int clientHeight) {
    HWND button = GetDlgItem(window(), IDC_DXCC_GRID);
    if (button == nullptr) {
        return;
    }
    // A client area narrower or lower than both margins leaves an empty button.
    MoveWindow(button, kButtonMargin, kButtonMargin, std::max(0, clientWidth - 2 * kButtonMargin),
               std::max(0, clientHeight - 2 * kButtonMargin), TRUE);
}

INT_PTR DXCC::onMessage(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: {
            RECT client;
            if (GetClientRect(window(), &client)) {
                fitButton(client.right, client.bottom);
            }
            return FALSE;  // and the default handling
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item == nullptr || item->CtlID != IDC_DXCC_GRID) {
                return FALSE;
            }
            button_.draw(*item);
            return TRUE;
        }
        default:
            return FALSE;
    }
}
