// The text view under Wine with a real window: property rules, the view lines and their
// wrapping, text widths, the line operations and what they redraw, window styles.
#include <random>

#include "base/Exception.h"
#include "controls/tests/ViewFixture.h"

namespace qm::test {
namespace {

// The plain layout: every line from its first byte, two-byte kinds found from the start.
std::vector<TViewLineRec> ReferenceLayout(TBigView& v) {
    std::vector<TViewLineRec> out;
    for (int a = 0; a < v.LineCount(); ++a) {
        const std::string& t = v.Lines().Get(a);
        const int n = static_cast<int>(t.size());
        if (!v.WordWrap() || n == 0) {
            out.push_back({a, n ? 1 : 0, n, 0, true});
            continue;
        }
        const int step = v.WrapByte() > 0 ? v.WrapByte() : v.WidthWrapCount(t);
        for (int p = 1, sub = 0; p <= n; ++sub) {
            int b = step;
            if (TBigView::ByteTypeAt(t, p + b) == btTrail && --b < 1) b = 2;
            out.push_back({a, p, b, sub, false});
            p += b;
        }
        out.back().LastOfLine = true;
    }
    return out;
}

void ExpectLayout(TBigView& v, const std::vector<TViewLineRec>& expected) {
    ASSERT_EQ(v.ViewLineCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < v.ViewLineCount(); ++i) {
        const TViewLineRec& r = v.ViewLine(i);
        const TViewLineRec& e = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(r.LineIndex, e.LineIndex) << "view line " << i;
        EXPECT_EQ(r.StartPos, e.StartPos) << "view line " << i;
        EXPECT_EQ(r.ByteCount, e.ByteCount) << "view line " << i;
        EXPECT_EQ(r.SubIndex, e.SubIndex) << "view line " << i;
        EXPECT_EQ(r.LastOfLine, e.LastOfLine) << "view line " << i;
    }
}

std::string ErrorOf(const std::function<void()>& op) {
    try {
        op();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(none)";
}

using BigViewProperties = ViewTest;

TEST_F(BigViewProperties, SettersValidateAsDocumented) {
    view->SetScrollSense(4);
    view->SetScrollSense(11);
    view->SetScrollSense(0);
    EXPECT_EQ(view->ScrollSense(), 4);
    view->SetViewTabStop(-1);
    EXPECT_EQ(view->ViewTabStop(), 8);
    view->SetViewTabStop(0);
    EXPECT_EQ(view->ViewTabStop(), 0);
    view->SetMaxChar(0);
    EXPECT_GE(view->MaxChar(), 1) << "0 becomes 1, then the window's width widens it";
    view->SetPCanLimit(-3);
    EXPECT_EQ(view->PCanLimit(), 0);
    view->SetWrapByte(-1);
    EXPECT_EQ(view->WrapByte(), 0);
    view->SetCapacity(100);
    EXPECT_EQ(view->Capacity(), 100);

    TBigView fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 65);
    EXPECT_EQ(fresh.Height(), 65);
    EXPECT_EQ(fresh.MaxChar(), 255);
    EXPECT_TRUE(fresh.WordWrap());
    EXPECT_TRUE(fresh.Select());
    EXPECT_FALSE(fresh.Caret());
    EXPECT_EQ(fresh.ScrollBar(), ssNone);
    EXPECT_EQ(fresh.BvStyle(), (TBvStyle{bvClientLow}));
    EXPECT_EQ(fresh.Color(), clWindow);
    EXPECT_EQ(fresh.ClickState(), 1);
    EXPECT_EQ(fresh.ScrollStep(), 1);
    fresh.SetWidth(0);
    fresh.SetMaxChar(0);
    EXPECT_EQ(fresh.MaxChar(), 1) << "with no width to fill nothing widens it";
}

TEST_F(BigViewProperties, StyleChangeCanBeAlteredAndRemakesTheWindow) {
    std::vector<std::string> log;
    view->OnBvStyleChanging = [&](TComponent*, TBvStyle& p) {
        log.push_back("changing");
        p = p.With(bvMove);
    };
    view->OnBvStyleChanged = [&](TComponent*) { log.push_back("changed"); };
    const HWND before = view->Handle();
    view->SetBvStyle({bvCaption, bvVResize});
    EXPECT_EQ(view->BvStyle(), (TBvStyle{bvCaption, bvVResize, bvMove}));
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "changed"}));
    EXPECT_NE(view->Handle(), before);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(view->Handle(), GWL_STYLE));
    const auto ex = static_cast<DWORD>(GetWindowLongPtrA(view->Handle(), GWL_EXSTYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_FALSE(ex & WS_EX_CLIENTEDGE);
    log.clear();
    view->SetBvStyle(view->BvStyle());
    EXPECT_TRUE(log.empty()) << "an equal value raises nothing";

    view->SetBvStyle({bvClientLow, bvDblFrame});
    view->SetScrollBar(ssBoth);
    const auto style2 = static_cast<DWORD>(GetWindowLongPtrA(view->Handle(), GWL_STYLE));
    const auto ex2 = static_cast<DWORD>(GetWindowLongPtrA(view->Handle(), GWL_EXSTYLE));
    EXPECT_TRUE(ex2 & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(ex2 & WS_EX_DLGMODALFRAME);
    EXPECT_TRUE(style2 & WS_VSCROLL);
    EXPECT_TRUE(style2 & WS_HSCROLL);
    EXPECT_FALSE(style2 & WS_CAPTION);
}

TEST_F(BigViewProperties, CaptionKeeps255BytesAndNeverHalfACharacter) {
    view->SetBvStyle({bvCaption});
    view->SetCaption(std::string(300, 'c'));
    EXPECT_EQ(view->Caption(), std::string(255, 'c'));
    char text[400] = {};
    GetWindowTextA(view->Handle(), text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(255, 'c'));
    // 254 single bytes and a two-byte character (hiragana a) across the 255th byte.
    view->SetCaption(std::string(254, 'd') + "\x82\xa0");
    EXPECT_EQ(view->Caption(), std::string(254, 'd'));
}

TEST_F(BigViewProperties, HitTestAndSizeLimitsFollowTheStyle) {
    view->SetBvStyle({bvVResize});
    RECT w;
    GetWindowRect(view->Handle(), &w);
    auto hit = [&](int x, int y) {
        return SendMessageA(view->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
    };
    EXPECT_EQ(hit(w.left + 1, (w.top + w.bottom) / 2), HTNOWHERE) << "left edge, no bvHResize";
    EXPECT_EQ(hit((w.left + w.right) / 2, w.bottom - 1), HTBOTTOM);
    EXPECT_EQ(hit(w.right - 1, w.bottom - 1), HTNOWHERE) << "corners need both";
    view->SetBvStyle({bvVResize, bvHResize});
    GetWindowRect(view->Handle(), &w);
    EXPECT_EQ(hit(w.left + 1, (w.top + w.bottom) / 2), HTLEFT);
    EXPECT_EQ(hit(w.right - 1, w.bottom - 1), HTBOTTOMRIGHT);

    // Ctrl held over the client area of a movable view without caption: a caption.
    view->SetBvStyle({bvMove});
    GetWindowRect(view->Handle(), &w);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(hit((w.left + w.right) / 2, (w.top + w.bottom) / 2), HTCAPTION);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(hit((w.left + w.right) / 2, (w.top + w.bottom) / 2), HTCLIENT);

    MINMAXINFO info{};
    info.ptMaxTrackSize = {5000, 5000};
    view->SetBvStyle({bvHResize});
    SendMessageA(view->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.y, view->Height());
    EXPECT_EQ(info.ptMinTrackSize.y, view->Height());
    EXPECT_EQ(info.ptMaxTrackSize.x, 5000) << "width free with bvHResize";
}

using BigViewLayout = ViewTest;

TEST_F(BigViewLayout, WrapByteNeverSplitsATwoByteCharacter) {
    view->SetWrapByte(3);
    // a, b, hiragana a, c: the character at bytes 3-4.
    view->AddLine(
        "ab\x82\xa0"
        "c");
    ExpectLayout(*view, {{0, 1, 2, 0, false}, {0, 3, 3, 1, true}});
    EXPECT_EQ(view->GetViewLine(0), "ab");
    EXPECT_EQ(view->GetViewLine(1),
              "\x82\xa0"
              "c");

    view->Clear();
    view->SetWrapByte(1);
    view->AddLine("\x82\xa0");  // one character, longer than the wrap
    ExpectLayout(*view, {{0, 1, 2, 0, true}});

    view->Clear();
    view->AddLine("");
    ExpectLayout(*view, {{0, 0, 0, 0, true}});  // an empty line still has a view line
}

TEST_F(BigViewLayout, LayoutAgreesWithAPlainLayoutOverManyLines) {
    std::mt19937 rng(11);
    const char* pieces[] = {"a", "\t", " ", "\x82\xa0", "\x88\xea", "W", "\x81\x40", "\x82"};
    TStringList lines;
    for (int i = 0; i < 150; ++i) {
        std::string t;
        const int n = static_cast<int>(rng() % 60);
        for (int k = 0; k < n; ++k)
            t += pieces[rng() % 8];
        lines.Add(t);
    }
    view->SetStrings(lines);
    for (int wrap : {1, 2, 3, 7, 40, 1000}) {
        view->SetWrapByte(wrap);
        ExpectLayout(*view, ReferenceLayout(*view));
    }
    view->SetWrapByte(0);
    ExpectLayout(*view, ReferenceLayout(*view));
    view->SetWordWrap(false);
    ExpectLayout(*view, ReferenceLayout(*view));
    // Re-laying out from a middle line after changes.
    view->SetWordWrap(true);
    view->SetWrapByte(5);
    view->InsertLine(40, std::string(33, 'i'));
    view->DeleteLine(90);
    view->ExchangeLines(3, 70);
    view->SetViewLine(10, "\x82\xa0\x82\xa0x");
    ExpectLayout(*view, ReferenceLayout(*view));
}

TEST_F(BigViewLayout, WidthWrappingFillsTheWindowWithoutPassingIt) {
    view->AddLine(std::string(200, 'x'));
    const int w = view->ClientWidth();
    const int c = view->WidthWrapCount(std::string(200, 'x'));
    EXPECT_EQ(c, w / view->CharWidth() - 1);
    ASSERT_GT(view->ViewLineCount(), 1);
    for (int i = 0; i < view->ViewLineCount(); ++i) {
        EXPECT_LE(view->TextWidth(view->GetViewLine(i)), w);
        if (i + 1 < view->ViewLineCount()) {
            EXPECT_GT(view->TextWidth(view->GetViewLine(i)), w - 2 * view->CharWidth());
        }
    }
    EXPECT_EQ(view->WidthWrapCount("short"), 5) << "a line that fits is one view line";
}

TEST_F(BigViewLayout, LongLineIsOneViewLineAndWidensMaxChar) {
    view->SetWordWrap(false);
    view->SetScrollBar(ssBoth);
    view->AddLine(std::string(1000, 'a'));
    EXPECT_EQ(view->ViewLineCount(), 1);
    EXPECT_EQ(view->MaxChar(), 1000);
    EXPECT_EQ(view->BackBuffer().Width(), view->ClientWidth());
    EXPECT_EQ(view->HScrollMax(), 1000 - view->ClientWidth() / view->CharWidth());
    view->InsertLine(0, std::string(1200, 'b'));
    EXPECT_EQ(view->MaxChar(), 1200);
    view->Clear();
    EXPECT_EQ(view->MaxChar(), 1200) << "never narrower by itself";
    TMemoryStream in(std::string(1500, 'c') + "\r\n");
    view->LoadFromStream(in);
    EXPECT_EQ(view->MaxChar(), 1500);
}

TEST_F(BigViewLayout, ALineOf100KBKeepsTheBufferToTheWindowAndScrollsAcrossIt) {
    view->SetWordWrap(false);
    view->SetScrollBar(ssBoth);
    std::string line;
    while (line.size() < 100000)
        line += "ab\tcd efg ";
    TMemoryStream in(line + "\r\n");
    view->LoadFromStream(in);
    EXPECT_EQ(view->BackBuffer().Width(), view->ClientWidth());
    // Far along the line, three characters further shows the same text moved left.
    const int cw = view->CharWidth();
    view->SetHScrollPos(50000);
    const Picture at = CaptureWindow(*view);
    view->SetHScrollPos(50003);
    const Picture further = CaptureWindow(*view);
    int ink = 0;
    for (int y = 0; y < view->LineHeight(); ++y) {
        for (int x = 0; x + 3 * cw < at.width; ++x) {
            ASSERT_EQ(further.At(x, y), at.At(x + 3 * cw, y)) << x << "," << y;
            ink += at.At(x, y) != 0xFFFFFFu;
        }
    }
    EXPECT_GT(ink, 0) << "the text is drawn there";
}

TEST_F(BigViewLayout, AFileThatAnEditorHoldsOpenForWritingStillShows) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    const std::string path = std::string(tmp) + "qm-held-by-editor.txt";
    HANDLE editor =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(editor, "a\r\nb\r\n", 6, &written, nullptr);
    EXPECT_NO_THROW(view->LoadFromFile(path));
    EXPECT_EQ(view->LineCount(), 2);
    CloseHandle(editor);
    DeleteFileA(path.c_str());
}

TEST_F(BigViewLayout, TextWidthIsThePlatformsTabbedWidthInFull) {
    // The same as the platform's tabbed measure wherever that fits in 16 bits.
    HDC dc = view->BackBuffer().Canvas().Handle();
    std::mt19937 rng(3);
    const char* pieces[] = {"a", "\t", "\t\t", "\x82\xa0", "W", " ", "ii"};
    for (int round = 0; round < 200; ++round) {
        std::string t;
        const int n = static_cast<int>(rng() % 30);
        for (int k = 0; k < n; ++k)
            t += pieces[rng() % 7];
        int tabs[1] = {view->CharWidth() * view->ViewTabStop()};
        const DWORD platform =
            GetTabbedTextExtentA(dc, t.data(), static_cast<int>(t.size()), 1, tabs);
        ASSERT_EQ(view->TextWidth(t), LOWORD(platform)) << round;
    }
    // And past 65535 pixels, where the platform's answer wraps around.
    const std::string wide(70000 / view->CharWidth() + 10, 'x');
    EXPECT_EQ(view->TextWidth(wide), static_cast<int>(wide.size()) * view->CharWidth());
}

TEST_F(BigViewLayout, ViewAndTextPositionsConvert) {
    view->SetWrapByte(4);
    view->AddLine("abcdefghij");  // view lines at 1, 5, 9
    view->AddLine("");
    view->AddLine("xy");
    EXPECT_EQ(view->ViewToText({2, 1}), (TViewPos{6, 0}));
    EXPECT_EQ(view->TextToView({6, 0}), (TViewPos{2, 1}));
    EXPECT_EQ(view->TextToView({11, 0}), (TViewPos{3, 2}));
    EXPECT_EQ(view->TextToView({1, 2}), (TViewPos{1, 4}));
    EXPECT_EQ(view->TextToView({1, 9}), (TViewPos{1, 5})) << "past the lines";
    EXPECT_EQ(view->ViewToText({1, 9}), (TViewPos{0, 0}));
    EXPECT_EQ(view->FirstViewLineOf(2), 4);
    EXPECT_EQ(view->FirstViewLineOf(7), view->ViewLineCount());
    EXPECT_EQ(view->LineOfViewLine(2), 0);
    EXPECT_EQ(view->LineOfViewLine(-1), -1);

    int row = 0, column = 1;
    EXPECT_TRUE(view->Find("GH", row, column));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(column, 3);
    EXPECT_EQ(view->SelStart(), (TViewPos{0, 0})) << "Find selects nothing";
    row = 1;
    column = 4;
    EXPECT_TRUE(view->Find("y", row, column));
    EXPECT_EQ(row, 4);
    EXPECT_EQ(column, 2);
    EXPECT_FALSE(view->Find("zz", row, column));
}

// The plain pointer rule: the first byte position, trying every one in turn, whose
// prefix is at least as wide as the point is far from the margin.
TViewPos ReferencePointToPos(TBigView& v, int x, int y, bool raw) {
    if (v.ViewLineCount() == 0) return {0, 0};
    const int row = std::min(y / v.LineHeight() + v.TopRow(), v.ViewLineCount() - 1);
    const std::string t = v.GetViewLine(row);
    const int e = std::max(x + v.CharWidth() * v.HScrollPos() - TBigView::Margin, 0);
    for (int i = 1; i <= static_cast<int>(t.size()); ++i) {
        if (!raw && TBigView::ByteTypeAt(t, i) == btTrail) continue;
        if (v.TextWidth(t.substr(0, static_cast<std::size_t>(i))) >= e) return {i, row};
    }
    return {static_cast<int>(t.size()) + 1, row};
}

TEST_F(BigViewLayout, PointerPositionsAgreeWithThePlainRule) {
    std::mt19937 rng(5);
    const char* pieces[] = {"a", "\t", "\x82\xa0", "W", "i", "\x88\xea", "_"};
    view->SetWordWrap(false);
    for (int i = 0; i < 8; ++i) {
        std::string t;
        const int n = static_cast<int>(rng() % 25);
        for (int k = 0; k < n; ++k)
            t += pieces[rng() % 7];
        view->AddLine(t);
    }
    for (int row = 0; row < view->ViewLineCount(); ++row) {
        const int y = row * view->LineHeight() + 1;
        const int right = TBigView::Margin + view->TextWidth(view->GetViewLine(row)) + 8;
        for (int x = -3; x <= right; ++x) {
            ASSERT_EQ(view->PointToPos(x, y), ReferencePointToPos(*view, x, y, false))
                << "row " << row << " x " << x;
            ASSERT_EQ(view->PointToPosRaw(x, y), ReferencePointToPos(*view, x, y, true))
                << "row " << row << " x " << x;
        }
    }
}

using BigViewOperations = ViewTest;

TEST_F(BigViewOperations, IndexErrorsNameTheViewLine) {
    EXPECT_EQ(ErrorOf([&] { view->GetViewLine(0); }), ListIndexErrorMessage(0));
    view->AddLine("a");
    EXPECT_EQ(ErrorOf([&] { view->InsertLine(1, "x"); }), ListIndexErrorMessage(1))
        << "lines are appended with AddLine";
    EXPECT_EQ(ErrorOf([&] { view->DeleteLine(-1); }), ListIndexErrorMessage(-1));
    EXPECT_EQ(ErrorOf([&] { view->ExchangeLines(0, 3); }), ListIndexErrorMessage(3));
    EXPECT_EQ(ErrorOf([&] { view->SetViewLine(2, "x"); }), ListIndexErrorMessage(2));
    EXPECT_EQ(view->LineCount(), 1);
    EXPECT_EQ(view->GetViewLine(0), "a");
}

TEST_F(BigViewOperations, AddShowsTheLineAndAnswersTheViewLineCount) {
    ShowRows(10);
    EXPECT_EQ(view->AddLine("first"), 1);
    EXPECT_EQ(view->BottomRow(), 0);
    // The text is on row 0 of the picture: something other than background there.
    const Picture p = CaptureBuffer(*view);
    const std::uint32_t bg = Rgb(view->Color());
    bool ink = false;
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < view->LineHeight(); ++y)
            ink = ink || p.At(x, y) != bg;
    EXPECT_TRUE(ink);
    view->SetWrapByte(2);
    EXPECT_EQ(view->AddLine("abcde"), 1 + 2 + 3);
    EXPECT_EQ(view->IndexOf("abcde"), 3);
    EXPECT_EQ(view->IndexOf("ABCDE"), -1);
}

TEST_F(BigViewOperations, StringsInAndOut) {
    view->SetWrapByte(3);
    view->SetStrings(TStringList{"abcdef", "g"});
    EXPECT_EQ(view->ViewLineCount(), 3);
    view->AddStrings(TStringList{"h", "ijkl"});
    EXPECT_EQ(view->ViewLineCount(), 6);
    TStringList out;
    view->GetStrings(out);
    EXPECT_EQ(out.Items(), (std::vector<std::string>{"abcdef", "g", "h", "ijkl"}));
    view->SetViewLine(1, "XY");  // the second view line of "abcdef"
    EXPECT_EQ(view->Lines().Get(0), "abcXY");
    view->ExchangeLines(0, 3);
    EXPECT_EQ(view->Lines().Get(0), "h");
    EXPECT_EQ(view->Lines().Get(2), "abcXY");
    view->DeleteLine(5);  // a view line of "ijkl"
    EXPECT_EQ(view->LineCount(), 3);
    TMemoryStream m;
    view->SaveToStream(m);
    EXPECT_EQ(m.Bytes(), "h\r\ng\r\nabcXY\r\n");
    view->Clear();
    EXPECT_EQ(view->ViewLineCount(), 0);
    EXPECT_EQ(view->TopRow(), 0);
}

TEST_F(BigViewOperations, FailedLoadLeavesAConsistentEmptyView) {
    AddLines(30);
    view->SetTopRow(12);
    EXPECT_THROW(view->LoadFromFile("Z:\\no\\such\\folder\\file.txt"), EInOutError);
    EXPECT_EQ(view->LineCount(), 0);
    EXPECT_EQ(view->ViewLineCount(), 0) << "no view line may name a line that is gone";
    EXPECT_EQ(view->TopRow(), 0);
    Pump(20);  // painting must not fail either
}

TEST_F(BigViewOperations, ReloadAfterScrollingLessThanAPageShowsEveryRow) {
    ShowRows(10);
    AddLines(100, "old ");
    view->SetTopRow(3);
    TStringList fresh;
    for (int i = 0; i < 50; ++i)
        fresh.Add("new line " + std::to_string(i));
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "new line " + std::to_string(i) + "\r\n";
    TMemoryStream in(text);
    view->LoadFromStream(in);
    EXPECT_EQ(view->TopRow(), 0);
    const Picture loaded = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(loaded == CaptureBuffer(*view)) << "rows below the first three went missing";

    view->SetTopRow(4);
    view->SetStrings(fresh);
    const Picture set = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(set == CaptureBuffer(*view)) << "the old lines' image stayed in view";
}

TEST_F(BigViewOperations, DeletingALineAboveTheTopRowRedrawsTheShiftedRows) {
    ShowRows(5);
    AddLines(40);
    view->SetTopRow(10);
    view->DeleteLine(2);
    EXPECT_EQ(view->GetViewLine(10), "line 11");
    const Picture after = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(after == CaptureBuffer(*view));
}

TEST_F(BigViewLayout, ChangingWordWrapAtRunTimeRefreshesScrollRangeAndTopRow) {
    view->SetScrollBar(ssVertical);
    ShowRows(10);
    view->SetWrapByte(10);
    TStringList lines;
    for (int i = 0; i < 100; ++i)
        lines.Add(std::string(30, static_cast<char>('a' + i % 26)));
    view->SetStrings(lines);
    ASSERT_EQ(view->ViewLineCount(), 300);
    view->SetTopRow(250);  // line 83
    view->SetWordWrap(false);
    EXPECT_EQ(view->ViewLineCount(), 100);
    EXPECT_EQ(view->TopRow(), 83) << "the line at the top stays at the top";
    EXPECT_EQ(view->VScrollMax(), 90);
    int lo = 0, hi = 0;
    GetScrollRange(view->Handle(), SB_VERT, &lo, &hi);
    EXPECT_EQ(hi, 90) << "the scroll range of the old view lines";
    EXPECT_EQ(view->VScrollPos(), 83);

    view->SetTopRow(95);
    view->SetWordWrap(true);  // wrap every 10 bytes again: 300 view lines
    EXPECT_EQ(view->TopRow(), 285);
    EXPECT_EQ(view->VScrollMax(), 290);
    view->SetWrapByte(15);  // 200 view lines
    EXPECT_EQ(view->TopRow(), 190);
    EXPECT_EQ(view->VScrollMax(), 190);
    EXPECT_EQ(view->VScrollPos(), 190);
}

TEST_F(BigViewLayout, SizeChangeRewrapsAndRedrawsEveryRow) {
    ShowRows(12);
    for (int i = 0; i < 6; ++i)
        view->AddLine(std::string(60, static_cast<char>('a' + i)) + " end");
    const int before = view->ViewLineCount();
    view->SetWidth(200);
    EXPECT_GT(view->ViewLineCount(), before) << "narrower window, more view lines";
    ExpectLayout(*view, ReferenceLayout(*view));
    const Picture resized = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(resized == CaptureBuffer(*view)) << "stale rows after the size change";
    view->SetHeight(view->LineHeight() * 4);
    EXPECT_EQ(view->RowsVisible(), 4);
    EXPECT_EQ(view->BackBuffer().Height(), 4 * view->LineHeight());
    view->SetWidth(400);
    EXPECT_EQ(view->ViewLineCount(), before);
}

}  // namespace
}  // namespace qm::test
