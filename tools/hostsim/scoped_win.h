// Move-only owners of the Win32 handles the simulator uses.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

// A kernel handle closed with CloseHandle (an event, a process, a thread).
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_ != nullptr) {
            CloseHandle(std::exchange(handle_, nullptr));
        }
    }

private:
    HANDLE handle_ = nullptr;
};

// A manual-reset event, unsignalled at first.
inline ScopedHandle makeEvent() {
    return ScopedHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

// COM on this thread as a single-threaded apartment, like a GUI host's main
// thread; uninitialised when the object goes (only if it was initialised).
class ScopedComApartment {
public:
    ScopedComApartment() : result_(CoInitialize(nullptr)) {}
    ~ScopedComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};
