#include "infowin/grid_layout.h"

namespace torv::infowin {

namespace contest = engine::contest;
using engine::WorkedRows;

namespace {

constexpr int kLines = 7;
constexpr int kStripeShortfall = 10;  // the stripe stops this far above the next line
constexpr int kRowColumns[] = {20, 100, 180, 270};

struct HeaderText {
    int x, y;
    const char* text;
};
constexpr HeaderText kColumnTitles[] = {{100, 18, "TIME"}, {180, 18, "MODE"}, {260, 18, "Area"}};
constexpr int kCallX = 160;

}  // namespace

GridPicture layoutGrid(int width, int height, const std::string& currentCall, int bandIndex, const WorkedRows& rows) {
    GridPicture picture;
    if (currentCall.empty()) {
        picture.fills.push_back({0, 0, width, height, contest::kBackground});
        return picture;
    }
    picture.fills.push_back({0, 0, width, height, contest::kTableBackground});
    const int pitch = height / kLines;
    const int stripeTop = (bandIndex + 1) * pitch;
    const int stripeBottom = (bandIndex + 2) * pitch - kStripeShortfall;
    if (bandIndex >= 0 && stripeBottom > stripeTop) {  // a button too low for lines has no stripe
        picture.fills.push_back({0, stripeTop, width, stripeBottom, contest::kBandStripe});
    }
    picture.texts.push_back({kCallX, 0, currentCall});
    for (const HeaderText& title : kColumnTitles) {
        picture.texts.push_back({title.x, title.y, title.text});
    }
    // Line 1 belongs to "160m" and stays empty.
    for (int line = 2; line < kLines; ++line) {
        const auto& row = rows[static_cast<size_t>(line - 1)];
        for (size_t column = 0; column < row.size() && column < 4; ++column) {
            picture.texts.push_back({kRowColumns[column], line * pitch, row[column]});
        }
    }
    return picture;
}

}  // namespace torv::infowin
