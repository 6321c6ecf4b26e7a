#include "infowin/info_button_win.h"

#include "engine/contest_engine.h"
#include "engine/worked_before.h"
#include "infowin/colours_win.h"
#include "infowin/mem_dc_win.h"
#include "win/scoped_win.h"

using torv::engine::ContactStore;
using torv::engine::ContestEngine;
using torv::engine::WorkedBeforeSnapshot;
using torv::engine::WorkedBeforeState;
using torv::engine::WorkedRows;
using torv::infowin::GridPicture;
using torv::infowin::layoutGrid;
using torv::infowin::paintGridPicture;
using torv::win::ScopedBrush;

namespace torv::infowin {

void paintGridPicture(HDC dc, const GridPicture& picture) {
    for (const GridFill& fill : picture.fills) {
        const ScopedBrush brush(CreateSolidBrush(toColorRef(fill.colour)));
        const RECT rect = {fill.left, fill.top, fill.right, fill.bottom};
        FillRect(dc, &rect, brush.get());
    }
    SetBkMode(dc, TRANSPARENT);
    for (const GridText& text : picture.texts) {
        TextOutA(dc, text.x, text.y, text.text.c_str(), static_cast<int>(text.text.size()));
    }
}

}  // namespace torv::infowin

CZetoInfoButton::CZetoInfoButton(ContestEngine& engine, WorkedBeforeState& state) : engine_(engine), state_(state) {}

void CZetoInfoButton::draw(const DRAWITEMSTRUCT& item) {
    // Copies first: the tick may change the state and the host's thread the
    // rows while this paints, and no lock is held while drawing.
    const WorkedBeforeSnapshot snapshot = state_.snapshot();
    const WorkedRows rows = engine_.withStore([](const ContactStore& store) { return store.workedRows(); });
    const GridPicture picture =
        layoutGrid(item.rcItem.right, item.rcItem.bottom, snapshot.currentCall, snapshot.bandIndex, rows);
    // The memory context starts with the system font and black text, which
    // the grid is drawn in.
    const CMemDC memory(item.hDC);
    paintGridPicture(memory.dc(), picture);
}

void CZetoInfoButton::refresh() {
    if (button_ != nullptr) {
        InvalidateRect(button_, nullptr, FALSE);
    }
}
