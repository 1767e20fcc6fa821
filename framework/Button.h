// TButton: a push button with a caption; a click runs OnClick.
#pragma once

#include <string>

#include "framework/Events.h"
#include "framework/WinControl.h"

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* Owner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption) { caption_ = Caption; }

  // What the user's click does: runs OnClick, unless the button is disabled.
  void Click();
  TNotifyEvent OnClick;

 private:
  std::string caption_;
};
