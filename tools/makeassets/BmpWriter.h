// Windows bitmap files in the one form the demo's assets use: 8 bits per pixel with a
// 256-colour palette, uncompressed (BI_RGB), rows stored bottom-up and padded to 4 bytes. Every
// header field is written explicitly, so the same picture always gives the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Palette entries as 0x00RRGGBB.
using TPalette256 = std::array<uint32_t, 256>;

// An 8-bit picture: Width x Height palette indices, top row first.
struct TIndexedPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Pixels;

  uint8_t& At(int32_t x, int32_t y) { return Pixels[static_cast<size_t>(y * Width + x)]; }
};

constexpr uint32_t BmpHeaderBytes = 14 + 40 + 256 * 4;  // file header, info header, palette

// The bitmap file's bytes.
std::vector<uint8_t> EncodeBmp8(const TIndexedPicture& Picture, const TPalette256& Palette);
