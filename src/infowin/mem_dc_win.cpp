#include "infowin/mem_dc_win.h"

CMemDC::CMemDC(HDC target) : target_(target), memory_(CreateCompatibleDC(target)) {
    GetClipBox(target, &rect_);
    if (!memory_) {
        return;
    }
    // A bitmap compatible with the target, not with the memory context, whose
    // own default bitmap is monochrome.
    bitmap_.reset(CreateCompatibleBitmap(target, rect_.right - rect_.left, rect_.bottom - rect_.top));
    if (!bitmap_) {
        memory_.reset();
        return;
    }
    previousBitmap_ = SelectObject(memory_.get(), bitmap_.get());
    SetWindowOrgEx(memory_.get(), rect_.left, rect_.top, nullptr);
}

CMemDC::~CMemDC() {
    if (!memory_) {
        return;
    }
    BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, memory_.get(),
           rect_.left, rect_.top, SRCCOPY);
    // A bitmap still selected into a context cannot be deleted.
    SelectObject(memory_.get(), previousBitmap_);
}
