// An off-screen picture with its own canvas: a bitmap compatible with the screen,
// selected into a memory device context for as long as the bitmap exists.
#pragma once

#include <windows.h>

#include "framework/Canvas.h"
#include "framework/GdiObject.h"

namespace qm {

class TBitmap {
  public:
    TBitmap();
    ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Keeps the part of the picture that fits the new size; the rest is undefined.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }

    TCanvas& Canvas() { return canvas_; }
    HBITMAP Handle() const { return bitmap_.Get(); }

  private:
    MemoryDC dc_;
    BitmapHandle bitmap_;
    HGDIOBJ original_ = nullptr;  // the context's own bitmap, put back before ours goes
    int width_ = 0;
    int height_ = 0;
    TCanvas canvas_;  // declared last: lets go of the context first
};

}  // namespace qm
