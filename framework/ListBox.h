// TListBox: a list of texts of which one may be selected. ItemIndex is the selected item, -1
// for none; setting it outside the list selects nothing, and emptying the list clears the
// selection. The user's click on an item selects it and runs OnClick.
#pragma once

#include "framework/Events.h"
#include "framework/Strings.h"
#include "framework/WinControl.h"

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* Owner);

  TStrings* Items() { return &items_; }
  const TStrings* Items() const { return &items_; }
  int ItemIndex() const { return itemIndex_; }
  // An index outside 0 .. Count - 1 (negative ones too) selects nothing (ItemIndex -1).
  void SetItemIndex(int Value);

  // What the user's click on item Index does: selects it, then runs OnClick; nothing when
  // disabled or when Index is not an item.
  void ClickItem(int Index);
  TNotifyEvent OnClick;

 private:
  TStrings items_;
  int itemIndex_ = -1;
};
