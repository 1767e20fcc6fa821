// korcapture: renders a frame headless and writes its device calls to a capture file (see
// README.md and FrameCapture.h).
//
//   korcapture [--size WxH] [--figures N | --large | --dense] FRAME OUTPUT.korframe
//
// Run it with assets/ as the working directory (it reads wisp2.kor, its bitmaps and meta.bmp).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "anim/Wisp.h"
#include "render/FramePass.h"
#include "scene/FloatingPoint.h"
#include "tools/korcapture/FrameRecorder.h"
#include "tools/snapshot/HeadlessDemo.h"

namespace {

using framecapture::FrameCapture;
using framecapture::ViewRecording;

constexpr float Pi = std::numbers::pi_v<float>;

struct Options {
  int width = 512, height = 386;
  int figures = 1;
  bool large = false;
  bool dense = false;
  int frame = 1;
  std::string output;
};

// Several figures in a grid, each a quarter turn of the sway apart, drawn by one renderer.
class CrowdScene {
 public:
  CrowdScene(TKorvelRM& view, int count) {
    NewRenderer(renderer_, &view, 0, 0, 65000, 65000, 2.0f);
    NewObject(root_, 0, 0, 0, 0);
    const int columns = count <= 1 ? 1 : 3;
    for (int i = 0; i < count; ++i) {
      auto figure = std::make_unique<TWisp>(&view);
      AttachObject(root_, figure->Model);
      const float x = static_cast<float>(i % columns - 1) * 7.0f;
      const float y = static_cast<float>(i / columns - 1) * 5.5f;
      MakeMatrix(figure->Placement, x, y, 0, -0.2f * Pi, 1.45f * Pi + 0.3f * static_cast<float>(i),
                 -0.2f * Pi);
      figure->Phase = 0.25f * static_cast<float>(i % 4);
      figures_.push_back(std::move(figure));
    }
    MakeMatrix(renderer_.Camera, 0, 0, -26, 0, 0, 0);
    renderer_.Light = {0, 0, 1};
  }
  ~CrowdScene() {
    figures_.clear();
    FreeObject(root_);
    FreeRenderer(renderer_);
  }
  CrowdScene(const CrowdScene&) = delete;
  CrowdScene& operator=(const CrowdScene&) = delete;

  void Tick() {
    ResetFloatingPoint();
    for (auto& figure : figures_) figure->Animate(0.02f);
    DrawScene(renderer_, root_, false);
  }

 private:
  TKorRenderer renderer_;
  TKorObject* root_ = nullptr;
  std::vector<std::unique_ptr<TWisp>> figures_;
};

// Vertices and indices of a generated frame, drawn in one call.
struct Geometry {
  std::vector<D3DTLVERTEX> vertices;
  std::vector<WORD> indices;
};

// Large textured, lit, fogged triangles: three overlapping layers of quads tiled over the view.
Geometry LargeTriangles(int w, int h) {
  Geometry geometry;
  auto& vertices = geometry.vertices;
  auto& indices = geometry.indices;
  constexpr int Columns = 8, Rows = 6, Layers = 3;
  for (int layer = 0; layer < Layers; ++layer) {
    const float shift = 13.0f * static_cast<float>(layer);
    const float z = 0.15f + 0.12f * static_cast<float>(layer);
    for (int row = 0; row < Rows; ++row) {
      for (int column = 0; column < Columns; ++column) {
        const auto first = static_cast<WORD>(vertices.size());
        // Corners off the pixel grid, as a program's transformed vertices are.
        const float x0 = static_cast<float>(column * w) / Columns - shift + 0.3f;
        const float y0 = static_cast<float>(row * h) / Rows - shift * 0.5f + 0.2f;
        const float x1 = x0 + static_cast<float>(w) / Columns * 1.3f;
        const float y1 = y0 + static_cast<float>(h) / Rows * 1.3f;
        const D3DCOLOR diffuse = RGB_MAKE(255 - 60 * layer, 200 + 20 * layer, 150 + 30 * layer);
        const D3DCOLOR specular = RGBA_MAKE(20 * layer, 10 * layer, 30, 255);
        // A quarter of the texture across each quad: magnified, as large triangles are.
        vertices.push_back({x0, y0, z, 1, diffuse, specular, 0, 0});
        vertices.push_back({x1, y0, z + 0.05f, 1, diffuse, specular, 0.25f, 0});
        vertices.push_back({x1, y1, z + 0.1f, 1, diffuse, specular, 0.25f, 0.25f});
        vertices.push_back({x0, y1, z + 0.05f, 1, diffuse, specular, 0, 0.25f});
        // Clockwise on screen (y down): the visible side under CCW culling.
        for (int corner : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<WORD>(first + corner));
      }
    }
  }
  return geometry;
}

// Many small triangles over most of the view: a 100 x 100 grid of quads (20,000 triangles) on
// the middle 92% of each side (about 85% of the pixels), gently waved in depth and shading, its
// texture repeated three times across. Each triangle covers about 13 pixels, so set-up and short
// rows weigh as much as shading.
Geometry DenseTriangles(int w, int h) {
  constexpr int Cells = 100;
  constexpr float Margin = 0.04f;
  Geometry geometry;
  auto& vertices = geometry.vertices;
  for (int row = 0; row <= Cells; ++row) {
    for (int column = 0; column <= Cells; ++column) {
      const float s = static_cast<float>(column) / Cells;
      const float t = static_cast<float>(row) / Cells;
      // Corners off the pixel grid, as a program's transformed vertices are.
      const float x = (Margin + (1 - 2 * Margin) * s) * static_cast<float>(w) + 0.37f;
      const float y = (Margin + (1 - 2 * Margin) * t) * static_cast<float>(h) + 0.21f;
      const float wave = std::sin(6.0f * s + 4.0f * t);
      const float z = 0.12f + 0.04f * wave + 0.1f * t;
      const auto shade = static_cast<int>(180.0f + 60.0f * wave);
      const D3DCOLOR diffuse = RGB_MAKE(shade, 220, 255 - shade / 2);
      const D3DCOLOR specular = RGBA_MAKE(static_cast<int>(30.0f * (1.0f + wave)), 10, 20, 255);
      vertices.push_back({x, y, z, 1, diffuse, specular, s * 3.0f, t * 3.0f});
    }
  }
  for (int row = 0; row < Cells; ++row) {
    for (int column = 0; column < Cells; ++column) {
      const int first = row * (Cells + 1) + column;
      // Clockwise on screen (y down): the visible side under CCW culling.
      for (int corner : {0, 1, Cells + 2, 0, Cells + 2, Cells + 1}) {
        geometry.indices.push_back(static_cast<WORD>(first + corner));
      }
    }
  }
  return geometry;
}

// Draws generated geometry through the device with the demonstration's states, texture and
// background, after clearing the view. (The device's interface takes its arrays as writable.)
void DrawGenerated(THeadlessDemo& demo, Geometry geometry) {
  TKorvelRM& view = demo.View();
  const int w = view.Width(), h = view.Height();
  std::vector<D3DTLVERTEX>& vertices = geometry.vertices;
  std::vector<WORD>& indices = geometry.indices;
  ComPtr<IDirect3DViewport> viewport;
  view.Viewport->GetDirect3DViewport(viewport.Put());
  ComPtr<IDirect3DViewport2> viewport2;
  if (viewport) viewport.As(IID_IDirect3DViewport2, viewport2);
  IDirect3DDevice2* device = view.D3DDevice.Get();
  if (viewport2) {
    device->SetCurrentViewport(viewport2.Get());
    viewport2->SetBackground(view.BGMaterialHandle);
    D3DRECT rect{0, 0, w, h};
    viewport2->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  }
  device->BeginScene();
  device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, demo.MetaTexture().Data.TextureHandle);
  device->SetLightState(D3DLIGHTSTATE_MATERIAL, demo.MetaTexture().Data.MaterialHandle);
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, vertices.data(),
                               static_cast<DWORD>(vertices.size()), indices.data(),
                               static_cast<DWORD>(indices.size()), D3DDP_WAIT);
  device->EndScene();
}

std::string Label(const Options& options) {
  std::string label = options.large         ? "large triangles"
                      : options.dense       ? "dense triangles"
                      : options.figures > 1 ? std::to_string(options.figures) + " figures"
                                            : "demo figure";
  label += ", " + std::to_string(options.width) + " x " + std::to_string(options.height);
  if (!options.large && !options.dense) label += ", frame " + std::to_string(options.frame);
  return label;
}

FrameCapture Capture(const Options& options) {
  THeadlessDemo demo(options.width, options.height);
  std::unique_ptr<CrowdScene> crowd;
  if (options.figures > 1) crowd = std::make_unique<CrowdScene>(demo.View(), options.figures);
  auto tick = [&] { crowd ? crowd->Tick() : demo.Scene().Tick(); };
  const bool generated = options.large || options.dense;
  for (int frame = 1; frame < options.frame && !generated; ++frame) tick();
  ViewRecording recording(demo.View());
  recording.Recorder().Start(Label(options));
  if (generated) {
    const int w = demo.View().Width(), h = demo.View().Height();
    DrawGenerated(demo, options.large ? LargeTriangles(w, h) : DenseTriangles(w, h));
  } else {
    tick();
  }
  return recording.Recorder().Finish();
}

bool ParseSize(const std::string& text, Options& options) {
  return std::sscanf(text.c_str(), "%dx%d", &options.width, &options.height) == 2 &&
         options.width >= 16 && options.height >= 16 && options.width <= 4096 &&
         options.height <= 4096;
}

bool ParseArguments(int argc, char** argv, Options& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--size" && i + 1 < argc) {
      if (!ParseSize(argv[++i], options)) return false;
    } else if (arg == "--figures" && i + 1 < argc) {
      options.figures = std::atoi(argv[++i]);
      if (options.figures < 1 || options.figures > 16) return false;
    } else if (arg == "--large") {
      options.large = true;
    } else if (arg == "--dense") {
      options.dense = true;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return false;
  if (static_cast<int>(options.large) + static_cast<int>(options.dense) +
          static_cast<int>(options.figures > 1) >
      1) {
    return false;
  }
  options.frame = std::atoi(positional[0].c_str());
  options.output = positional[1];
  return options.frame >= 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--size WxH] [--figures N | --large | --dense] FRAME OUTPUT.korframe\n"
                 "  FRAME counts demo ticks from 1; the capture holds that tick's frame\n",
                 argv[0]);
    return 2;
  }
  try {
    const FrameCapture frame = Capture(options);
    std::string error;
    if (!framecapture::SaveCapture(options.output, frame, error)) {
      std::fprintf(stderr, "korcapture: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s: %s, %zu triangles, %zu textures\n", options.output.c_str(),
                frame.Label.c_str(), frame.TriangleCount(), frame.Textures.size());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "korcapture: %s\n", error.what());
    return 1;
  }
  return 0;
}
