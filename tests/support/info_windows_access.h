// What the tests read of the info windows that the plug-in never needs.
#pragma once

#include <windows.h>

#include "infowin/dxcc_win.h"
#include "infowin/mem_dc_win.h"

struct InfoWindowsTestAccess {
    // The grid button; nullptr when the window could not be created.
    static HWND gridButton(const DXCC& view) { return view.button_.handle(); }
    // The target's clipping box, which the memory bitmap covers.
    static const RECT& rect(const CMemDC& memory) { return memory.rect_; }
};
