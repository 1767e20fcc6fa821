// snapshot: renders the demonstration headless and writes the view's picture as PNG.
//
//   snapshot FRAMES OUTPUT.png          the picture after FRAMES frame ticks
//   snapshot FRAMES OUTPUT-%03d.png     every frame, numbered from 1
//
// Run it with assets/ as the working directory (it reads wisp2.kor, its bitmaps and meta.bmp).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tools/snapshot/HeadlessDemo.h"

namespace {

bool WriteFrame(THeadlessDemo& demo, const std::string& path) {
  int width = 0, height = 0;
  const auto pixels = demo.ViewPixels(width, height);
  if (pixels.empty() || !WriteRgbaPng(path, pixels, width, height)) {
    std::fprintf(stderr, "snapshot: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FRAMES OUTPUT.png (OUTPUT may hold %%d for every frame)\n",
                 argv[0]);
    return 2;
  }
  const int frames = std::atoi(argv[1]);
  const std::string pattern = argv[2];
  const bool series = pattern.find('%') != std::string::npos;
  if (frames < 1) {
    std::fprintf(stderr, "snapshot: FRAMES must be at least 1\n");
    return 2;
  }
  try {
    THeadlessDemo demo;
    for (int frame = 1; frame <= frames; ++frame) {
      demo.Scene().Tick();
      if (series) {
        char path[4096];
        std::snprintf(path, sizeof path, pattern.c_str(), frame);
        if (!WriteFrame(demo, path)) return 1;
      }
    }
    if (!series && !WriteFrame(demo, pattern)) return 1;
    const TKorRenderLosses& losses = demo.Scene().Renderer.Losses;
    if (losses.Objects + losses.Polygons + losses.Triangles > 0) {
      std::fprintf(stderr,
                   "snapshot: the last frame left out %d objects, %d polygons, %d triangles\n",
                   losses.Objects, losses.Polygons, losses.Triangles);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "snapshot: %s\n", error.what());
    return 1;
  }
  return 0;
}
