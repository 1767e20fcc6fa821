// TRadioButton: one of a group of choices, the group being the radio buttons with the same
// parent (a group box or the form). Checking one unchecks the others. The user's click checks
// it and runs OnClick; setting Checked from the program runs no event.
#pragma once

#include <string>

#include "framework/Events.h"
#include "framework/WinControl.h"

class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* Owner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption) { caption_ = Caption; }
  bool Checked() const { return checked_; }
  // Checking unchecks the other radio buttons of the same parent.
  void SetChecked(bool Value);

  // What the user's click does: checks the button, then runs OnClick; nothing when disabled.
  void Click();
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};
