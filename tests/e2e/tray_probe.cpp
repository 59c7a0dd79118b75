// A hidden form with a tray icon, three coloured images and a popup menu, for the
// end-to-end test of the notification area. Every event goes to a log file, one line
// each, prefixed with the milliseconds since the start:
//   down left|right|middle, up ..., click, dblclick, popup, item NAME, null
// Commands are read from a second file, one a line, as it grows; each is answered
// with "ack N COMMAND" (N counts from 1):
//   dblclick on|off    an OnDblClick handler or none
//   enabled on|off     the icon's Enabled
//   index N            the icon's IconIndex
//   lose               the shell forgets the icon (removed behind the component's back)
//   taskbarcreated     broadcasts the shell's "TaskbarCreated" message
//   quit               ends the program
// Usage: tray_probe LOGFILE COMMANDFILE
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/SimpleTimer.h"
#include "app/TrayIcon.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"

namespace {

using namespace qm;

ULONGLONG g_start = 0;
std::FILE* g_log = nullptr;

void Log(const std::string& line) {
    std::fprintf(g_log, "%llu %s\n", GetTickCount64() - g_start, line.c_str());
    std::fflush(g_log);
}

// A round picture of one colour with a dark rim on a transparent ground.
HICON RoundIcon(COLORREF color, bool square) {
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HDC maskDc = CreateCompatibleDC(screen);
    HGDIOBJ oldPicture = SelectObject(dc, picture);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
    PatBlt(maskDc, 0, 0, 16, 16, WHITENESS);  // white: transparent
    HBRUSH fill = CreateSolidBrush(color);
    HPEN rim = CreatePen(PS_SOLID, 1, RGB(40, 40, 40));
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    HGDIOBJ oldPen = SelectObject(dc, rim);
    HGDIOBJ oldMaskBrush = SelectObject(maskDc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldMaskPen = SelectObject(maskDc, GetStockObject(BLACK_PEN));
    if (square) {
        Rectangle(dc, 0, 0, 16, 16);
        Rectangle(maskDc, 0, 0, 16, 16);
    } else {
        Ellipse(dc, 1, 1, 15, 15);
        Ellipse(maskDc, 1, 1, 15, 15);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(maskDc, oldMaskBrush);
    SelectObject(maskDc, oldMaskPen);
    SelectObject(dc, oldPicture);
    SelectObject(maskDc, oldMask);
    DeleteObject(fill);
    DeleteObject(rim);
    DeleteDC(dc);
    DeleteDC(maskDc);
    ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, mask, picture};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(picture);
    return icon;
}

class Probe {
  public:
    explicit Probe(std::string commandFile) : commandFile_(std::move(commandFile)) {
        form_ = new TForm(nullptr);
        form_->SetName("ProbeForm");
        form_->SetCaption("tray probe");
        Application().SetMainForm(form_);
        form_->AddMessageHook([](TMessage& m) {
            if (m.Msg == WM_NULL) Log("null");
            return false;
        });

        images_ = new TImageList(form_);
        for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}) {
            HICON icon = RoundIcon(c, true);
            images_->AddIcon(icon);
            DestroyIcon(icon);
        }

        menu_ = new TPopupMenu(form_);
        menu_->OnPopup = [](TComponent*) { Log("popup"); };
        struct Entry {
            const char* name;
            const char* caption;
            COLORREF color;
            bool isDefault;
        };
        const Entry entries[] = {
            {"preset", "work", 0, false},
            {"line3", "-", 0, false},
            // "options(&O)"
            {"options", "\x8a\xc2\x8b\xab\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93(&O)",
             RGB(0, 160, 0), true},
            {"line2", "-", 0, false},
            // "contents(&C)"
            {"contents", "\x96\xda\x8e\x9f(&C)", RGB(0, 120, 255), false},
            {"website", "Orrinworks(&W)", RGB(255, 160, 0), false},
            // "version information(&A)"
            {"about", "\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1(&A)",
             RGB(160, 0, 200), false},
            {"line1", "-", 0, false},
            // "exit Quillmoth(&X)"
            {"exit", "Quillmoth\x8f\x49\x97\xb9(&X)", RGB(220, 0, 0), false},
        };
        for (const Entry& e : entries) {
            auto* item = new TMenuItem(form_);
            item->SetName(e.name);
            item->SetCaption(e.caption);
            item->SetDefault(e.isDefault);
            if (e.color) item->Picture().SetHandle(RoundIcon(e.color, false));
            if (std::string(e.name) == "preset") item->SetAutoHotkeys(maManual);
            const std::string name = e.name;
            item->OnClick = [name](TComponent*) { Log("item " + name); };
            menu_->Items().Add(item);
        }

        tray_ = new TTrayIcon(form_);
        tray_->SetIconList(images_);
        tray_->SetIconIndex(0);
        tray_->SetHint("Quillmoth probe");
        tray_->SetIconVisible(true);
        tray_->SetPopupMenu(menu_);
        tray_->SetMinimizeToTray(true);
        auto button = [](TMouseButton b) {
            return b == mbLeft ? std::string("left") : b == mbRight ? "right" : "middle";
        };
        tray_->OnMouseDown = [button](TComponent*, TMouseButton b, TShiftState, int, int) {
            Log("down " + button(b));
        };
        tray_->OnMouseUp = [button](TComponent*, TMouseButton b, TShiftState, int, int) {
            Log("up " + button(b));
        };
        tray_->OnClick = [](TComponent*) { Log("click"); };
        form_->Loaded();

        commands_ = std::make_unique<TSimpleTimer>(100, [this](TSimpleTimer*) { ReadCommands(); });
        commands_->SetEnabled(true);
        Log("ready id " + std::to_string(tray_->Identifier()) + " taskbarcreated " +
            std::to_string(TTrayIcon::TaskbarCreatedMessage()) + " dblclicktime " +
            std::to_string(GetDoubleClickTime()));
    }

    ~Probe() {
        commands_.reset();
        delete form_;
    }

  private:
    void ReadCommands() {
        std::ifstream in(commandFile_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        // Only whole lines: the last one may still be being written.
        while (done_ < lines.size()) {
            const std::string line = lines[done_++];
            Run(line);
            Log("ack " + std::to_string(done_) + " " + line);
        }
    }

    void Run(const std::string& line) {
        std::istringstream words(line);
        std::string command, argument;
        words >> command >> argument;
        if (command == "dblclick") {
            if (argument == "on") {
                tray_->OnDblClick = [](TComponent*) { Log("dblclick"); };
            } else {
                tray_->OnDblClick = nullptr;
            }
        } else if (command == "enabled") {
            tray_->SetEnabled(argument == "on");
        } else if (command == "index") {
            tray_->SetIconIndex(std::stoi(argument));
        } else if (command == "lose") {
            NOTIFYICONDATAA data = tray_->NotifyIconData();
            Shell_NotifyIconA(NIM_DELETE, &data);
        } else if (command == "taskbarcreated") {
            PostMessageA(HWND_BROADCAST, TTrayIcon::TaskbarCreatedMessage(), 0, 0);
        } else if (command == "quit") {
            Application().Terminate();
        }
    }

    std::string commandFile_;
    std::size_t done_ = 0;
    TForm* form_ = nullptr;
    TImageList* images_ = nullptr;
    TPopupMenu* menu_ = nullptr;
    TTrayIcon* tray_ = nullptr;
    std::unique_ptr<TSimpleTimer> commands_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    g_start = GetTickCount64();
    g_log = std::fopen(__argv[1], "wb");  // LF line ends for the script
    if (!g_log) return 2;
    Application().SetTitle("tray probe");
    Application().SetShowMainForm(false);
    Application().SetErrorDisplay([](const std::string& m) { Log("error " + m); });
    int code = 0;
    {
        Probe probe(__argv[2]);
        code = Application().Run();
    }
    Log("end");
    std::fclose(g_log);
    return code;
}
