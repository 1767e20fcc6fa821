// A 3D view set up without a window, as the demonstration sets its view up: a 640 x 480 form at
// (0, 0) on the emulated desktop with the display panel and a 512 x 386 view, the display
// components initialised windowed with the first software device. Message boxes are answered
// OK. The headless demonstration and the retained-mode sample tools stand on it. Another view
// size may be asked for (the frame-capture tool's larger views); the form grows to hold it.
#pragma once

#include <cstdint>
#include <vector>

#include "components/KorvelRM.h"

class THeadlessView {
 public:
  explicit THeadlessView(int Width = 512, int Height = 386);
  // Releases the view, then the display panel (the master), then the form.
  ~THeadlessView();
  THeadlessView(const THeadlessView&) = delete;
  THeadlessView& operator=(const THeadlessView&) = delete;

  TKorvelRM& View() { return *view_; }
  // The view's drawing surface as RGBA rows (5-6-5 expanded by bit replication).
  std::vector<std::uint8_t> Pixels(int& Width, int& Height);

 private:
  TWinControl* form_ = nullptr;
  TKorvelG* display_ = nullptr;
  TKorvelRM* view_ = nullptr;
};
