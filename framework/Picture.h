// TPicture: the picture an image shows, loaded from a file into its bitmap.
#pragma once

#include <string>

#include "framework/Bitmap.h"
#include "framework/Object.h"

class TPicture : public TObject {
 public:
  // Loads a Windows bitmap file into Bitmap(): EFOpenError when it cannot be opened,
  // EInvalidGraphic when it is not a bitmap, both naming the file.
  void LoadFromFile(const std::string& FileName) { bitmap_.LoadFromFile(FileName); }
  TBitmap* Bitmap() { return &bitmap_; }
  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }

 private:
  TBitmap bitmap_;
};
