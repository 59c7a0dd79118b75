// The application object: its title, its hidden top-level window, the message loop
// and the error display that every window procedure hands its failures to.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/HookList.h"
#include "framework/MessageWindow.h"

namespace qm {

class TForm;

class TApplication {
  public:
    using ErrorDisplay = std::function<void(const std::string& message)>;
    // Sees every message of the application's top-level window before its own
    // handling; true consumes it (the result goes to result).
    using Hook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);

    // The top-level window that stands for the whole application; never shown.
    HWND Handle() const { return window_.Handle(); }
    // The window that owns clipboard openings and dialogs: the main form's, once
    // it has one, else the application's own.
    HWND MainWindow() const;
    void SetMainWindow(HWND window) { mainWindow_ = window; }
    // The form whose closing ends the program.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    // Whether Run shows the main form first.
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }

    int AddHook(Hook hook);
    void RemoveHook(int id);

    // Shows the main form unless told not to, then runs the message loop until
    // Terminate; returns the exit code of the quit message.
    int Run();
    // Handles every message that is already waiting, then returns. Safe inside a
    // handler (a drag loop lets the button release through this way).
    void ProcessMessages();
    // One message as the loop handles it: the dialog keys of a form (Tab, arrows,
    // Enter, Esc) go to the form unless the focused control claims them.
    void HandleMessage(MSG& msg);
    // Ends the message loop after the message being handled; from then on the
    // application counts as terminated.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The error display: the message in a box with the title as caption, an error
    // icon and OK; "." is appended when the last character sorts after ".". While a
    // box is open, later errors open none of their own: when it closes, one more box
    // shows the newest of them and says how many there were.
    void ShowException(const std::exception& e) noexcept;
    void ShowError(const std::string& message) noexcept;
    // The same, once the message being handled is done with: for a handler that has
    // a sender waiting on its answer (a clipboard viewer's predecessor).
    void ShowErrorLater(const std::string& message) noexcept;
    // Lets a test see errors instead of a modal box.
    void SetErrorDisplay(ErrorDisplay display) { errorDisplay_ = std::move(display); }

    static std::string ErrorText(const std::string& message);
    // What the display says of an exception: its own text, or a Japanese one for the
    // standard library's.
    static std::string ExceptionText(const std::exception& e);
    // What the box that follows an open one says of the errors in between.
    static std::string MeanwhileText(const std::string& newest, int count);

  private:
    LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool IsDialogKey(MSG& msg);
    void DisplayError(const std::string& text);
    void ShowLaterErrors() noexcept;

    std::string title_;
    HWND mainWindow_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    ErrorDisplay errorDisplay_;
    bool errorOpen_ = false;
    int errorsMeanwhile_ = 0;
    std::string newestError_;
    std::vector<std::string> laterErrors_;
    HookList<Hook> hooks_;
    // Last: messages reach it from its creation on, and stop before the rest goes.
    MessageWindow window_;
};

// The one application object of the process, created on first use.
TApplication& Application();

}  // namespace qm
