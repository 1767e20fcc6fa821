// snapshot: renders the demonstration headless and writes the view's picture as PNG.
//
//   snapshot FRAMES OUTPUT.png          the picture after FRAMES frame ticks
//   snapshot FRAMES OUTPUT-%03d.png     every frame, numbered from 1
//
// The output path is taken literally apart from its frame-number placeholder (OutputPath.h).
//
// Run it with assets/ as the working directory (it reads wisp2.kor, its bitmaps and meta.bmp).
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "tools/snapshot/HeadlessDemo.h"
#include "tools/snapshot/OutputPath.h"

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
    std::fprintf(stderr,
                 "usage: %s FRAMES OUTPUT.png\n"
                 "  FRAMES  frame ticks to run, a whole number from 1 to %d\n"
                 "  OUTPUT  the PNG file; its first %%d (or %%0Nd, N from 1 to 9) is replaced by\n"
                 "          the frame number and then every frame is written; all other\n"
                 "          characters are taken literally\n",
                 argv[0], kMaxFrames);
    return 2;
  }
  const std::optional<int> count = ParseFrameCount(argv[1]);
  if (!count) {
    std::fprintf(stderr, "snapshot: FRAMES must be a whole number from 1 to %d, not \"%s\"\n",
                 kMaxFrames, argv[1]);
    return 2;
  }
  const int frames = *count;
  const TOutputPath output(argv[2]);
  try {
    THeadlessDemo demo;
    for (int frame = 1; frame <= frames; ++frame) {
      demo.Scene().Tick();
      if (output.PerFrame() && !WriteFrame(demo, output.ForFrame(frame))) return 1;
    }
    if (!output.PerFrame() && !WriteFrame(demo, output.ForFrame(frames))) return 1;
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
