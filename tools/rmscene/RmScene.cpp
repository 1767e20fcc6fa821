// rmscene: renders the retained-mode sample scene headless and writes the view's picture as PNG.
//
//   rmscene FRAMES OUTPUT.png [WRAPTYPE]
//
// Loads sample.x into the view, optionally wraps meta.bmp onto it (WRAPTYPE 0 flat, 1 cylinder,
// 2 sphere, 3 chrome), clears and renders FRAMES frames (each turning the torus a little) and
// writes the last. Run it with assets/ as the working directory. It prints what the last frame
// drew and the mean time of a frame.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/d3drm/RMViewport.h"
#include "tools/rmscene/SampleScene.h"
#include "tools/snapshot/SurfaceImage.h"

namespace {

void PrintCounts(TKorvelRM& View, double MillisecondsPerFrame) {
  const auto* viewport = platform::d3drm::RMViewport::From(View.Viewport.Get());
  if (!viewport) return;
  const platform::d3drm::RenderCounts& c = viewport->Renderer().Counts();
  std::printf(
      "rmscene: %u meshes, %u faces whole, %u cut, %u dropped, %u triangles in %u draw calls; "
      "%.3f ms a frame\n",
      c.meshes, c.faces, c.clippedFaces, c.droppedFaces, c.triangles, c.drawCalls,
      MillisecondsPerFrame);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s FRAMES OUTPUT.png [WRAPTYPE 0-3]\n", argv[0]);
    return 2;
  }
  const int frames = std::atoi(argv[1]);
  if (frames < 1) {
    std::fprintf(stderr, "rmscene: FRAMES must be at least 1\n");
    return 2;
  }
  const std::string output = argv[2];
  try {
    THeadlessView headless;
    TKorvelRM& view = headless.View();
    if (!view.Viewport) {
      std::fprintf(stderr, "rmscene: the view has no device\n");
      return 1;
    }
    TKorvelFrame* frame = nullptr;
    LoadSampleScene(view, ".", &frame);
    if (argc == 4) WrapSample(view, frame, ".", std::atoi(argv[3]));
    SetSampleBackground(view);

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) RenderSampleFrame(view);
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    PrintCounts(view, spent.count() / frames);

    int width = 0, height = 0;
    const auto pixels = headless.Pixels(width, height);
    if (pixels.empty() || !WriteRgbaPng(output, pixels, width, height)) {
      std::fprintf(stderr, "rmscene: cannot write %s\n", output.c_str());
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "rmscene: %s\n", error.what());
    return 1;
  }
  return 0;
}
