// TImage: shows a picture at its top-left corner, cut at the control's size; it has no
// window of its own.
#pragma once

#include "framework/Control.h"
#include "framework/Picture.h"

class TImage : public TControl {
 public:
  explicit TImage(TComponent* Owner);

  TPicture* Picture() { return &picture_; }

 private:
  TPicture picture_;
};
