// Other members of the clipboard-viewer chain, for the end-to-end tests: each joins
// the chain, passes every notification on as a well-mannered viewer does (unless told
// to misbehave), and leaves the chain in order when its time is up.
//   viewertool count SECONDS        writes the clipboard's sequence number at every
//                                   change notice it gets, one a line
//   viewertool hang AFTER_MS SECONDS
//                                   answers messages for AFTER_MS, then stops answering
//                                   any for SECONDS (a hung viewer)
//   viewertool hold-once MS SECONDS at the first change after joining, holds the
//                                   clipboard open for MS before passing the notice on
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND g_next = nullptr;
bool g_joining = false;
int g_holdMs = -1;  // the hold still to come; -1 when there is none

DWORD WINAPI HoldClipboard(LPVOID opened) {
    if (OpenClipboard(nullptr)) {
        SetEvent(static_cast<HANDLE>(opened));
        Sleep(static_cast<DWORD>(g_holdMs));
        CloseClipboard();
    } else {
        SetEvent(static_cast<HANDLE>(opened));
    }
    return 0;
}

LRESULT CALLBACK ViewerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
        case WM_DRAWCLIPBOARD:
            std::printf("%lu\n", GetClipboardSequenceNumber());
            std::fflush(stdout);
            if (!g_joining && g_holdMs >= 0) {
                // Another thread holds the clipboard, so that the viewers after us find
                // it taken while this notice is still on its way to them.
                HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
                CloseHandle(CreateThread(nullptr, 0, HoldClipboard, opened, 0, nullptr));
                WaitForSingleObject(opened, 5000);
                CloseHandle(opened);
                g_holdMs = -1;
            }
            if (g_next) SendMessageA(g_next, m, wp, lp);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wp) == g_next) {
                g_next = reinterpret_cast<HWND>(lp);
            } else if (g_next) {
                SendMessageA(g_next, m, wp, lp);
            }
            return 0;
        default:
            return DefWindowProcA(w, m, wp, lp);
    }
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    WNDCLASSA wc{};
    wc.lpfnWndProc = ViewerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "viewertool";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("viewertool", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (command == "hold-once" && argc > 3) g_holdMs = std::atoi(argv[2]);
    g_joining = true;
    g_next = SetClipboardViewer(window);
    g_joining = false;
    if (command == "count" || command == "hold-once") {
        Pump(static_cast<DWORD>(std::atoi(argv[argc - 1])) * 1000);
    } else if (command == "hang" && argc > 3) {
        Pump(static_cast<DWORD>(std::atoi(argv[2])));
        Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
        Pump(500);
    } else {
        std::fputs("usage: viewertool count|hang|hold-once ...\n", stderr);
        ChangeClipboardChain(window, g_next);
        return 2;
    }
    ChangeClipboardChain(window, g_next);
    DestroyWindow(window);
    return 0;
}
