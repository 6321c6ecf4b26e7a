// The simulator's own conversions between the process's ANSI code page and
// UTF-16, at its automation object's boundary. The plug-in has its own: a
// conversion fault shared by both sides would pass unseen.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pelksim {

// UTF-16 to the ANSI code page; characters it cannot hold become its default
// character.
inline std::string ansiFromWide(std::wstring_view wide) {
    if (wide.empty()) {
        return std::string();
    }
    // Two bytes per UTF-16 unit hold any double-byte code page's text.
    std::string ansi(wide.size() * 2, '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                                            static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return ansi;
}

// The ANSI code page to UTF-16.
inline std::wstring wideFromAnsi(std::string_view ansi) {
    if (ansi.empty()) {
        return std::wstring();
    }
    // One UTF-16 unit per byte at most.
    std::wstring wide(ansi.size(), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                            static_cast<int>(wide.size()));
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

}  // namespace pelksim
