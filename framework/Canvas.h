// Colours, the three drawing tools (font, pen, brush) and the canvas that draws with
// them on a device context. A tool owns its platform object, makes it on first use and
// remakes it after a change; the canvas keeps the current tools selected.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "framework/GdiObject.h"
#include "framework/Property.h"

namespace qm {

// An RGB value (red in the low byte), or a system colour: 0x80000000 | COLOR_xxx.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

COLORREF ColorToRGB(TColor color);

// The form font: "MS P Gothic" (its Japanese name, in full-width letters).
extern const char kDefaultFontName[];

// What the three tools share: the platform object, made on demand, and the
// notification after a change of an attribute.
template <typename Object>
class TTool {
  public:
    // Raised after every change, the new platform object already made on demand; the
    // old one is deleted only after the listeners have let go of it.
    std::function<void()> OnChange;

  protected:
    template <typename T, typename V>
    void Set(T& field, V&& value) {
        if (StoreChange(field, std::forward<V>(value))) Changed();
    }
    void Changed() {
        Object old = std::move(handle_);
        if (OnChange) OnChange();
    }

    Object handle_;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Height follows the platform's rule: negative is the character height in pixels,
// positive the cell height. New fonts are the form font, 12 pixels, Shift-JIS.
class TFont : public TTool<FontHandle> {
  public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { Set(name_, std::move(name)); }
    int Height() const { return height_; }
    void SetHeight(int height) { Set(height_, height); }
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset) { Set(charset_, charset); }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { Set(color_, color); }
    unsigned Style() const { return style_; }
    void SetStyle(unsigned style) { Set(style_, style); }

    // Copies every attribute; one change notification.
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    HFONT Handle();

  private:
    std::string name_ = kDefaultFontName;
    int height_ = -12;
    BYTE charset_ = SHIFTJIS_CHARSET;
    TColor color_ = clWindowText;
    unsigned style_ = 0;
};

class TPen : public TTool<PenHandle> {
  public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { Set(color_, color); }
    int Width() const { return width_; }
    void SetWidth(int width) { Set(width_, width); }
    int Style() const { return style_; }  // PS_SOLID, PS_NULL, ...
    void SetStyle(int style) { Set(style_, style); }
    HPEN Handle();

  private:
    TColor color_ = clBlack;
    int width_ = 1;
    int style_ = PS_SOLID;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TTool<BrushHandle> {
  public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { Set(color_, color); }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style) { Set(style_, style); }
    HBRUSH Handle();

  private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// Draws on a device context it does not own. A canvas without a context asks
// CreateHandle for one (a control's canvas takes its window's); every drawing
// call raises Exception when none can be had.
class TCanvas {
  public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle();
    bool HandleAllocated() const { return dc_ != nullptr; }
    // Takes a device context (null lets go of the current one). The context's state
    // is saved on taking and restored on letting go.
    void SetHandle(HDC dc);

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD rop) { copyMode_ = rop; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    // Text in the font's colour; opaque on the brush colour unless the brush is clear.
    void TextOut(int x, int y, std::string_view text);
    void TextRect(const RECT& rect, int x, int y, std::string_view text);
    // Tabbed output with one tab distance and a tab origin; returns the platform's
    // answer (width in the low word, height in the high word).
    DWORD TabbedTextOut(int x, int y, std::string_view text, int tabWidth, int tabOrigin);
    SIZE TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    TEXTMETRICA TextMetrics();
    // Copies a rectangle of another canvas (or of this one) with CopyMode.
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);
    COLORREF Pixel(int x, int y);
    void SetPixel(int x, int y, COLORREF color);
    RECT ClipRect();

  protected:
    // Supplies a device context on demand; the default has none.
    virtual void CreateHandle() {}

  private:
    void SelectTools();

    HDC dc_ = nullptr;
    int saved_ = 0;
    DWORD copyMode_ = SRCCOPY;
    TFont font_;
    TPen pen_;
    TBrush brush_;
};

// Lends a device context to a canvas for one scope (one paint).
class CanvasOnDC {
  public:
    CanvasOnDC(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
    ~CanvasOnDC() { canvas_.SetHandle(nullptr); }
    CanvasOnDC(const CanvasOnDC&) = delete;
    CanvasOnDC& operator=(const CanvasOnDC&) = delete;

  private:
    TCanvas& canvas_;
};

}  // namespace qm
