// The worked-before grid as a picture: solid fills and texts at pixel
// positions, computed from the button's size and the worked-before state
// alone, so it is tested without a window. The Win32 side only executes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/contest.h"
#include "engine/store.h"

namespace torv::infowin {

using engine::contest::Colour;

struct GridFill {
    int left, top, right, bottom;
    engine::contest::Colour colour;
};

struct GridText {
    int x, y;  // top-left corner of the text
    std::string text;
};

struct GridPicture {
    std::vector<GridFill> fills;  // in drawing order
    std::vector<GridText> texts;  // drawn transparently over the fills
};

// The grid of a button whose item rectangle is (0, 0, width, height). An
// empty call shows only the no-call background. Otherwise: the table
// background; the stripe of the current band (none for -1); the header (the
// call and the column titles); and the rows of "80m" to "10m" on lines 2 to
// 6 of the seven the height is divided into. The "160m" row is never drawn.
// Texts a row lacks are left out.
GridPicture layoutGrid(int width, int height, const std::string& currentCall, int bandIndex,
                       const engine::WorkedRows& rows);

}  // namespace torv::infowin
