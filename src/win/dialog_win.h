// The object a dialog procedure works for. CreateDialogParam and
// DialogBoxParam hand it over with WM_INITDIALOG; it is kept in the window
// (DWLP_USER) for every later message.
#pragma once

#include <windows.h>

// On WM_INITDIALOG stores lParam as the dialog's object and returns it;
// otherwise returns the stored object: nullptr before WM_INITDIALOG (the
// controls do not exist yet) and after the owner has cleared it.
template <typename T>
T* dialogObject(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return reinterpret_cast<T*>(lParam);
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}
