// The worked-before grid on Windows: the owner-drawn button that fills the
// "CALL" window, and the execution of a grid picture on a device context.
#pragma once

#include <windows.h>

#include "infowin/grid_layout.h"

namespace torv::engine {
class ContestEngine;
class WorkedBeforeState;
}  // namespace torv::engine

// Draws the picture onto dc: every fill as a solid rectangle, then every
// text at its position, transparently, in the context's current font and
// text colour. Allocates nothing that outlives the call.
namespace torv::infowin {

void paintGridPicture(HDC dc, const GridPicture& picture);

}  // namespace torv::infowin

// The grid button. It owns no window: its dialog forwards the button's
// WM_DRAWITEM here and asks it for repaints.
class CZetoInfoButton {
public:
    CZetoInfoButton(torv::engine::ContestEngine& engine, torv::engine::WorkedBeforeState& state);

    // The button control this object paints; nullptr until attached.
    void attach(HWND button) { button_ = button; }
    HWND handle() const { return button_; }

    // Paints the whole grid for a draw request of the button, whatever its
    // action and state: the state's call and band, and a copy of the worked
    // rows taken under the store's lock, laid out on the item rectangle and
    // drawn off screen, then copied to the button in one go.
    void draw(const DRAWITEMSTRUCT& item);

    // Asks for a repaint of the whole button at its next WM_PAINT.
    void refresh();

private:
    torv::engine::ContestEngine& engine_;
    torv::engine::WorkedBeforeState& state_;
    HWND button_ = nullptr;
};
