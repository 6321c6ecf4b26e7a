#include "infowin/remembered_position.h"

#include "ports/settings.h"

namespace torv::infowin {

namespace contest = engine::contest;
using ports::Settings;

RememberedPosition::RememberedPosition(Settings& settings, const contest::WindowPlace& place)
    : settings_(settings), xKey_(place.xKey), yKey_(place.yKey), defaultX_(place.x), defaultY_(place.y) {}

void RememberedPosition::restore() {
    x_ = settings_.readNumber(xKey_);
    y_ = settings_.readNumber(yKey_);
    if (x_ == 0) {
        x_ = defaultX_;
    }
    if (y_ == 0) {
        y_ = defaultY_;
    }
}

void RememberedPosition::update(int left, int top) {
    // Written whole: a desktop of several monitors has corners left of -999.
    if (left != x_) {
        x_ = left;
        settings_.writeText(xKey_, std::to_string(left));
    }
    if (top != y_) {
        y_ = top;
        settings_.writeText(yKey_, std::to_string(top));
    }
}

}  // namespace torv::infowin
