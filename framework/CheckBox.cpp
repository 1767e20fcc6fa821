#include "framework/CheckBox.h"

TCheckBox::TCheckBox(TComponent* Owner) : TWinControl(Owner) {
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::Click() {
  if (!Enabled()) return;
  checked_ = !checked_;
  if (OnClick) OnClick(this);
}
