// A window holding one text view set up as the settings dialog's filter file view, for
// looking at it and for screenshots. Usage: bigview_demo.exe [FILE]. Without a file it
// shows a small Japanese filter file it writes itself. Once shown it prints the view's
// screen rectangle and line height ("view X Y W H LINEHEIGHT") so that a script can
// point at the text.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "controls/BigView.h"
#include "framework/Application.h"
#include "framework/Form.h"

namespace {

// A filter file: comments, then search text TAB replacement, one rule a line.
const char kSample[] =
    // # example replacement filter (search text TAB replacement)
    "\x23\x20\x92\x75\x8a\xb7\x83\x74\x83\x42\x83\x8b\x83\x5e\x82\xcc\x97\xe1\x20\x28\x8c\x9f"
    "\x8d\xf5\x95\xb6\x8e\x9a\x97\xf1\x20\x54\x41\x42\x20\x92\x75\x8a\xb7\x95\xb6\x8e\x9a\x97"
    "\xf1\x29\r\n"
    // "kabushiki kaisha" TAB its bracketed abbreviation
    "\x8a\x94\x8e\xae\x89\xef\x8e\xd0\t\x81\x69\x8a\x94\x81\x6a\r\n"
    // "yuugen kaisha" TAB its bracketed abbreviation
    "\x97\x4c\x8c\xc0\x89\xef\x8e\xd0\t\x81\x69\x97\x4c\x81\x6a\r\n"
    // half-width a i u e o TAB full-width a i u e o
    "\xb1\xb2\xb3\xb4\xb5\t\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\r\n"
    // full-width Windows TAB Windows
    "\x82\x76\x82\x89\x82\x8e\x82\x84\x82\x8f\x82\x97\x82\x93\tWindows\r\n"
    // "toiawase" TAB its short spelling
    "\x96\xe2\x82\xa2\x8d\x87\x82\xed\x82\xb9\t\x96\xe2\x8d\x87\x82\xb9\r\n"
    // "kudasai" in kanji TAB in hiragana
    "\x89\xba\x82\xb3\x82\xa2\t\x82\xad\x82\xbe\x82\xb3\x82\xa2\r\n"
    // "dekiru" in kanji TAB in hiragana
    "\x8f\x6f\x97\x88\x82\xe9\t\x82\xc5\x82\xab\x82\xe9\r\n"
    // # below: one style of punctuation
    "\x23\x20\x88\xc8\x89\xba\x82\xcd\x8b\xe5\x93\xc7\x93\x5f\x82\xcc\x93\x9d\x88\xea\r\n"
    // full-width comma TAB ideographic comma
    "\x81\x43\t\x81\x41\r\n"
    // full-width full stop TAB ideographic full stop
    "\x81\x44\t\x81\x42\r\n"
    // foo_bar1 TAB foo_bar2
    "foo_bar1\tfoo_bar2\r\n"
    "http://example.com/\thttps://example.com/\r\n";

std::string WriteSample() {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "quillmoth-sample-filter.txt";
    std::ofstream(path, std::ios::binary) << kSample;
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qm;
    const std::string file = argc > 1 ? argv[1] : WriteSample();
    Application().SetTitle("Quillmoth");
    TForm form(nullptr);
    form.SetCaption("Quillmoth text view");
    form.SetBounds(40, 40, 401, 240);
    Application().SetMainForm(&form);

    // The settings dialog's filter file view.
    auto* view = new TBigView(&form);
    view->SetName("FilterView");
    view->SetParent(&form);
    SetFileViewStyle(*view);
    view->SetBounds(8, 8, 377, 185);
    try {
        view->LoadFromFile(file);
    } catch (const std::exception& e) {
        Application().ShowException(e);
    }
    form.Show();
    Application().ProcessMessages();
    RECT r;
    GetWindowRect(view->Handle(), &r);
    std::printf("view %ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                view->LineHeight());
    std::fflush(stdout);
    return Application().Run();
}
