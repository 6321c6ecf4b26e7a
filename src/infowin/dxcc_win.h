// The worked-before window "CALL" on Windows: template 108, a resizable
// window filled by the owner-drawn grid button, at the position kept in
// "dxcc_x"/"dxcc_y".
#pragma once

#include <string>

#include "infowin/info_button_win.h"
#include "infowin/info_dialog_win.h"
#include "ports/views.h"

namespace torv::engine {
class ContestEngine;
class WorkedBeforeState;
}  // namespace torv::engine
namespace torv::ports {
class Settings;
}  // namespace torv::ports

class DXCC : public torv::ports::CallView, public torv::infowin::InfoDialog {
    // The tests reach the grid button (tests/support/info_windows_access.h).
    friend struct InfoWindowsTestAccess;

public:
    // Creates and shows the window on the calling thread, which must pump
    // messages and later destroy the object. The grid paints from the
    // state and from the engine's worked rows, both outliving the object.
    DXCC(torv::ports::Settings& settings, torv::engine::ContestEngine& engine, torv::engine::WorkedBeforeState& state);
    // Destroys the window (on the thread that created it).
    ~DXCC() override;

    void setCaption(const std::string& caption) override;
    // Repaints the whole grid at the button's next WM_PAINT.
    void refreshGrid() override;

private:
    BOOL onInit() override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Fits the button to the client area with a margin of 5 pixels.
    void fitButton(int clientWidth, int clientHeight);

    CZetoInfoButton button_;
};
