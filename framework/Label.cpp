#include "framework/Label.h"

TLabel::TLabel(TComponent* Owner) : TControl(Owner) {
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetCaption(const std::string& Caption) {
  caption_ = Caption;
  Invalidate();
}
