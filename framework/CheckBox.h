// TCheckBox: a box with a caption that is checked or not. The user's click toggles it and
// runs OnClick; setting Checked from the program runs no event.
#pragma once

#include <string>

#include "framework/Events.h"
#include "framework/WinControl.h"

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* Owner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption) { caption_ = Caption; }
  bool Checked() const { return checked_; }
  void SetChecked(bool Value) { checked_ = Value; }

  // What the user's click does: toggles Checked, then runs OnClick; nothing when disabled.
  void Click();
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};
