// TPanel: a plain windowed control with a caption; the display component TKorvelG is one.
#pragma once

#include <string>

#include "framework/WinControl.h"

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* Owner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption) { caption_ = Caption; }

 private:
  std::string caption_;
};
