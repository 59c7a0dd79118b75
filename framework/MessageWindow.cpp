#include "framework/MessageWindow.h"

#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/Messages.h"

namespace qm {

namespace {

const char kClassName[] = "QuillmothMessageWindow";

void RegisterOnce(WNDPROC proc) {
    static const bool registered = [proc] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

MessageWindow::MessageWindow(Handler handler, CloseRequests close)
    : handler_(std::move(handler)), close_(close) {
    RegisterOnce(WindowProc);
    // A top-level popup, never shown: the clipboard chain and the shell talk to it.
    CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                    GetModuleHandleA(nullptr), this);
    if (!handle_) throw Exception(kNoMessageWindowMessage);
}

MessageWindow::~MessageWindow() {
    if (!handle_) return;
    // Unbind first: nothing the destruction sends may reach a half-destroyed owner.
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    HWND window = handle_;
    handle_ = nullptr;
    DestroyWindow(window);
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MessageWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->handle_ = hwnd;
    }
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        self = nullptr;
    }
    if (message == WM_CLOSE && (!self || self->close_ == CloseRequests::Ignored)) return 0;
    if (!self || !self->handler_) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        return self->handler_(hwnd, message, wParam, lParam);
    } catch (const std::exception& e) {
        Application().ShowException(e);
        return 0;
    }
}

}  // namespace qm
