// Pictures of what a test draws: the pixels a drawing leaves on a bitmap of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace qm::test {

// A picture: 0xRRGGBB per pixel, row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    bool operator==(const Picture&) const = default;
};

// What draw leaves on a width x height bitmap of 32 bits a pixel.
inline Picture DrawnPicture(int width, int height, const std::function<void(HDC)>& draw) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    draw(dc);
    GdiFlush();
    const auto* src = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = src[i] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    return p;
}

}  // namespace qm::test
