// Flicker-free painting: draw into an off-screen copy of a device context's
// visible part, which is copied onto the target in one blit at the end.
#pragma once

#include <windows.h>

#include "win/scoped_win.h"

class CMemDC {
    // The tests read the box the bitmap covers (tests/support/info_windows_access.h).
    friend struct InfoWindowsTestAccess;

public:
    // A memory device context compatible with target, covering target's
    // clipping box in target's own logical coordinates: whatever is drawn
    // into dc() at (x, y) lands at (x, y) on the target.
    explicit CMemDC(HDC target);
    // Copies the box onto the target, then frees the bitmap and the context.
    ~CMemDC();

    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The memory device context to draw into; nullptr if it could not be made
    // (drawing into a null context fails harmlessly).
    HDC dc() const { return memory_.get(); }

private:
    HDC target_;
    RECT rect_{};
    // Members go in reverse order: the bitmap is deleted before its context.
    torv::win::ScopedMemoryDc memory_;
    torv::win::ScopedBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
};
