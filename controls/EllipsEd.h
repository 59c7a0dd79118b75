// The ellipsis edit: a one-line edit box with a small "..." button inside its right
// edge. The button (or Ctrl+Enter) raises OnButtonClick, with which the owner opens a
// picker. The edit also shows one background colour while focused and another while
// not, can capitalise the first letter of its text, and never lets Enter break its
// text into lines.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/Buttons.h"
#include "framework/StdCtrls.h"

namespace qm {

class TEllipsesEdit;

// The "..." button: a speed button painted flat with three dots, with the standard
// arrow as its cursor (not the edit's text cursor).
class TEllipsesButton : public TSpeedButton {
  public:
    explicit TEllipsesButton(TComponent* owner);

    // From the left button's press on the button to its release, wherever the pointer
    // has gone in between (unlike the speed button's own pressed look, which follows
    // the pointer).
    bool Held() const { return held_; }

    void Click() override;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  private:
    bool held_ = false;
};

// When the button is shown.
enum TEditStyle { esNormal, esEllipses, esAlwaysEllipses };

class TEllipsesEdit : public TEdit {
  public:
    explicit TEllipsesEdit(TComponent* owner);

    // esNormal: never; esEllipses: while the edit has the focus; esAlwaysEllipses:
    // always. A change re-creates the window (its style depends on it).
    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle style);
    // The background while the edit does not have the focus; white by default.
    TColor DeactiveColor() const { return deactiveColor_; }
    void SetDeactiveColor(TColor color);
    // Capitalises the first letter: as typed, on leaving, and when switched on.
    bool FirstCharUpper() const { return firstCharUpper_; }
    void SetFirstCharUpper(bool value);

    TEllipsesButton& Button() { return *button_; }
    // The button is laid out visible (its width is not 0).
    bool ButtonShown() const { return button_->Width() > 0; }

    // The edit's height for its font and border: single border, the font's tmHeight +
    // min(system font's tmHeight, font's tmHeight) div 4 + 4 x SM_CYBORDER - 1, plus 2
    // with Ctl3D; no border, the font's tmHeight.
    int RuleHeight();

    void Loaded() override;
    void WndProc(TMessage& message) override;

    // Raised by the button and by Ctrl+Enter; Sender is the edit.
    TNotifyEvent OnButtonClick;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    void BoundsChanged() override;
    void FontChanged() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void DoExit() override;
    virtual void ButtonClick();

  private:
    bool WantsButton();
    // Sets the height by the rule; at the right height, lays out the button.
    void AdjustHeight();
    void LayoutButton();
    void CapitaliseText();
    bool WholeTextSelected();
    // The platform ignores the password style of a multi-line edit: with a password
    // character the window stays single-line and keeps its text clear of the button
    // with a right margin instead of the formatting rectangle.
    bool MultiLineWindow() const { return editStyle_ != esNormal && PasswordChar() == 0; }

    TEllipsesButton* button_;
    TEditStyle editStyle_ = esEllipses;
    TColor activeColor_ = clWhite;
    TColor deactiveColor_ = clWhite;
    bool firstCharUpper_ = false;
    bool loaded_ = false;
    // The text as it was when Enter went down, put back at the next repaint; a
    // pending empty text is still pending.
    std::optional<std::string> pendingText_;
    // The last typed byte opened a double-byte character: the next is its second byte.
    bool trailByteNext_ = false;
};

}  // namespace qm
