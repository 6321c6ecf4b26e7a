// The object a dialog procedure works for. CreateDialogParam and
// DialogBoxParam hand it over with WM_INITDIALOG; it is kept in the window
// (DWLP_USER) for every later message.
#pragma once

#include <windows.h>

namespace torv::win {

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

// The one skeleton of our dialog procedures: the message goes to `handle`
// with the dialog's object (none before WM_INITDIALOG nor once the owner
// has cleared it: the default handling), and no exception unwinds into the
// system: `failed` decides what a broken dialog does and answers for it.
template <typename T, INT_PTR (*handle)(T&, HWND, UINT, WPARAM, LPARAM), INT_PTR (*failed)(HWND)>
INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        T* self = dialogObject<T>(dialog, message, lParam);
        return self == nullptr ? FALSE : handle(*self, dialog, message, wParam, lParam);
    } catch (...) {
        return failed(dialog);
    }
}

}  // namespace torv::win
