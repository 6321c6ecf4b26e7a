// The colours a dialog answers for itself and its controls.
#pragma once

#include <windows.h>

namespace torv::win {

// True for the WM_CTLCOLOR* messages, by which a dialog is asked the colours
// of itself and of each of its controls.
inline bool isControlColourMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Answers one of them: black text on the background colour, and the brush of
// that colour returned as a dialog procedure must.
inline INT_PTR blackOnBackground(WPARAM dc, COLORREF background, HBRUSH brush) {
    SetTextColor(reinterpret_cast<HDC>(dc), RGB(0, 0, 0));
    SetBkColor(reinterpret_cast<HDC>(dc), background);
    return reinterpret_cast<INT_PTR>(brush);
}

}  // namespace torv::win
