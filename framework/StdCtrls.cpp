#include "framework/StdCtrls.h"

#include <algorithm>

#include "base/Exception.h"
#include "framework/Property.h"

namespace qm {

// TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    width_ = 75;
    height_ = 25;
    tabStop_ = true;
}

void TButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = "BUTTON";
    p.WinClassName = "QuillmothButton";
    p.Style |= (active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool value) {
    default_ = value;
    SetActive(value);
}

void TButton::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
        Click();
        return;
    }
    TWinControl::WndProc(m);
}

// TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    width_ = 97;
    height_ = 17;
    tabStop_ = true;
}

void TCheckBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = "BUTTON";
    p.WinClassName = "QuillmothCheckBox";
    p.Style |= allowGrayed_ ? BS_3STATE : BS_CHECKBOX;
}

void TCheckBox::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCheckBox::SetState(TCheckBoxState state) {
    if (state == cbGrayed && !allowGrayed_) state = cbUnchecked;
    if (state == state_) return;
    state_ = state;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
    Click();
}

void TCheckBox::SetAllowGrayed(bool allow) {
    if (allow == allowGrayed_) return;
    allowGrayed_ = allow;
    if (!allow && state_ == cbGrayed) SetState(cbUnchecked);
    RecreateWnd();
}

void TCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
        // Unchecked, checked, then grayed when allowed.
        if (state_ == cbUnchecked)
            SetState(cbChecked);
        else
            SetState(state_ == cbChecked && allowGrayed_ ? cbGrayed : cbUnchecked);
        return;
    }
    TWinControl::WndProc(m);
}

// TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
    width_ = 113;
    height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = "BUTTON";
    p.WinClassName = "QuillmothRadioButton";
    p.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    SetTabStop(checked);
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!checked) return;
    if (TWinControl* parent = Parent()) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
            if (sibling && sibling != this) sibling->SetChecked(false);
        }
    }
    Click();
}

void TRadioButton::UserChecked() {
    SetChecked(true);
}

void TRadioButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
        UserChecked();
        return;
    }
    if (m.Msg == WM_SETFOCUS && !checked_ && GetKeyState(VK_LBUTTON) >= 0) {
        // The arrow keys moved the focus here from a button of the same group: the
        // choice moves with it.
        auto* from = dynamic_cast<TRadioButton*>(FindControl(reinterpret_cast<HWND>(m.WParam)));
        TWinControl::WndProc(m);
        if (from && from->Parent() == Parent()) UserChecked();
        return;
    }
    TWinControl::WndProc(m);
}

// TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    width_ = 121;
    height_ = 21;
    tabStop_ = true;
    SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = "EDIT";
    p.WinClassName = "QuillmothEdit";
    p.Style |= ES_AUTOHSCROLL;
    if (readOnly_) p.Style |= ES_READONLY;
    if (passwordChar_) p.Style |= ES_PASSWORD;
    if (borderStyle_ == bsSingle) {
        if (ctl3D_)
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TEdit::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    if (passwordChar_)
        SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

bool TEdit::MultiLine() {
    if (HandleAllocated()) return (GetWindowLongPtrA(Handle(), GWL_STYLE) & ES_MULTILINE) != 0;
    TCreateParams p;
    CreateParams(p);
    return (p.Style & ES_MULTILINE) != 0;
}

void TEdit::SetMaxLength(int length) {
    maxLength_ = std::max(length, 0);
    if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}

void TEdit::SetPasswordChar(char c) {
    if (StoreChange(passwordChar_, c)) RecreateWnd();
}

void TEdit::SetBorderStyle(TBorderStyle style) {
    if (StoreChange(borderStyle_, style)) RecreateWnd();
}

void TEdit::SetCtl3D(bool ctl3D) {
    if (StoreChange(ctl3D_, ctl3D)) RecreateWnd();
}

void TEdit::SelectAll() {
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

int TEdit::SelStart() {
    DWORD start = 0;
    if (HandleAllocated()) SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

int TEdit::SelLength() {
    DWORD start = 0, end = 0;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TEdit::SetSelection(int start, int length) {
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, start, start + length);
}

void TEdit::TextChanged() {
    TWinControl::TextChanged();
    // A one-line edit reports the new text itself (EN_CHANGE).
    if (!HandleAllocated() || MultiLine()) Change();
}

void TEdit::Change() {
    if (OnChange) OnChange(this);
}

void TEdit::DoEnter() {
    if (autoSelect_ && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
    TWinControl::DoEnter();
}

void TEdit::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
        Change();
        return;
    }
    TWinControl::WndProc(m);
}

// TControlItems

void TControlItems::Put(int index, std::string s) {
    const int selected = ItemIndex();
    Delete(index);
    Insert(index, std::move(s));
    SetItemIndex(selected);
}

void TControlItems::Insert(int index, std::string s) {
    TStringList::Insert(index, std::move(s));
    if (control_.HandleAllocated())
        SendMessageA(control_.Handle(), msg_.insert, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(Get(index).c_str()));
    if (itemIndex_ >= index) ++itemIndex_;
}

void TControlItems::Delete(int index) {
    TStringList::Delete(index);
    if (control_.HandleAllocated())
        SendMessageA(control_.Handle(), msg_.remove, static_cast<WPARAM>(index), 0);
    if (itemIndex_ == index)
        itemIndex_ = -1;
    else if (itemIndex_ > index)
        --itemIndex_;
}

void TControlItems::Clear() {
    TStringList::Clear();
    if (control_.HandleAllocated()) SendMessageA(control_.Handle(), msg_.reset, 0, 0);
    itemIndex_ = -1;
}

void TControlItems::Assign(const std::vector<std::string>& lines) {
    Clear();
    for (const std::string& line : lines)
        Add(line);
}

int TControlItems::ItemIndex() const {
    if (control_.HandleAllocated())
        return static_cast<int>(
            SendMessageA(const_cast<TWinControl&>(control_).Handle(), msg_.getSelection, 0, 0));
    return itemIndex_;
}

void TControlItems::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    itemIndex_ = index;
    if (control_.HandleAllocated())
        SendMessageA(control_.Handle(), msg_.setSelection, static_cast<WPARAM>(index), 0);
}

void TControlItems::Fill() {
    HWND window = control_.Handle();
    SendMessageA(window, msg_.reset, 0, 0);
    for (const std::string& s : Items())
        SendMessageA(window, msg_.add, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageA(window, msg_.setSelection, static_cast<WPARAM>(itemIndex_), 0);
}

void TControlItems::Save() {
    itemIndex_ = ItemIndex();
}

// TListControl

namespace {

// The messages with which each platform control keeps its items.
constexpr TControlItems::Messages kListBoxItems{LB_ADDSTRING,    LB_INSERTSTRING, LB_DELETESTRING,
                                                LB_RESETCONTENT, LB_GETCURSEL,    LB_SETCURSEL};
constexpr TControlItems::Messages kComboBoxItems{CB_ADDSTRING,    CB_INSERTSTRING, CB_DELETESTRING,
                                                 CB_RESETCONTENT, CB_GETCURSEL,    CB_SETCURSEL};

}  // namespace

TListControl::TListControl(TComponent* owner, const char* systemClass, const char* ownClass,
                           TControlItems::Messages messages, int width, int height)
    : TWinControl(owner), systemClass_(systemClass), ownClass_(ownClass), items_(*this, messages) {
    width_ = width;
    height_ = height;
    tabStop_ = true;
    SetColor(clWindow);
}

void TListControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = systemClass_;
    p.WinClassName = ownClass_;
}

void TListControl::CreateWnd() {
    TWinControl::CreateWnd();
    items_.Fill();
}

void TListControl::DestroyWnd() {
    items_.Save();
    TWinControl::DestroyWnd();
}

// TListBox

TListBox::TListBox(TComponent* owner)
    : TListControl(owner, "LISTBOX", "QuillmothListBox", kListBoxItems, 121, 97) {}

void TListBox::CreateParams(TCreateParams& p) {
    TListControl::CreateParams(p);
    p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == LBN_SELCHANGE) Click();
        if (HIWORD(m.WParam) == LBN_DBLCLK) DblClick();
        return;
    }
    TWinControl::WndProc(m);
}

// TComboBox

TComboBox::TComboBox(TComponent* owner)
    : TListControl(owner, "COMBOBOX", "QuillmothComboBox", kComboBoxItems, 145, 21) {}

void TComboBox::CreateParams(TCreateParams& p) {
    TListControl::CreateParams(p);
    p.Style |=
        WS_VSCROLL | CBS_AUTOHSCROLL | (style_ == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    // The window's height includes the dropped-down list.
    p.Height = height_ + 200;
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    if (StoreChange(style_, style)) RecreateWnd();
}

void TComboBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        const WORD code = HIWORD(m.WParam);
        if (code == CBN_SELCHANGE) Click();
        if ((code == CBN_SELCHANGE || code == CBN_EDITCHANGE) && OnChange) OnChange(this);
        return;
    }
    TWinControl::WndProc(m);
}

// TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
    width_ = 185;
    height_ = 105;
    controlParent_ = true;
    clickFromMouse_ = false;
}

void TGroupBox::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.WinClassName = "QuillmothGroupBox";
}

void TGroupBox::Paint() {
    TCanvas& c = Canvas();
    const int textHeight = c.TextHeight("0");
    RECT frame = ClientRect();
    frame.top += textHeight / 2;
    DrawEdge(c.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = Caption();
    if (caption.empty()) return;
    c.Brush().SetColor(Color());
    c.Font().SetColor(Enabled() ? Font().Color() : SystemColor(COLOR_GRAYTEXT));
    const int width = c.TextWidth(caption);
    const RECT label{8, 0, 8 + width, textHeight};
    c.TextRect(label, 8, 0, caption);
}

}  // namespace qm
