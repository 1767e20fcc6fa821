// TLabel: a caption drawn on its parent; it has no window of its own.
#pragma once

#include <string>

#include "framework/Control.h"

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* Owner);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption);

 private:
  std::string caption_;
};
