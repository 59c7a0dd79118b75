// Speed of the text view on large files, under Wine with a real window: loading, paging
// to the end, layout against the number of lines, and painting one page against the
// file's size. Usage: bigview_bench.exe CORPUS [FOLDER]
// CORPUS is Japanese text in code page 932 (bench/make-corpus.sh makes one); the test
// files are cut from it into FOLDER (the temporary folder by default).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "controls/BigView.h"
#include "framework/Application.h"
#include "framework/Form.h"

using namespace qm;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Best of `repeat` runs, in milliseconds.
double Time(const std::function<void()>& f, int repeat = 3) {
    double best = 1e30;
    for (int i = 0; i < repeat; ++i) {
        const double start = Now();
        f();
        best = std::min(best, (Now() - start) * 1000.0);
    }
    return best;
}

// `lines` lines of about `width` bytes each, cut from the corpus at character boundaries.
std::string MakeFile(const std::string& corpus, int lines, std::size_t width,
                     const std::string& path) {
    std::vector<std::string> pieces;
    std::size_t p = 0;
    while (p < corpus.size()) {
        std::size_t e = corpus.find('\n', p);
        if (e == std::string::npos) e = corpus.size();
        std::string line = corpus.substr(p, e - p);
        // No control bytes: 0x1A would end the file for the loader.
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') c = ' ';
        if (!line.empty()) pieces.push_back(std::move(line));
        p = e + 1;
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * (width + 2));
    std::size_t k = 0;
    for (int i = 0; i < lines; ++i) {
        std::string line;
        while (line.size() < width) {
            line += pieces[k++ % pieces.size()];
            line += ' ';
        }
        std::size_t cut = 0;
        while (cut < width)
            cut += IsDBCSLeadByte(static_cast<BYTE>(line[cut])) ? 2 : 1;
        line.resize(cut);
        out += line;
        out += "\r\n";
    }
    std::ofstream(path, std::ios::binary) << out;
    return path;
}

void Configure(TBigView& view) {
    // As the settings dialog's filter file view.
    view.SetCaret(false);
    view.SetColor(clInfoBk);
    view.SetScrollBar(ssVertical);
    view.SetSelect(true);
    view.SetViewTabStop(8);
    view.SetWrapByte(0);
    view.SetWordWrap(false);
    view.SetBounds(8, 8, 377, 185);
}

void PageToTheEnd(TBigView& view, int* pages) {
    view.SetTopRow(0);
    int n = 0;
    while (view.TopRow() < view.MaxTopRow()) {
        SendMessageA(view.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
        ++n;
    }
    *pages = n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bigview_bench CORPUS [FOLDER]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string corpus((std::istreambuf_iterator<char>(in)), {});
    if (corpus.empty()) {
        std::fprintf(stderr, "empty corpus %s\n", argv[1]);
        return 1;
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = argc > 2 ? std::string(argv[2]) + "\\" : std::string(temp);
    const std::string big = MakeFile(corpus, 200000, 50, folder + "bigview-200k.txt");
    const std::string half = MakeFile(corpus, 100000, 50, folder + "bigview-100k.txt");
    const std::string small = MakeFile(corpus, 1000, 50, folder + "bigview-1k.txt");

    TForm form(nullptr);
    form.SetBounds(40, 40, 401, 240);
    auto* view = new TBigView(&form);
    view->SetParent(&form);
    Configure(*view);
    form.Show();
    Application().ProcessMessages();

    WIN32_FILE_ATTRIBUTE_DATA info{};
    GetFileAttributesExA(big.c_str(), GetFileExInfoStandard, &info);
    std::printf("file: %s, %.1f MB, 200000 lines; %d rows visible, line height %d\n", big.c_str(),
                info.nFileSizeLow / 1e6, view->RowsVisible(), view->LineHeight());

    const double load = Time([&] { view->LoadFromFile(big); });
    std::printf("load 200k lines (10 MB), shown:           %8.1f ms\n", load);
    int pages = 0;
    const double paging = Time([&] { PageToTheEnd(*view, &pages); }, 1);
    std::printf("page down x %d to the end:              %8.1f ms, %.3f ms per page\n", pages,
                paging, paging / pages);

    // Where a page-down's time goes: the platform redrawing the scroll bar, and the
    // buffer scroll with its presentation.
    const double bar = Time(
                           [&] {
                               for (int i = 0; i < 1000; ++i)
                                   SetScrollPos(view->Handle(), SB_VERT, i % 500, TRUE);
                           },
                           1) /
                       1000;
    view->SetScrollBar(ssNone);
    view->SetTopRow(0);
    const int step = view->RowsVisible() - 1;
    const double scroll = Time(
                              [&] {
                                  for (int i = 0; i < 2000; ++i)
                                      view->SetTopRow(view->TopRow() + step);
                              },
                              1) /
                          2000;
    view->SetScrollBar(ssVertical);
    std::printf("  of which the scroll bar's redraw:         %8.3f ms\n", bar);
    std::printf("  a page of buffer scroll alone (no bar):  %8.3f ms\n", scroll);

    // Layout against the number of lines.
    std::printf("\nlayout (LayoutFrom(0) over every line)        100k lines   200k lines\n");
    struct Mode {
        const char* name;
        bool wrap;
        int wrapByte;
    };
    const Mode modes[] = {{"no wrapping", false, 0},
                          {"wrap every 16 bytes", true, 16},
                          {"wrap at the window's width", true, 0}};
    for (const Mode& m : modes) {
        double t[2];
        const std::string* files[2] = {&half, &big};
        for (int i = 0; i < 2; ++i) {
            view->SetWordWrap(false);
            view->LoadFromFile(*files[i]);
            view->SetWrapByte(m.wrapByte);
            view->SetWordWrap(m.wrap);
            t[i] = Time([&] { view->LayoutFrom(0); });
        }
        std::printf("  %-40s %8.1f ms  %8.1f ms  (ratio %.2f)\n", m.name, t[0], t[1], t[1] / t[0]);
    }
    view->SetWordWrap(false);
    view->SetWrapByte(0);

    // One page drawn against the file's size, at the top and at the end.
    std::printf("\npaint one page (RenderAll, 200 times)      top          end\n");
    for (const std::string* f : {&small, &big}) {
        view->LoadFromFile(*f);
        auto page = [&] {
            for (int i = 0; i < 200; ++i)
                view->RenderAll();
        };
        view->SetTopRow(0);
        const double top = Time(page) / 200;
        view->SetTopRow(view->MaxTopRow());
        const double end = Time(page) / 200;
        std::printf("  %6d lines                               %8.3f ms  %8.3f ms\n",
                    view->LineCount(), top, end);
    }

    // Lines of 100 KB: the back buffer keeps to the window, however far the text runs.
    const std::string wide = MakeFile(corpus, 20, 100000, folder + "bigview-wide.txt");
    const double wideLoad = Time([&] { view->LoadFromFile(wide); });
    TBitmap& buffer = view->BackBuffer();
    std::printf("\n20 lines of 100 KB: load and show %.1f ms; back buffer %d x %d (%.2f MB)\n",
                wideLoad, buffer.Width(), buffer.Height(),
                buffer.Width() * 4.0 * buffer.Height() / 1e6);
    auto page = [&] {
        for (int i = 0; i < 20; ++i)
            view->RenderAll();
    };
    const double left = Time(page) / 20;
    view->SetHScrollPos(view->MaxChar() / 2);
    const double middle = Time(page) / 20;
    std::printf("  paint one page at the left edge / half-way along: %.2f ms / %.2f ms\n", left,
                middle);
    return 0;
}
