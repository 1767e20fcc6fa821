// TEdit: a one-line edit box. The program writes its Text; the user may edit it on the
// desktop.
#pragma once

#include <string>

#include "framework/WinControl.h"

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* Owner);

  const std::string& Text() const { return text_; }
  void SetText(const std::string& Text);

 private:
  std::string text_;
};
