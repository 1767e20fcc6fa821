#pragma once
// Render targets: plain memory given as pointer, pitch, size and pixel format. The rasteriser
// never owns the memory; the DirectDraw surface (or a test) does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/d3d/D3DTypes.h"
#include "platform/d3d/raster/RasterConfig.h"
#include "platform/display/Rgb565.h"

namespace platform::raster {

enum class TargetFormat {
  Rgb565,    // 16 bits: red 15-11, green 10-5, blue 4-0
  Xrgb8888,  // 32 bits: the top byte is written as 0xFF, then red, green, blue
};

struct RenderTargetView {
  void* bits = nullptr;
  std::int32_t pitch = 0;  // bytes from one row to the next
  std::int32_t width = 0;
  std::int32_t height = 0;
  TargetFormat format = TargetFormat::Rgb565;
};

// A rectangle of pixels, left/top inclusive, right/bottom exclusive.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool IsEmpty() const { return right <= left || bottom <= top; }
};

PixelRect Intersect(const PixelRect& a, const PixelRect& b);

int BytesPerPixel(TargetFormat format);

// Writes value into every cell of the rectangle (already on the buffer) of a pitch-addressed
// buffer. A value whose bytes are all equal (black, white, the far depth) is written with
// memset; any other fills the first row and copies it to the rest.
template <typename Cell>
void FillCells(void* bits, std::int32_t pitch, const PixelRect& area, Cell value) {
  static_assert(std::is_trivially_copyable_v<Cell>);
  const std::size_t row_bytes = static_cast<std::size_t>(area.right - area.left) * sizeof(Cell);
  const auto row_at = [&](std::int32_t y) {
    return static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch +
           static_cast<std::ptrdiff_t>(area.left) * static_cast<std::ptrdiff_t>(sizeof(Cell));
  };
  unsigned char bytes[sizeof(Cell)];
  std::memcpy(bytes, &value, sizeof(Cell));
  const bool uniform =
      std::all_of(bytes, bytes + sizeof(Cell), [&](unsigned char b) { return b == bytes[0]; });
  std::uint8_t* first = row_at(area.top);
  if (!uniform) {
    Cell* cells = reinterpret_cast<Cell*>(first);
    std::fill(cells, cells + (area.right - area.left), value);
  }
  for (std::int32_t y = uniform ? area.top : area.top + 1; y < area.bottom; ++y) {
    if (uniform) {
      std::memset(row_at(y), bytes[0], row_bytes);
    } else {
      std::memcpy(row_at(y), first, row_bytes);
    }
  }
}

// The colour a target pixel holds, as opaque ARGB (5-6-5 expanded by bit replication).
D3DCOLOR ReadTargetPixel(const RenderTargetView& target, std::int32_t x, std::int32_t y);

// Fills the part of the rectangle that lies on the target with one colour, without dither.
void FillTargetRect(const RenderTargetView& target, const PixelRect& rect, D3DCOLOR color);

// Bayer thresholds 0..15, indexed [y % kDitherSize][x % kDitherSize].
inline constexpr std::uint8_t kBayer4[kDitherSize][kDitherSize] = {
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
};

// Packs 8-bit channels into 5-6-5 after adding the pixel's share of one quantisation step, so
// that flat areas between two 16-bit levels come out as a pattern averaging the true colour.
inline std::uint16_t PackRgb565Dithered(std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                        std::int32_t x, std::int32_t y) {
  static_assert(kDitherSize == 4, "the threshold scaling below assumes 16 levels");
  const std::uint32_t threshold = kBayer4[y & (kDitherSize - 1)][x & (kDitherSize - 1)];
  const auto add = [](std::uint32_t c, std::uint32_t offset) {
    const std::uint32_t sum = c + offset;
    return sum > 255u ? 255u : sum;
  };
  // A 5-bit step is 8 levels of 8 bits, a 6-bit step 4: scale the 0..15 threshold to 0..7, 0..3.
  return PackRgb565(add(r, threshold >> 1), add(g, threshold >> 2), add(b, threshold >> 1));
}

}  // namespace platform::raster
