#include "infowin/remembered_position.h"

#include "ports/settings.h"

RememberedPosition::RememberedPosition(Settings& settings, std::string xKey, std::string yKey, int defaultX,
                                       int defaultY)
    : settings_(settings), xKey_(std::move(xKey)), yKey_(std::move(yKey)), defaultX_(defaultX), defaultY_(defaultY) {}

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
