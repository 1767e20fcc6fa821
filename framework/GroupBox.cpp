#include "framework/GroupBox.h"

TGroupBox::TGroupBox(TComponent* Owner) : TWinControl(Owner) {
  SetBounds(0, 0, 185, 105);
}
