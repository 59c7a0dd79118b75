// Icons of one colour, and reading the colour an icon draws, for tests that need to
// tell pictures apart.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/tests/PictureTestSupport.h"

namespace qm::test {

// A 16 x 16 opaque icon filled with one colour; the caller destroys it.
inline HICON SolidIcon(COLORREF color) {
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture);
    HBRUSH brush = CreateSolidBrush(color);
    const RECT all{0, 0, 16, 16};
    FillRect(dc, &all, brush);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    const std::vector<std::uint8_t> opaque(16 * 2, 0);  // monochrome rows are word-aligned
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, opaque.data());
    ICONINFO info{TRUE, 0, 0, mask, picture};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(picture);
    return icon;
}

// The colour the icon draws at its centre on a black background; black for none.
inline COLORREF IconColor(HICON icon) {
    if (!icon) return RGB(0, 0, 0);
    const std::uint32_t centre = DrawnPicture(16, 16, [icon](HDC dc) {
                                     PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
                                     DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
                                 }).At(8, 8);
    return RGB((centre >> 16) & 0xFF, (centre >> 8) & 0xFF, centre & 0xFF);
}

}  // namespace qm::test
