#include "infowin/info_dialog_win.h"

#include "infowin_resource.h"
#include "win/dialog_win.h"
#include "win/plugin_module_win.h"

namespace torv::infowin {

namespace contest = engine::contest;
using ports::Settings;
using win::dialogProcedure;
using win::pluginModule;

InfoDialog::InfoDialog(Settings& settings, const contest::WindowPlace& place) : position_(settings, place) {}

InfoDialog::~InfoDialog() {
    destroy();
}

void InfoDialog::create(int templateId) {
    HWND created =
        CreateDialogParamA(pluginModule(), MAKEINTRESOURCEA(templateId), nullptr,
                           dialogProcedure<InfoDialog, dialogMessage, dialogFailed>, reinterpret_cast<LPARAM>(this));
    if (created == nullptr) {
        // A dialog that failed after WM_INITDIALOG is gone already.
        window_.release();
        return;
    }
    if (window_.get() != created) {
        window_.reset(created);
    }
    ShowWindow(created, SW_SHOW);
}

void InfoDialog::destroy() {
    if (window_) {
        SetWindowLongPtrA(window_.get(), DWLP_USER, 0);
        window_.reset();
    }
}

void InfoDialog::setWindowText(const std::string& text) {
    if (window_) {
        SetWindowTextA(window_.get(), text.c_str());
    }
}

INT_PTR InfoDialog::dialogMessage(InfoDialog& self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        self.window_.reset(window);
    }
    return self.handle(message, wParam, lParam);
}

INT_PTR InfoDialog::dialogFailed(HWND) {
    // The message gets the default handling and the window carries on.
    return FALSE;
}

INT_PTR InfoDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_.get();
    switch (message) {
        case WM_INITDIALOG: {
            position_.restore();
            SetWindowPos(window, nullptr, position_.x(), position_.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            // An icon loaded by LoadIcon is shared and never destroyed.
            SendMessageA(window, WM_SETICON, ICON_BIG,
                         reinterpret_cast<LPARAM>(LoadIconA(pluginModule(), MAKEINTRESOURCEA(IDI_STATS))));
            return onInit();
        }
        case WM_SETCURSOR: {
            // The mouse is over the window: wherever the user has moved it
            // meanwhile is remembered, before the default cursor handling.
            RECT rect;
            if (GetWindowRect(window, &rect)) {
                position_.update(rect.left, rect.top);
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                // Closed by the user (close box or Esc): only hidden, so its
                // owner can keep feeding it until it destroys it.
                ShowWindow(window, SW_HIDE);
                return TRUE;
            }
            return onMessage(message, wParam, lParam);
        case WM_NCDESTROY:
            // Destroyed from outside (its thread ended): the object must not
            // destroy a handle that may have been reused by then.
            SetWindowLongPtrA(window, DWLP_USER, 0);
            window_.release();
            return FALSE;
        default:
            return onMessage(message, wParam, lParam);
    }
}

}  // namespace torv::infowin
