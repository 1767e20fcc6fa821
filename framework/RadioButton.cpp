#include "framework/RadioButton.h"

TRadioButton::TRadioButton(TComponent* Owner) : TWinControl(Owner) {
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool Value) {
  checked_ = Value;
  if (!Value || !Parent()) return;
  TWinControl* group = Parent();
  for (int i = 0; i < group->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TRadioButton*>(group->Controls(i)); other && other != this)
      other->checked_ = false;
}

void TRadioButton::Click() {
  if (!Enabled()) return;
  SetChecked(true);
  if (OnClick) OnClick(this);
}
