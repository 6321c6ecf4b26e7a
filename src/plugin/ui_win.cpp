#include "plugin/ui_win.h"

#include <windows.h>

#include "win/export_call_win.h"

namespace torv::plugin {

using ports::MessageIcon;
using ports::ShownMessage;

void WindowsUi::showMessage(const ShownMessage& message) {
    UINT flags = MB_OK;
    if (message.icon == MessageIcon::kInformation) {
        flags |= MB_ICONINFORMATION;
    } else if (message.icon == MessageIcon::kError) {
        flags |= MB_ICONERROR;
    }
    // A message box runs a loop: a message it dispatches may unload us.
    win::holdPluginModuleDuringExport();
    HWND owner = message.ownedByActiveWindow ? GetActiveWindow() : nullptr;
    MessageBoxA(owner, message.text.c_str(), message.caption ? message.caption->c_str() : nullptr, flags);
}

}  // namespace torv::plugin
