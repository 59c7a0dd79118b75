#include "framework/Application.h"

#include <algorithm>
#include <new>

#include "base/Characters.h"
#include "base/Exception.h"
#include "framework/Form.h"
#include "framework/Messages.h"

namespace qm {

namespace {

std::string LastCharacter(const std::string& s) {
    // The last character may take two bytes: walk from the start to find where it begins.
    std::size_t i = 0, start = 0;
    while (i < s.size()) {
        start = i;
        i = NextCharStart(s, i);
    }
    return s.substr(start);
}

// Posted to the application's window to show the errors kept for later.
constexpr UINT kShowLaterErrors = WM_APP + 0x51;

}  // namespace

TApplication::TApplication()
    : window_(
          [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
              return HandleWindowMessage(window, message, wParam, lParam);
          },
          MessageWindow::CloseRequests::Handled) {}

void TApplication::SetTitle(std::string title) {
    title_ = std::move(title);
    if (Handle()) SetWindowTextA(Handle(), title_.c_str());
}

int TApplication::AddHook(Hook hook) {
    return hooks_.Add(std::move(hook));
}

void TApplication::RemoveHook(int id) {
    hooks_.Remove(id);
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
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

std::string TApplication::ErrorText(const std::string& message) {
    if (!message.empty() && LastCharacter(message) > ".") return message + ".";
    return message;
}

std::string TApplication::ExceptionText(const std::exception& e) {
    // Our own failures carry a Japanese text; the standard library's speak English.
    if (dynamic_cast<const Exception*>(&e)) return e.what();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return kOutOfMemoryMessage;
    return std::string(kUnexpectedErrorMessage) + " (" + e.what() + ")";
}

void TApplication::ShowException(const std::exception& e) noexcept {
    try {
        ShowError(ExceptionText(e));
    } catch (const std::exception&) {
        MessageBeep(MB_ICONERROR);
    }
}

std::string TApplication::MeanwhileText(const std::string& newest, int count) {
    // "N more errors came meanwhile. The last one is shown."
    return newest + "\r\n\r\n\x82\xb1\x82\xcc\x8a\xd4\x82\xc9\x82\xb3\x82\xe7\x82\xc9" +
           std::to_string(count) +
           "\x8c\x8f\x82\xcc\x83\x47\x83\x89\x81\x5b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb5"
           "\x82\xbd\x81\x42\x8d\xc5\x8c\xe3\x82\xcc\x82\xe0\x82\xcc\x82\xf0\x95\x5c\x8e\xa6\x82"
           "\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42";
}

void TApplication::DisplayError(const std::string& text) {
    if (errorDisplay_) {
        errorDisplay_(text);
    } else {
        MessageBoxA(MainWindow(), text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
    }
}

void TApplication::ShowError(const std::string& message) noexcept {
    try {
        if (errorOpen_) {
            // The box's own message loop brought this one: a box over a box would
            // bury the first, and a burst of failures would bury the desktop.
            ++errorsMeanwhile_;
            newestError_ = ErrorText(message);
            return;
        }
        struct Open {
            bool& open;
            explicit Open(bool& o) : open(o) { open = true; }
            ~Open() { open = false; }
        } open(errorOpen_);
        DisplayError(ErrorText(message));
        while (errorsMeanwhile_ > 0) {
            const std::string text = MeanwhileText(newestError_, errorsMeanwhile_);
            errorsMeanwhile_ = 0;
            DisplayError(text);
        }
    } catch (const std::exception&) {
        // The error display itself failed (out of memory): nothing is left to show it with.
        MessageBeep(MB_ICONERROR);
    }
}

void TApplication::ShowErrorLater(const std::string& message) noexcept {
    try {
        laterErrors_.push_back(message);
        if (laterErrors_.size() == 1) PostMessageA(Handle(), kShowLaterErrors, 0, 0);
    } catch (const std::exception&) {
        MessageBeep(MB_ICONERROR);
    }
}

void TApplication::ShowLaterErrors() noexcept {
    std::vector<std::string> errors;
    errors.swap(laterErrors_);
    if (errors.empty()) return;
    // The first is shown; the rest count as having come while its box was open.
    if (errors.size() > 1 && !errorOpen_) {
        errorsMeanwhile_ += static_cast<int>(errors.size()) - 1;
        newestError_ = ErrorText(errors.back());
        errors.resize(1);
    }
    for (const std::string& e : errors)
        ShowError(e);
}

LRESULT TApplication::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (const auto& [id, hook] : hooks_.Snapshot()) {
        LRESULT result = 0;
        if (hook(message, wParam, lParam, result)) return result;
    }
    if (message == kShowLaterErrors) {
        ShowLaterErrors();
        return 0;
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
