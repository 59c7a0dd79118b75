#include "framework/Canvas.h"

#include <cstring>

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

// "MS P Gothic", written in full-width letters and katakana
const char kDefaultFontName[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

COLORREF ColorToRGB(TColor color) {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// TFont

void TFont::Assign(const TFont& other) {
    if (SameAs(other)) return;
    name_ = other.name_;
    height_ = other.height_;
    charset_ = other.charset_;
    color_ = other.color_;
    style_ = other.style_;
    Changed();
}

bool TFont::SameAs(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && charset_ == other.charset_ &&
           color_ == other.color_ && style_ == other.style_;
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

// TPen

HPEN TPen::Handle() {
    if (!handle_) handle_.Reset(CreatePen(style_, width_, ColorToRGB(color_)));
    return handle_.Get();
}

// TBrush

HBRUSH TBrush::Handle() {
    if (!handle_) {
        if (style_ == bsClear) {
            LOGBRUSH lb{BS_NULL, 0, 0};
            handle_.Reset(CreateBrushIndirect(&lb));
        } else {
            handle_.Reset(CreateSolidBrush(ColorToRGB(color_)));
        }
    }
    return handle_.Get();
}

// TCanvas

TCanvas::TCanvas() {
    font_.OnChange = [this] {
        if (dc_) SelectTools();
    };
    pen_.OnChange = font_.OnChange;
    brush_.OnChange = font_.OnChange;
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
}

HDC TCanvas::Handle() {
    if (!dc_) CreateHandle();
    if (!dc_) throw Exception(kCanvasNotDrawableMessage);
    return dc_;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == dc_) return;
    if (dc_) {
        // Puts the context's own objects back, so that ours can be deleted.
        RestoreDC(dc_, saved_);
        saved_ = 0;
    }
    dc_ = dc;
    if (dc_) {
        saved_ = SaveDC(dc_);
        SelectTools();
    }
}

void TCanvas::SelectTools() {
    SelectObject(dc_, font_.Handle());
    SelectObject(dc_, pen_.Handle());
    SelectObject(dc_, brush_.Handle());
    SetTextColor(dc_, ColorToRGB(font_.Color()));
    if (brush_.Style() == bsClear) {
        SetBkMode(dc_, TRANSPARENT);
    } else {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, ColorToRGB(brush_.Color()));
    }
}

void TCanvas::MoveTo(int x, int y) {
    MoveToEx(Handle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    ::LineTo(Handle(), x, y);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    ::Rectangle(Handle(), left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    ::Ellipse(Handle(), left, top, right, bottom);
}

void TCanvas::FillRect(const RECT& rect) {
    ::FillRect(Handle(), &rect, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
    ::FrameRect(Handle(), &rect, brush_.Handle());
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    ::TextOutA(Handle(), x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, std::string_view text) {
    const UINT options = ETO_CLIPPED | (brush_.Style() == bsClear ? 0 : ETO_OPAQUE);
    ::ExtTextOutA(Handle(), x, y, options, &rect, text.data(), static_cast<UINT>(text.size()),
                  nullptr);
}

DWORD TCanvas::TabbedTextOut(int x, int y, std::string_view text, int tabWidth, int tabOrigin) {
    int tabs[1] = {tabWidth};
    const LONG r = ::TabbedTextOutA(Handle(), x, y, text.data(), static_cast<int>(text.size()), 1,
                                    tabs, tabOrigin);
    return static_cast<DWORD>(r);
}

SIZE TCanvas::TextExtent(std::string_view text) {
    SIZE size{0, 0};
    GetTextExtentPoint32A(Handle(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

TEXTMETRICA TCanvas::TextMetrics() {
    TEXTMETRICA tm{};
    GetTextMetricsA(Handle(), &tm);
    return tm;
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
    HDC target = Handle();
    HDC from = source.Handle();
    StretchBlt(target, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, from,
               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
               sourceRect.bottom - sourceRect.top, copyMode_);
}

COLORREF TCanvas::Pixel(int x, int y) {
    return GetPixel(Handle(), x, y);
}

void TCanvas::SetPixel(int x, int y, COLORREF color) {
    ::SetPixel(Handle(), x, y, color);
}

RECT TCanvas::ClipRect() {
    RECT r{};
    GetClipBox(Handle(), &r);
    return r;
}

}  // namespace qm
