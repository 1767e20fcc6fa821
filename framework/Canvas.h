// TCanvas: a drawing surface's drawing context, as bitmaps, forms and controls offer one.
// The canvas does not own the context; whoever made the context gives it back.
#pragma once

#include "framework/Object.h"
#include "platform/com/GdiTypes.h"

class TCanvas : public TObject {
 public:
  TCanvas() = default;
  explicit TCanvas(HDC Handle) : handle_(Handle) {}

  HDC Handle() const { return handle_; }
  void SetHandle(HDC Handle) { handle_ = Handle; }

 private:
  HDC handle_ = nullptr;
};
