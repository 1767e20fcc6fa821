#include "framework/ListBox.h"

TListBox::TListBox(TComponent* Owner) : TWinControl(Owner) {
  SetBounds(0, 0, 121, 97);
  items_.OnChange = [this] {
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  };
}

void TListBox::SetItemIndex(int Value) {
  itemIndex_ = Value >= 0 && Value < items_.Count() ? Value : -1;
}

void TListBox::ClickItem(int Index) {
  if (!Enabled() || Index < 0 || Index >= items_.Count()) return;
  itemIndex_ = Index;
  if (OnClick) OnClick(this);
}
