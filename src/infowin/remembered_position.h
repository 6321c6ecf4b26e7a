// Where a window of the plug-in opens, and the saving of its position when it
// has been moved: each window keeps its top-left corner in two settings keys.
#pragma once

#include <string>

#include "engine/contest.h"

namespace torv::ports {
class Settings;
}  // namespace torv::ports

namespace torv::infowin {

class RememberedPosition {
public:
    // The place's keys and default corner; a stored 0 (or nothing) gives
    // the default coordinate.
    RememberedPosition(ports::Settings& settings, const engine::contest::WindowPlace& place);

    // Reads both keys and remembers the result: where the window opens.
    void restore();
    int x() const { return x_; }
    int y() const { return y_; }

    // The window's top-left corner now (on every mouse move over it): each
    // coordinate that differs from the remembered one is remembered and
    // written, in full, however many digits it takes.
    void update(int left, int top);

private:
    ports::Settings& settings_;
    std::string xKey_;
    std::string yKey_;
    int defaultX_;
    int defaultY_;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace torv::infowin
