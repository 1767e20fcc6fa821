// The demonstration set up without a window, as the main form sets it up: a 640 x 480 form at
// (0, 0) on the emulated desktop holding the display panel and the 512 x 386 view, the display
// components initialised windowed with the first software device, the "meta.bmp" texture, and
// the scene. Message boxes are answered OK. Run it with assets/ as the working directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/DemoScene.h"
#include "tools/snapshot/HeadlessView.h"
#include "tools/snapshot/SurfaceImage.h"

class THeadlessDemo {
 public:
  // The view is 512 x 386 unless another size is asked for.
  explicit THeadlessDemo(int Width = 512, int Height = 386);
  ~THeadlessDemo();
  THeadlessDemo(const THeadlessDemo&) = delete;
  THeadlessDemo& operator=(const THeadlessDemo&) = delete;

  TDemoScene& Scene() { return *scene_; }
  TKorvelRM& View() { return headless_.View(); }
  TKorvelTexture& MetaTexture() { return *metaTexture_; }

  // The view's drawing surface as RGBA rows (5-6-5 expanded by bit replication).
  std::vector<std::uint8_t> ViewPixels(int& Width, int& Height);

 private:
  THeadlessView headless_;  // declared first: the scene goes before the view is released
  TKorvelTexture* metaTexture_ = nullptr;
  std::unique_ptr<TDemoScene> scene_;
};
