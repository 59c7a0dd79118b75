// The radio group (a group box holding one radio button per item, one item
// selected) and the shape (a graphic control filled with a brush).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/StdCtrls.h"

namespace qm {

class TRadioGroup;

// The radio group's own buttons: a click selects their item.
class TGroupButton : public TRadioButton {
  public:
    TGroupButton(TRadioGroup& group, int index);
    int Index() const { return index_; }

    // The arrow keys go round the group's buttons.
    void WndProc(TMessage& message) override;

  protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void UserChecked() override;

  private:
    TRadioGroup& group_;
    int index_;
};

class TRadioGroup : public TGroupBox {
  public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;

    // The captions; every change rebuilds the buttons.
    TStrings& Items();
    // -1 for none; a value out of -1 .. count - 1 is clamped into it.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const { return columns_; }
    void SetColumns(int columns);

    // Raised when the user selects an item.
    void Click() override { TGroupBox::Click(); }

  protected:
    void BoundsChanged() override;
    void FontChanged() override;

  private:
    class ItemList;
    friend class TGroupButton;
    void ButtonChecked(int index);
    void FocusButton(int from, int step);
    void RebuildButtons();
    void ArrangeButtons();

    std::unique_ptr<ItemList> items_;
    std::vector<TGroupButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
};

enum TShapeType { stRectangle, stEllipse };

class TShape : public TGraphicControl {
  public:
    explicit TShape(TComponent* owner);

    // The fill; the INI store keeps its colour.
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);

  protected:
    void Paint() override;

  private:
    TBrush brush_;
    TPen pen_;
    TShapeType shape_ = stRectangle;
};

}  // namespace qm
