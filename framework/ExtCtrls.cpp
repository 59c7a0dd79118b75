#include "framework/ExtCtrls.h"

#include <algorithm>

#include "base/Exception.h"
#include "framework/Property.h"

namespace qm {

// TGroupButton

TGroupButton::TGroupButton(TRadioGroup& group, int index)
    : TRadioButton(&group), group_(group), index_(index) {}

void TGroupButton::WndProc(TMessage& m) {
    TRadioButton::WndProc(m);
    if (m.Msg == WM_GETDLGCODE) m.Result |= DLGC_WANTARROWS;
}

void TGroupButton::KeyDown(WORD& key, TShiftState shift) {
    TRadioButton::KeyDown(key, shift);
    const int step = (key == VK_DOWN || key == VK_RIGHT) ? 1
                     : (key == VK_UP || key == VK_LEFT)  ? -1
                                                         : 0;
    if (step == 0 || shift != 0) return;
    key = 0;
    // The focus moving from a sibling checks the button it lands on.
    group_.FocusButton(index_, step);
}

void TGroupButton::UserChecked() {
    TRadioButton::UserChecked();
    group_.ButtonChecked(index_);
}

// The items of a radio group: any change remakes the buttons.
class TRadioGroup::ItemList : public TStringList {
  public:
    explicit ItemList(TRadioGroup& group) : group_(group) {}
    void Put(int index, std::string s) override {
        TStringList::Put(index, std::move(s));
        group_.RebuildButtons();
    }
    void Insert(int index, std::string s) override {
        TStringList::Insert(index, std::move(s));
        group_.RebuildButtons();
    }
    void Delete(int index) override {
        TStringList::Delete(index);
        group_.RebuildButtons();
    }
    void Clear() override {
        TStringList::Clear();
        group_.RebuildButtons();
    }

  private:
    TRadioGroup& group_;
};

// TRadioGroup

TRadioGroup::TRadioGroup(TComponent* owner)
    : TGroupBox(owner), items_(std::make_unique<ItemList>(*this)) {}

TRadioGroup::~TRadioGroup() {
    // The buttons are children (destroyed with the group box); no rebuilding from here.
    DestroyComponents();
    buttons_.clear();
}

TStrings& TRadioGroup::Items() {
    return *items_;
}

void TRadioGroup::SetItemIndex(int index) {
    index = std::clamp(index, -1, static_cast<int>(buttons_.size()) - 1);
    itemIndex_ = index;
    for (TGroupButton* b : buttons_)
        b->SetChecked(b->Index() == index);
    // Tab reaches the group through its checked button, or the first one.
    if (index < 0 && !buttons_.empty()) buttons_.front()->SetTabStop(true);
}

void TRadioGroup::SetColumns(int columns) {
    columns = std::clamp(columns, 1, 16);
    if (columns == columns_) return;
    columns_ = columns;
    ArrangeButtons();
}

void TRadioGroup::ButtonChecked(int index) {
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Click();
}

void TRadioGroup::FocusButton(int from, int step) {
    const auto count = static_cast<int>(buttons_.size());
    if (count == 0) return;
    buttons_[static_cast<std::size_t>(((from + step) % count + count) % count)]->SetFocus();
}

void TRadioGroup::RebuildButtons() {
    const int count = items_->Count();
    while (static_cast<int>(buttons_.size()) > count) {
        delete buttons_.back();
        buttons_.pop_back();
    }
    while (static_cast<int>(buttons_.size()) < count) {
        auto* b = new TGroupButton(*this, static_cast<int>(buttons_.size()));
        b->SetParent(this);
        buttons_.push_back(b);
    }
    for (int i = 0; i < count; ++i)
        buttons_[static_cast<std::size_t>(i)]->SetCaption(items_->Get(i));
    if (itemIndex_ >= count) itemIndex_ = count - 1;
    SetItemIndex(itemIndex_);
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (buttons_.empty()) return;
    const int count = static_cast<int>(buttons_.size());
    const int perColumn = (count + columns_ - 1) / columns_;
    const int textHeight = std::abs(Font().Height()) + 2;
    const int columnWidth = std::max((Width() - 10) / columns_, 0);
    const int space = Height() - textHeight - 5;
    const int rowHeight = std::max(space / perColumn, 0);
    const int topMargin = textHeight + 1 + (space % perColumn) / 2;
    for (int i = 0; i < count; ++i) {
        buttons_[static_cast<std::size_t>(i)]->SetBounds((i / perColumn) * columnWidth + 8,
                                                         (i % perColumn) * rowHeight + topMargin,
                                                         columnWidth, rowHeight);
    }
}

void TRadioGroup::BoundsChanged() {
    TGroupBox::BoundsChanged();
    ArrangeButtons();
}

void TRadioGroup::FontChanged() {
    TGroupBox::FontChanged();
    ArrangeButtons();
}

// TShape

TShape::TShape(TComponent* owner) : TGraphicControl(owner) {
    width_ = 65;
    height_ = 65;
    brush_.OnChange = [this] { Invalidate(); };
    pen_.OnChange = brush_.OnChange;
}

void TShape::SetShape(TShapeType shape) {
    if (StoreChange(shape_, shape)) Invalidate();
}

void TShape::Paint() {
    TCanvas& c = Canvas();
    c.Brush().SetColor(brush_.Color());
    c.Brush().SetStyle(brush_.Style());
    c.Pen().SetColor(pen_.Color());
    c.Pen().SetWidth(pen_.Width());
    c.Pen().SetStyle(pen_.Style());
    if (shape_ == stEllipse)
        c.Ellipse(0, 0, Width(), Height());
    else
        c.Rectangle(0, 0, Width(), Height());
}

}  // namespace qm
