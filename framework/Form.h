// Forms: top-level windows of their own class that hold controls. A form is built in
// code (its constructor creates its controls) and then runs Loaded, the end of
// building, which every component it owns gets too. Its children take its font
// (ParentFont). Enter and Esc click its default and cancel buttons and Tab moves
// through its controls in tab order; the application's message loop delivers those
// keys (TApplication::Run, ProcessMessages).
#pragma once

#include <windows.h>

#include <functional>

#include "framework/WinControl.h"

namespace qm {

class TButton;

enum TFormBorderStyle { bsSizeable, bsDialog };

using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

class TForm : public TWinControl {
  public:
    // Hidden until shown; at 0, 0, 320 x 240; a fixed-size dialog frame.
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);

    // Visible and in front.
    void Show();
    // Moves the form inside the work area of the monitor nearest to it, so that a
    // stored position off every monitor (one removed, a garbage value) comes back.
    void MakeFullyVisible();
    void BringToFront() override;
    // OnCloseQuery decides; a form that may close hides, and the main form's closing
    // ends the application.
    void Close();
    bool CloseQuery();

    // The control that has (or last had) the focus on this form.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // The visible, enabled buttons that Enter and Esc click, or null.
    TButton* DefaultButton();
    TButton* CancelButton();

    void Loaded() override;
    void WndProc(TMessage& message) override;

    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    // Enter or Esc pressed in a control that does not want it: clicks the focused or
    // default button (Enter) or the cancel button (Esc). False when there is none.
    bool DialogKey(WORD key);

    // Told by the controls on the form.
    void FocusChanged(TWinControl* control);
    void ControlGone(TWinControl* control);

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void VisibleChanged() override;

  private:
    TButton* FindButton(bool cancel);
    void UpdateButtonStyles();

    TFormBorderStyle borderStyle_ = bsDialog;
    TWinControl* activeControl_ = nullptr;
};

}  // namespace qm
