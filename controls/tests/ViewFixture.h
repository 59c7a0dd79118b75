// What the text view's tests share: a visible form holding one view, message pumping,
// pictures of the back buffer and the window, and real input through SendInput.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/BigView.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"
#include "framework/tests/PictureTestSupport.h"

namespace qm::test {

// Lets every pending message through, for at least ms milliseconds.
inline void Pump(DWORD ms = 0) {
    const DWORD start = GetTickCount();
    do {
        Application().ProcessMessages();
        if (ms) Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Pumps until done() holds or the time runs out; answers done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 2000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Application().ProcessMessages();
        Sleep(5);
    }
    return true;
}

// Copies a rectangle of a device context into a picture.
inline Picture Capture(HDC source, int x, int y, int width, int height) {
    return DrawnPicture(width, height,
                        [&](HDC dc) { BitBlt(dc, 0, 0, width, height, source, x, y, SRCCOPY); });
}

inline Picture CaptureBuffer(TBigView& view) {
    TBitmap& b = view.BackBuffer();
    return Capture(b.Canvas().Handle(), 0, 0, b.Width(), b.Height());
}

inline Picture CaptureWindow(TBigView& view) {
    HDC dc = GetDC(view.Handle());
    RECT r;
    GetClientRect(view.Handle(), &r);
    Picture p = Capture(dc, 0, 0, r.right, r.bottom);
    ReleaseDC(view.Handle(), dc);
    return p;
}

// 0xRRGGBB of a colour of ours.
inline std::uint32_t Rgb(TColor c) {
    const COLORREF v = ColorToRGB(c);
    return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
}

// Real input, as the platform's input queue delivers it.
inline void SendMouse(DWORD flags, int screenX, int screenY) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screenX, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    in.mi.dy = MulDiv(screenY, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

inline void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (vk >= VK_PRIOR && vk <= VK_DOWN) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &in, sizeof(in));
}

// Presses the modifiers, taps the key, releases the modifiers; then lets it all through.
inline void Tap(WORD vk, std::initializer_list<WORD> modifiers = {}) {
    for (WORD m : modifiers)
        SendKey(m, false);
    SendKey(vk, false);
    SendKey(vk, true);
    for (WORD m : modifiers)
        SendKey(m, true);
    Pump(60);
}

// A visible form at a fixed place on the screen holding one view (and a button that
// could take the focus), the view sized to show `rows` rows. The form lives as long as
// the test program: hiding a top-level window costs Wine a wait without a window manager.
class ViewTest : public ::testing::Test {
  protected:
    static TForm& SharedForm() {
        static TForm* shared = [] {
            auto* f = new TForm(nullptr);
            f->SetBounds(120, 120, 520, 420);
            f->Show();
            return f;
        }();
        return *shared;
    }
    void SetUp() override {
        // An error that reaches the application's display is a failure of the test.
        Application().SetErrorDisplay([](const std::string& message) {
            static int shown = 0;
            if (++shown <= 5) ADD_FAILURE() << "error shown: " << message;
        });
        form = &SharedForm();
        view = MakeView(form);
        view->SetParent(form);
        view->SetBounds(10, 10, 400, 200);
        other = new TButton(form);
        other->SetParent(form);
        other->SetBounds(10, 330, 80, 24);
        Pump(20);
    }
    virtual TBigView* MakeView(TComponent* owner) { return new TBigView(owner); }
    void TearDown() override {
        delete view;
        delete other;
        Pump();
    }
    // Client height for exactly `rows` rows (the view counts its outer height).
    void ShowRows(int rows) {
        view->SetHeight(rows * view->LineHeight() + view->LineHeight() / 2);
        ASSERT_EQ(view->RowsVisible(), rows);
    }
    void AddLines(int n, const std::string& prefix = "line ") {
        for (int i = 0; i < n; ++i)
            view->AddLine(prefix + std::to_string(i));
    }
    // The view's client point as a screen point.
    POINT Screen(int x, int y) {
        POINT p{x, y};
        ClientToScreen(view->Handle(), &p);
        return p;
    }
    void Focus() {
        SetForegroundWindow(form->Handle());
        view->SetFocus();
        Pump(30);
    }
    void ClickAt(int x, int y) {
        const POINT s = Screen(x, y);
        SendMouse(0, s.x, s.y);
        SendMouse(MOUSEEVENTF_LEFTDOWN, s.x, s.y);
        SendMouse(MOUSEEVENTF_LEFTUP, s.x, s.y);
        Pump(60);
    }
    void DoubleClickAt(int x, int y) {
        const POINT s = Screen(x, y);
        SendMouse(0, s.x, s.y);
        for (int i = 0; i < 2; ++i) {
            SendMouse(MOUSEEVENTF_LEFTDOWN, s.x, s.y);
            SendMouse(MOUSEEVENTF_LEFTUP, s.x, s.y);
        }
        Pump(60);
    }
    // The x of the middle of byte `column` (1-based) of view line `row`.
    int XOfByte(int row, int column) {
        const std::string t = view->GetViewLine(row);
        const int a = view->TextWidth(t.substr(0, static_cast<std::size_t>(column - 1)));
        const int b = view->TextWidth(t.substr(0, static_cast<std::size_t>(column)));
        return TBigView::Margin + (a + b) / 2;
    }
    int YOfRow(int row) {
        return (row - view->TopRow()) * view->LineHeight() + view->LineHeight() / 2;
    }

    TForm* form = nullptr;
    TBigView* view = nullptr;
    TButton* other = nullptr;
};

}  // namespace qm::test
