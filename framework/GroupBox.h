// TGroupBox: a framed box with a caption that holds other controls (a group of radio
// buttons is the radio buttons of one parent).
#pragma once

#include <string>

#include "framework/WinControl.h"

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* Owner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption) { caption_ = Caption; }

 private:
  std::string caption_;
};
