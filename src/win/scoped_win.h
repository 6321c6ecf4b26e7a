// The Win32 owners every Windows file of the tree uses: kernel handles,
// memory device contexts, GDI objects, windows, COM interfaces, BSTRs,
// VARIANTs, an invocation's exception record and a COM apartment.
//
// Each owner releases what it holds when it goes; copies are forbidden and
// moves hand the resource over. The handle owners keep a count of the handles
// of their kind owned right now, so a test can see that painting frees all it
// allocates even where the system cannot report a process's GDI objects
// (wine's GetGuiResources always answers 0).
#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <string>
#include <utility>

namespace torv::win {

// Each release policy names how one handle of its kind is freed, which values
// own nothing, and keeps the count of live handles of its kind.
struct KernelHandleRelease {
    static void release(HANDLE handle) { CloseHandle(handle); }
    // CreateFile and a few others fail with INVALID_HANDLE_VALUE, not null.
    static bool owns(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static inline std::atomic<long> live{0};
};

struct MemoryDcRelease {
    static void release(HDC dc) { DeleteDC(dc); }
    static bool owns(HDC dc) { return dc != nullptr; }
    static inline std::atomic<long> live{0};
};

struct GdiObjectRelease {
    static void release(HGDIOBJ object) { DeleteObject(object); }
    static bool owns(HGDIOBJ object) { return object != nullptr; }
    static inline std::atomic<long> live{0};
};

struct WindowRelease {
    static void release(HWND window) { DestroyWindow(window); }
    static bool owns(HWND window) { return window != nullptr; }
    static inline std::atomic<long> live{0};
};

template <typename Handle, typename Release>
class ScopedOwner {
public:
    ScopedOwner() = default;
    // Takes ownership; a value that owns nothing (a failed creation) is kept
    // as null.
    explicit ScopedOwner(Handle handle) { reset(handle); }
    ~ScopedOwner() { reset(); }

    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;
    ScopedOwner(ScopedOwner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedOwner& operator=(ScopedOwner&& other) noexcept {
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
        handle_ = Release::owns(handle) ? handle : nullptr;
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

// A kernel handle closed with CloseHandle: an event, a thread, a process, a file.
using ScopedHandle = ScopedOwner<HANDLE, KernelHandleRelease>;
// A device context from CreateCompatibleDC (not one from GetDC or BeginPaint).
using ScopedMemoryDc = ScopedOwner<HDC, MemoryDcRelease>;
// GDI objects: brushes, bitmaps (and pens, fonts, regions) share one count.
using ScopedBitmap = ScopedOwner<HBITMAP, GdiObjectRelease>;
using ScopedBrush = ScopedOwner<HBRUSH, GdiObjectRelease>;
// A window destroyed with it; only for windows of the calling thread.
using ScopedWindow = ScopedOwner<HWND, WindowRelease>;

// A manual-reset event, unsignalled at first; empty when it cannot be made.
inline ScopedHandle makeEvent() {
    return ScopedHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

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

// The device context of a whole window (GetWindowDC), released to it.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~ScopedWindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// COM on this thread as a single-threaded apartment (a GUI thread's kind);
// uninitialised when the object goes, only if the initialisation succeeded.
class ScopedComApartment {
public:
    // A single-threaded apartment.
    ScopedComApartment() : result_(CoInitialize(nullptr)) {}
    // COINIT_APARTMENTTHREADED or COINIT_MULTITHREADED.
    explicit ScopedComApartment(DWORD model) : result_(CoInitializeEx(nullptr, model)) {}
    ~ScopedComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

    // S_OK, S_FALSE (already initialised on this thread: still paired), or
    // the failure, after which COM may not be used on this thread.
    HRESULT result() const { return result_; }
    bool initialised() const { return SUCCEEDED(result_); }
    // Keeps COM initialised on this thread past this object (for a thread
    // whose end must not uninitialise it, such as one inside a library's
    // unloading, where uninitialising may wait for the loader).
    void keep() { result_ = E_FAIL; }

private:
    HRESULT result_;
};

// An interface pointer holding one reference.
template <typename T>
class ScopedComPtr {
public:
    ScopedComPtr() = default;
    // Adopts a reference the caller already holds.
    explicit ScopedComPtr(T* adopted) : pointer_(adopted) {}
    ~ScopedComPtr() { reset(); }
    ScopedComPtr(ScopedComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ScopedComPtr& operator=(ScopedComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // Releases what is held and gives the slot for a function that returns
    // a new reference through an out parameter.
    T** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (pointer_ != nullptr) {
            std::exchange(pointer_, nullptr)->Release();
        }
    }

private:
    T* pointer_ = nullptr;
};

// A BSTR, freed with SysFreeString. A null BSTR is the empty string.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(const std::wstring& text)
        : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~ScopedBstr() { SysFreeString(bstr_); }
    ScopedBstr(ScopedBstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
    ScopedBstr& operator=(ScopedBstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(bstr_);
            bstr_ = std::exchange(other.bstr_, nullptr);
        }
        return *this;
    }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR get() const { return bstr_; }
    // Hands the string over to a new owner (a VARIANT, a caller).
    BSTR release() { return std::exchange(bstr_, nullptr); }
    // False when the allocation failed for a non-empty text.
    bool allocated() const { return bstr_ != nullptr; }

private:
    BSTR bstr_ = nullptr;
};

// A VARIANT, cleared with VariantClear (which frees a string or releases an
// interface it holds).
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&variant_); }
    ~ScopedVariant() { VariantClear(&variant_); }
    ScopedVariant(ScopedVariant&& other) noexcept : variant_(other.variant_) { VariantInit(&other.variant_); }
    ScopedVariant& operator=(ScopedVariant&& other) noexcept {
        if (this != &other) {
            VariantClear(&variant_);
            variant_ = other.variant_;
            VariantInit(&other.variant_);
        }
        return *this;
    }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* get() { return &variant_; }
    const VARIANT* get() const { return &variant_; }
    VARTYPE type() const { return V_VT(&variant_); }

    static ScopedVariant ofInteger(LONG value) {
        ScopedVariant result;
        V_VT(&result.variant_) = VT_I4;
        V_I4(&result.variant_) = value;
        return result;
    }
    // Takes the string over.
    static ScopedVariant ofString(ScopedBstr text) {
        ScopedVariant result;
        V_VT(&result.variant_) = VT_BSTR;
        V_BSTR(&result.variant_) = text.release();
        return result;
    }

private:
    VARIANT variant_;
};

// The BSTRs an IDispatch::Invoke may leave in its exception record.
class ScopedExcepInfo {
public:
    ScopedExcepInfo() : info_() {}
    ~ScopedExcepInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    ScopedExcepInfo(const ScopedExcepInfo&) = delete;
    ScopedExcepInfo& operator=(const ScopedExcepInfo&) = delete;
    EXCEPINFO* get() { return &info_; }

private:
    EXCEPINFO info_;
};

}  // namespace torv::win
