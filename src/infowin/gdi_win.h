// Owners of the Win32 handles the plug-in's windows allocate: memory device
// contexts, bitmaps, brushes and windows. Each releases its handle when it
// goes; copies are forbidden, moves hand the handle over.
//
// Every kind keeps a count of the handles owned right now, so a test can see
// that painting frees all it allocates even where the system cannot report
// a process's GDI objects (wine's GetGuiResources always answers 0).
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

// Each release policy names the handle type, frees one handle, and keeps the
// count of live handles of its kind.
struct MemoryDcRelease {
    static void release(HDC dc) { DeleteDC(dc); }
    static inline std::atomic<long> live{0};
};

struct GdiObjectRelease {
    static void release(HGDIOBJ object) { DeleteObject(object); }
    static inline std::atomic<long> live{0};
};

struct WindowRelease {
    static void release(HWND window) { DestroyWindow(window); }
    static inline std::atomic<long> live{0};
};

template <typename Handle, typename Release>
class ScopedHandle {
public:
    ScopedHandle() = default;
    // Takes ownership; a null handle (a failed creation) owns nothing.
    explicit ScopedHandle(Handle handle) : handle_(handle) {
        if (handle_ != nullptr) {
            ++Release::live;
        }
    }
    ~ScopedHandle() { reset(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Frees the owned handle, if any, and owns the new one.
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Release::release(handle_);
            --Release::live;
        }
        handle_ = handle;
        if (handle_ != nullptr) {
            ++Release::live;
        }
    }

    // Gives the handle up without freeing it.
    Handle release() {
        if (handle_ != nullptr) {
            --Release::live;
        }
        return std::exchange(handle_, nullptr);
    }

    // How many handles of this kind are owned right now, process-wide.
    static long liveCount() { return Release::live; }

private:
    Handle handle_ = nullptr;
};

// A device context from CreateCompatibleDC (not one from GetDC or BeginPaint).
using ScopedMemoryDc = ScopedHandle<HDC, MemoryDcRelease>;
// GDI objects: brushes, bitmaps (and pens, fonts, regions) share one count.
using ScopedBitmap = ScopedHandle<HBITMAP, GdiObjectRelease>;
using ScopedBrush = ScopedHandle<HBRUSH, GdiObjectRelease>;
// A window destroyed with it; only for windows of the calling thread.
using ScopedWindow = ScopedHandle<HWND, WindowRelease>;

// An object selected into a device context for the lifetime of this guard;
// the previous one is selected back after. The object itself is not owned.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

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
