// The text conversions at the host link's UTF-16 boundary.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

#include "win/scoped_win.h"

namespace torv::assistant {

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

}  // namespace torv::assistant
