#include "framework/Application.h"

#include <algorithm>

#include "framework/Form.h"

namespace qm {

namespace {

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

TApplication::TApplication()
    : window_([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
          return HandleWindowMessage(window, message, wParam, lParam);
      }) {}

void TApplication::SetTitle(std::string title) {
    title_ = std::move(title);
    if (Handle()) SetWindowTextA(Handle(), title_.c_str());
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

HWND TApplication::MainWindow() const {
    if (mainForm_ && mainForm_->HandleAllocated()) return mainForm_->Handle();
    return mainWindow_ ? mainWindow_ : Handle();
}

int TApplication::Run() {
    if (showMainForm_ && mainForm_) {
        try {
            mainForm_->Show();
        } catch (const std::exception& e) {
            ShowException(e);
        }
    }
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            return got == 0 ? static_cast<int>(msg.wParam) : 1;
        }
        HandleMessage(msg);
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
        HandleMessage(msg);
    }
}

void TApplication::HandleMessage(MSG& msg) {
    if (IsDialogKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

bool TApplication::IsDialogKey(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TForm*>(TWinControl::FindControl(root));
    if (!form) return false;
    try {
        if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
            // Enter and Esc are ours (the platform's dialog handling would send its
            // IDOK and IDCANCEL commands): unless the control wants the key, they
            // click a button, or else reach the control as usual.
            const auto code = static_cast<UINT>(
                SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
            const bool modifiers = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 ||
                                   GetKeyState(VK_MENU) < 0;
            if ((code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) || modifiers) return false;
            return form->DialogKey(static_cast<WORD>(msg.wParam));
        }
        if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) return false;
        // Tab, Shift+Tab and the arrows between controls, as the focused control's
        // WM_GETDLGCODE answer allows.
        return IsDialogMessageA(root, &msg) != FALSE;
    } catch (const std::exception& e) {
        ShowException(e);
        return true;
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

LRESULT TApplication::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (auto& [id, hook] : std::vector<std::pair<int, Hook>>(hooks_)) {
        LRESULT result = 0;
        if (hook(message, wParam, lParam, result)) return result;
    }
    if (message == WM_CLOSE) {
        Terminate();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TApplication& Application() {
    static TApplication application;
    return application;
}

}  // namespace qm
