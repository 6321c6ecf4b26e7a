// Ownership of the COM values the host link handles, and the text
// conversions at the host's UTF-16 boundary. The host simulator serves the
// other side of the same link with the same owners.
//
// Every owner is move-only: a copy would release twice.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <utility>

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

// Text in a code page to UTF-16 and back. Characters the code page cannot
// hold come out as its default character.
inline std::wstring wideFromCodePage(const std::string& text, UINT codePage) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    }
    return wide;
}

inline std::string codePageFromWide(const wchar_t* text, size_t length, UINT codePage) {
    if (text == nullptr || length == 0) {
        return std::string();
    }
    const int size = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), &narrow[0], size, nullptr, nullptr);
    }
    return narrow;
}

// A BSTR's text; a null BSTR is "".
inline std::string codePageFromBstr(BSTR text, UINT codePage) {
    return codePageFromWide(text, text != nullptr ? SysStringLen(text) : 0, codePage);
}
