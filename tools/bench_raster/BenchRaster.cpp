// Rasteriser throughput on the program's setting: a 512 x 386 16-bit 5-6-5 target with a 16-bit
// z-buffer, perspective correction, dither, specular and CCW culling on; textured lists use an
// 8-bit palettised 64 x 64 texture. Triangle lists of small (50 pixels), medium (512) and large
// (20,000) triangles tile the target. Reports pixels and triangles per second.
// The DemoStates cases draw with exactly the demonstration's states instead: 5-6-5 with dither,
// a 32-bit z-buffer, the palettised texture with MODULATE, specular, linear table fog, no
// perspective correction, Gouraud, CCW culling; DemoStatesGeneral forces the general span on
// the same scene, for the ratio of the fast span to it in one run. DemoStates runs with one
// and with two drawing threads (the `threads:` argument).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/d3d/raster/Rasterizer.h"

namespace {

using platform::raster::DepthBufferView;
using platform::raster::DepthFormat;
using platform::raster::Rasterizer;
using platform::raster::RenderStateBlock;
using platform::raster::TargetFormat;
using platform::raster::TextureFormat;

constexpr int kWidth = 512;
constexpr int kHeight = 386;

enum class Kind { Textured, Gouraud, Fogged, Demo, DemoGeneral };

struct Scene {
  std::vector<D3DTLVERTEX> vertices;
  std::vector<std::uint16_t> indices;
  double pixels = 0.0;  // covered area of one pass
};

// A grid of quads of side `side` split into two clockwise triangles each.
Scene MakeGrid(float side) {
  Scene scene;
  const int columns = static_cast<int>((kWidth - 2) / side);
  const int rows = static_cast<int>((kHeight - 2) / side);
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      const float x = 1.0f + i * side, y = 1.0f + j * side;
      const float depth = 0.1f + 0.4f * x / kWidth;  // spans the program's fog range
      const float rhw = 1.0f / (1.0f + 3.0f * depth);
      const D3DCOLOR color =
          0xFF000000u | ((i * 40u) & 0xFFu) << 16 | ((j * 60u) & 0xFFu) << 8 | 0xA0u;
      scene.vertices.push_back({x, y, depth, rhw, color, 0x80202020u, i * 0.5f, j * 0.5f});
    }
  }
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const auto at = [&](int di, int dj) {
        return static_cast<std::uint16_t>((j + dj) * (columns + 1) + i + di);
      };
      for (const std::uint16_t index :
           {at(0, 0), at(1, 0), at(1, 1), at(0, 0), at(1, 1), at(0, 1)}) {
        scene.indices.push_back(index);
      }
    }
  }
  scene.pixels = static_cast<double>(rows) * columns * side * side;
  return scene;
}

class Setting {
 public:
  explicit Setting(Kind kind)
      : target_(kWidth * kHeight),
        depth_(kWidth * kHeight, 0xFFFFFFFFu),
        texels_(64 * 64),
        palette_(256) {
    for (int i = 0; i < 256; ++i) palette_[i] = 0xFF000000u | (i * 0x010305u & 0xFFFFFFu);
    for (int i = 0; i < 64 * 64; ++i) texels_[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 6));
    raster_.SetRenderTarget({target_.data(), kWidth * 2, kWidth, kHeight, TargetFormat::Rgb565});
    const bool demo = kind == Kind::Demo || kind == Kind::DemoGeneral;
    if (demo) {
      raster_.SetDepthBuffer({depth_.data(), kWidth * 4, kWidth, kHeight, DepthFormat::Depth32});
    } else {
      raster_.SetDepthBuffer({depth_.data(), kWidth * 2, kWidth, kHeight, DepthFormat::Depth16});
    }
    raster_.SetFastSpans(kind != Kind::DemoGeneral);
    raster_.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    raster_.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 1);
    raster_.SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, demo ? 0 : 1);
    raster_.SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    raster_.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    raster_.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    raster_.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1);
    if (kind != Kind::Gouraud) {
      raster_.SetTexture({texels_.data(), 64, 64, 64, TextureFormat::Palette8, palette_.data()});
    }
    if (kind != Kind::Textured && kind != Kind::Gouraud) {
      raster_.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
      raster_.SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
      raster_.SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFFDFDFEFu);
      raster_.SetRenderState(D3DRENDERSTATE_FOGTABLESTART, RenderStateBlock::FloatBits(0.2f));
      raster_.SetRenderState(D3DRENDERSTATE_FOGTABLEEND, RenderStateBlock::FloatBits(0.4f));
    }
  }
  Rasterizer& raster() { return raster_; }

 private:
  std::vector<std::uint16_t> target_;
  std::vector<std::uint32_t> depth_;  // 16-bit cases use the first half
  std::vector<std::uint8_t> texels_;
  std::vector<D3DCOLOR> palette_;
  Rasterizer raster_;
};

void DrawTriangles(benchmark::State& state, Kind kind, float triangle_pixels) {
  Setting setting(kind);
  if (kind == Kind::Demo) setting.raster().SetThreadCount(static_cast<int>(state.range(0)));
  const Scene scene = MakeGrid(std::sqrt(2.0f * triangle_pixels));
  for (auto _ : state) {
    // Equal depth passes LESSEQUAL, so every pass does the full work.
    setting.raster().DrawIndexedPrimitive(
        D3DPT_TRIANGLELIST, scene.vertices.data(),
        static_cast<std::uint32_t>(scene.vertices.size()), scene.indices.data(),
        static_cast<std::uint32_t>(scene.indices.size()), D3DDP_WAIT | D3DDP_DONOTCLIP);
  }
  const double passes = static_cast<double>(state.iterations());
  state.counters["pixels/s"] =
      benchmark::Counter(scene.pixels * passes, benchmark::Counter::kIsRate);
  state.counters["triangles/s"] = benchmark::Counter(
      static_cast<double>(scene.indices.size() / 3) * passes, benchmark::Counter::kIsRate);
}

void RegisterAll() {
  const struct {
    const char* name;
    Kind kind;
  } kinds[] = {{"Textured8bit", Kind::Textured},
               {"Gouraud", Kind::Gouraud},
               {"FoggedTextured", Kind::Fogged},
               {"DemoStates", Kind::Demo},
               {"DemoStatesGeneral", Kind::DemoGeneral}};
  const struct {
    const char* name;
    float pixels;
  } sizes[] = {{"Small50px", 50.0f}, {"Medium500px", 512.0f}, {"Large20000px", 20000.0f}};
  for (const auto& kind : kinds) {
    for (const auto& size : sizes) {
      const std::string name = std::string("BM_") + kind.name + "/" + size.name;
      auto* bench =
          benchmark::RegisterBenchmark(name.c_str(), DrawTriangles, kind.kind, size.pixels)
              ->Unit(benchmark::kMicrosecond);
      if (kind.kind == Kind::Demo) bench->ArgName("threads")->Arg(1)->Arg(2);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
