#include "framework/Application.h"

#include <algorithm>

namespace qm {

namespace {

const char kAppWindowClass[] = "QuillmothApplication";

std::string LastCharacter(const std::string& s) {
    // The last character may take two bytes: walk from the start to find where it begins.
    std::size_t i = 0, start = 0;
    while (i < s.size()) {
        start = i;
        i += (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    }
    return s.substr(start);
}

}  // namespace

TApplication::TApplication() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kAppWindowClass;
    RegisterClassA(&wc);
    handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kAppWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, wc.hInstance, this);
}

TApplication::~TApplication() {
    if (handle_) DestroyWindow(handle_);
}

void TApplication::SetTitle(std::string title) {
    title_ = std::move(title);
    if (handle_) SetWindowTextA(handle_, title_.c_str());
}

int TApplication::AddHook(Hook hook) {
    hooks_.emplace_back(nextHookId_, std::move(hook));
    return nextHookId_++;
}

void TApplication::RemoveHook(int id) {
    hooks_.erase(
        std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }),
        hooks_.end());
}

int TApplication::Run() {
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            return got == 0 ? static_cast<int>(msg.wParam) : 1;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
}

std::string TApplication::ErrorText(const std::string& message) {
    if (!message.empty() && LastCharacter(message) > ".") return message + ".";
    return message;
}

void TApplication::ShowException(const std::exception& e) noexcept {
    ShowError(e.what());
}

void TApplication::ShowError(const std::string& message) noexcept {
    try {
        const std::string text = ErrorText(message);
        if (errorDisplay_) {
            errorDisplay_(text);
        } else {
            MessageBoxA(MainWindow(), text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
        }
    } catch (const std::exception&) {
        // The error display itself failed (out of memory): nothing is left to show it with.
        MessageBeep(MB_ICONERROR);
    }
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* app =
            static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
        app->handle_ = hwnd;
    }
    auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!app) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        app->handle_ = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return app->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        app->ShowException(e);
        return 0;
    }
}

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    for (auto& [id, hook] : std::vector<std::pair<int, Hook>>(hooks_)) {
        LRESULT result = 0;
        if (hook(message, wParam, lParam, result)) return result;
    }
    if (message == WM_CLOSE) {
        Terminate();
        return 0;
    }
    return DefWindowProcA(handle_, message, wParam, lParam);
}

TApplication& Application() {
    static TApplication application;
    return application;
}

}  // namespace qm
