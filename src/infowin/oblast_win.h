// The area window "Brazil Area" on Windows: template 106, one check box per
// multiplier area on a pale yellow background, at the position kept in
// "oblast_x"/"oblast_y".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/area.h"
#include "infowin/info_dialog_win.h"
#include "ports/views.h"
#include "win/dialog_colours_win.h"
#include "win/scoped_win.h"

namespace torv::ports {
class Settings;
}  // namespace torv::ports

// The control ids of the boxes of the window, in template order: the box
// kAreaBoxIds[i] stands for the area kAreas[i] and is labelled with it.
namespace torv::infowin {

extern const std::array<int, engine::kAreas.size()> kAreaBoxIds;

}  // namespace torv::infowin

class oblast : public torv::ports::AreaView, public torv::infowin::InfoDialog {
public:
    // Creates and shows the window on the calling thread, which must pump
    // messages and later destroy the object; every box starts clear.
    explicit oblast(torv::ports::Settings& settings);
    // Destroys the window (on the thread that created it), then its brush.
    ~oblast() override;

    void setCaption(const std::string& caption) override;
    // Ticks the boxes whose labels equal a code of the list exactly (case
    // included) and clears all others, those ticked by hand too. Codes that
    // name no box are ignored.
    void markAreas(const std::vector<std::string>& areas) override;

private:
    BOOL onInit() override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    torv::win::ScopedBrush background_;
};
