#include "framework/Button.h"

TButton::TButton(TComponent* Owner) : TWinControl(Owner) {
  SetBounds(0, 0, 75, 25);
}

void TButton::Click() {
  if (Enabled() && OnClick) OnClick(this);
}
