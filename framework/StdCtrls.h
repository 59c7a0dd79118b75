// The standard controls: buttons, check boxes, radio buttons, edit boxes, list and
// combo boxes (superclasses of the platform's controls) and the group box. Each keeps
// its state in the object as well, so that it can be set and read before its window
// exists and survives a re-created window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Strings.h"
#include "framework/WinControl.h"

namespace qm {

class TButton : public TWinControl {
  public:
    explicit TButton(TComponent* owner);

    // Enter clicks the default button (unless another button has the focus), Esc the
    // cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }

    void Click() override;
    void WndProc(TMessage& message) override;
    // Shows the default frame; the form moves it to the focused button.
    void SetActive(bool active);

  protected:
    void CreateParams(TCreateParams& params) override;

  private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
  public:
    explicit TCheckBox(TComponent* owner);

    // A grayed box is not checked.
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool checked) { SetState(checked ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    // A change raises OnClick, as a click does.
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool allow);

    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

  private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
};

class TRadioButton : public TWinControl {
  public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return checked_; }
    // Checking one unchecks the other radio buttons of the same parent and raises
    // OnClick; only the checked button is a tab stop.
    void SetChecked(bool checked);

    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    // The user checked the button (click, or the keyboard moving onto it).
    virtual void UserChecked();

  private:
    bool checked_ = false;
};

enum TBorderStyle { bsNone, bsSingle };

class TEdit : public TWinControl {
  public:
    explicit TEdit(TComponent* owner);

    // 0: no limit beyond the platform's.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    // Select the whole text when the edit gains the focus.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    // A sunken 3-D border (else a flat line) when there is a border.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool ctl3D);

    void SelectAll();
    int SelStart();
    int SelLength();
    void SetSelection(int start, int length);

    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void TextChanged() override;
    void DoEnter() override;
    virtual void Change();
    bool MultiLine();

  private:
    int maxLength_ = 0;
    bool readOnly_ = false;
    char passwordChar_ = 0;
    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    bool ctl3D_ = true;
};

// The items of a list or combo box: kept by the control, mirrored into its window.
// The lines of a list control, kept in the control's window while it has one.
class TControlItems : public TStringList {
  public:
    struct Messages {
        UINT add, insert, remove, reset, getSelection, setSelection;
    };
    TControlItems(TWinControl& control, Messages messages) : control_(control), msg_(messages) {}

    void Put(int index, std::string s) override;
    void Insert(int index, std::string s) override;
    void Delete(int index) override;
    void Clear() override;
    void Assign(const std::vector<std::string>& lines);

    // The selected index, -1 for none; out-of-range values select nothing.
    int ItemIndex() const;
    void SetItemIndex(int index);

    // The window was made: fill it. The window is going: keep its selection.
    void Fill();
    void Save();

  private:
    TWinControl& control_;
    Messages msg_;
    int itemIndex_ = -1;
};

// A list or combo box: the platform's control over the items the object keeps.
class TListControl : public TWinControl {
  public:
    TControlItems& Items() { return items_; }
    int ItemIndex() const { return items_.ItemIndex(); }
    void SetItemIndex(int index) { items_.SetItemIndex(index); }

  protected:
    // The platform's window class, and the one that the control makes of it.
    TListControl(TComponent* owner, const char* systemClass, const char* ownClass,
                 TControlItems::Messages messages, int width, int height);
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

  private:
    const char* systemClass_;
    const char* ownClass_;
    TControlItems items_;
};

class TListBox : public TListControl {
  public:
    explicit TListBox(TComponent* owner);
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TListControl {
  public:
    explicit TComboBox(TComponent* owner);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& params) override;

  private:
    TComboBoxStyle style_ = csDropDown;
};

// A captioned frame around other controls; it draws itself.
class TGroupBox : public TCustomControl {
  public:
    explicit TGroupBox(TComponent* owner);

  protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    // The window keeps the caption too: it is what the window's text answers.
    void TextChanged() override {
        TCustomControl::TextChanged();
        Invalidate();
    }
};

}  // namespace qm
