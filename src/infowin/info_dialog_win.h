// What the two info windows have in common: a modeless dialog of the
// plug-in's resources with no owner, opened where its settings keys say and
// remembering where the user moves it, the plug-in's icon, hidden (not
// destroyed) when the user closes it, destroyed with its object.
#pragma once

#include <windows.h>

#include <string>

#include "infowin/remembered_position.h"
#include "win/scoped_win.h"

namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::infowin {

class InfoDialog {
public:
    InfoDialog(const InfoDialog&) = delete;
    InfoDialog& operator=(const InfoDialog&) = delete;

    // The dialog window; nullptr when it could not be created (every
    // operation on the object then does nothing).
    HWND window() const { return window_.get(); }

protected:
    // place: the settings keys of the window's top-left corner and its default.
    InfoDialog(ports::Settings& settings, const engine::contest::WindowPlace& place);
    // Destroys the window if destroy() has not.
    virtual ~InfoDialog();

    // Creates the dialog from the template on the calling thread and shows
    // it. Call from the most derived constructor's body: the window's first
    // messages already reach the derived handlers.
    void create(int templateId);

    // Destroys the window now, without calling the handlers any more. A
    // derived destructor calls it before freeing what the window uses. Only
    // the window's own thread can destroy it.
    void destroy();

    void setWindowText(const std::string& text);

    // WM_INITDIALOG after the common part (position, icon); returns the
    // dialog procedure's answer.
    virtual BOOL onInit() { return TRUE; }
    // Every other message the common part leaves: the dialog procedure's
    // answer (FALSE for the default handling).
    virtual INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    // The dialog procedure's two parts (dialogProcedure).
    static INT_PTR dialogMessage(InfoDialog& self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR dialogFailed(HWND window);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    RememberedPosition position_;
    win::ScopedWindow window_;
};

}  // namespace torv::infowin
