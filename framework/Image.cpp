#include "framework/Image.h"

TImage::TImage(TComponent* Owner) : TControl(Owner) {
  SetBounds(0, 0, 105, 105);
}
