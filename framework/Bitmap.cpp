#include "framework/Bitmap.h"

#include <algorithm>

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

TBitmap::TBitmap() {
    if (!dc_.Get()) throw Exception(kNoMemoryDCMessage);
    canvas_.SetHandle(dc_.Get());
}

TBitmap::~TBitmap() {
    canvas_.SetHandle(nullptr);
    if (original_) SelectObject(dc_.Get(), original_);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    BitmapHandle fresh;
    if (width > 0 && height > 0) {
        // Compatible with the screen, not with the memory context (which is monochrome).
        WindowDC screen(nullptr);
        fresh.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
        if (!fresh) throw Exception(kNoBitmapMessage);
    }
    if (fresh && bitmap_) {
        MemoryDC copy;
        SelectedObject into(copy.Get(), fresh.Get());
        BitBlt(copy.Get(), 0, 0, std::min(width, width_), std::min(height, height_), dc_.Get(), 0,
               0, SRCCOPY);
    }
    // Swap the selection while the canvas keeps its tools selected.
    if (fresh) {
        HGDIOBJ previous = SelectObject(dc_.Get(), fresh.Get());
        if (!original_) original_ = previous;
    } else if (original_) {
        SelectObject(dc_.Get(), original_);
        original_ = nullptr;
    }
    bitmap_ = std::move(fresh);
    width_ = width;
    height_ = height;
}

}  // namespace qm
