#include "framework/Edit.h"

TEdit::TEdit(TComponent* Owner) : TWinControl(Owner) {
  SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const std::string& Text) {
  if (Text == text_) return;
  text_ = Text;
  Invalidate();
}
