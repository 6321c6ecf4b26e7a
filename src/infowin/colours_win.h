// The contest's colours as Win32 takes them.
#pragma once

#include <windows.h>

#include "engine/contest.h"

inline COLORREF toColorRef(const torv::engine::contest::Colour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}
