#pragma once
// Small helpers for the rasteriser tests: memory targets with a guarded border, vertices.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d/D3DTypes.h"
#include "platform/d3d/raster/Rasterizer.h"
#include "tests/support/Golden.h"

namespace platform::raster::testing {

// A target of width x height pixels inside a larger block whose border holds a known pattern,
// so a test can prove that nothing was written outside the target.
template <typename Pixel>
class GuardedSurface {
 public:
  static constexpr int kBorder = 8;
  static constexpr Pixel kSentinel = static_cast<Pixel>(0xA5A5A5A5u);

  GuardedSurface(int width, int height)
      : width_(width),
        height_(height),
        stride_(width + 2 * kBorder),
        block_(static_cast<std::size_t>(stride_) * (height + 2 * kBorder), kSentinel) {
    Fill(0);
  }

  void Fill(Pixel value) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) At(x, y) = value;
    }
  }

  Pixel& At(int x, int y) { return block_[Index(x, y)]; }
  Pixel At(int x, int y) const { return block_[Index(x, y)]; }
  Pixel* Origin() { return &At(0, 0); }
  int Pitch() const { return stride_ * static_cast<int>(sizeof(Pixel)); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  bool BorderUntouched() const {
    for (int y = -kBorder; y < height_ + kBorder; ++y) {
      for (int x = -kBorder; x < width_ + kBorder; ++x) {
        const bool inside = x >= 0 && y >= 0 && x < width_ && y < height_;
        if (!inside && block_[Index(x, y)] != kSentinel) return false;
      }
    }
    return true;
  }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y + kBorder) * stride_ + (x + kBorder);
  }

  int width_;
  int height_;
  int stride_;
  std::vector<Pixel> block_;
};

using Surface16 = GuardedSurface<std::uint16_t>;
using Surface32 = GuardedSurface<std::uint32_t>;

inline RenderTargetView TargetOf(Surface16& s) {
  return {s.Origin(), s.Pitch(), s.Width(), s.Height(), TargetFormat::Rgb565};
}
inline RenderTargetView TargetOf(Surface32& s) {
  return {s.Origin(), s.Pitch(), s.Width(), s.Height(), TargetFormat::Xrgb8888};
}

inline D3DTLVERTEX Vertex(float x, float y, D3DCOLOR color = 0xFFFFFFFFu, float z = 0.5f,
                          float u = 0.0f, float v = 0.0f, float rhw = 1.0f,
                          D3DCOLOR specular = 0xFF000000u) {
  return {x, y, z, rhw, color, specular, u, v};
}

// Draws a plain triangle list of the given vertices, indices 0, 1, 2, 3, ...
inline DrawResult DrawList(Rasterizer& raster, const std::vector<D3DTLVERTEX>& vertices,
                           std::uint32_t flags = 0) {
  std::vector<std::uint16_t> indices(vertices.size());
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint16_t>(i);
  return raster.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertices.data(),
                                     static_cast<std::uint32_t>(vertices.size()), indices.data(),
                                     static_cast<std::uint32_t>(indices.size()), flags);
}

inline testsupport::Picture PictureOf(Surface16& s) {
  return testsupport::PictureFromRgb565(s.Origin(), s.Width(), s.Height(), s.Pitch());
}
inline testsupport::Picture PictureOf(Surface32& s) {
  return testsupport::PictureFromXrgb8888(s.Origin(), s.Width(), s.Height(), s.Pitch());
}

// A small deterministic random source (xorshift) for tests that draw many random cases.
struct TestRandom {
  std::uint32_t state;
  std::uint32_t Bits() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  float Uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(Bits() >> 8) / 16777216.0f;
  }
  bool Chance(int percent) { return Bits() % 100 < static_cast<std::uint32_t>(percent); }
  template <typename T, std::size_t N>
  T Pick(const T (&items)[N]) {
    return items[Bits() % N];
  }
};

// Configures a rasteriser for counting: every write adds 1 to the blue channel of a 32-bit
// target, so afterwards each pixel holds how often it was written.
inline void SetUpWriteCounting(Rasterizer& raster) {
  raster.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  raster.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
  raster.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  raster.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
}
inline constexpr D3DCOLOR kCountColor = 0xFF000001u;

}  // namespace platform::raster::testing
