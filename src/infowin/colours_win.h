// The contest's colours as Win32 takes them.
#pragma once

#include <windows.h>

#include "engine/contest.h"

namespace torv::infowin {

inline COLORREF toColorRef(const engine::contest::Colour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace torv::infowin
