// Decoding of Windows bitmap files (BMP): 1-, 4- and 8-bit palettised files (RLE-compressed
// too) and 16-, 24- and 32-bit true colour. Before anything is decoded the file's header is
// checked, so a small file cannot make the decoder take unbounded memory: the declared size
// must lie within MaxBitmapSide on each side and MaxBitmapPixels in all, and an uncompressed
// file must hold every row it declares.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/com/GdiTypes.h"

namespace platform::image {

// The largest picture the program reads: 16,384 pixels on a side, 64 Mpixels in all.
inline constexpr int MaxBitmapSide = 16384;
inline constexpr std::int64_t MaxBitmapPixels = std::int64_t{64} * 1024 * 1024;

// A decoded bitmap, rows top first, without padding between rows.
struct DecodedBitmap {
  int Width = 0;
  int Height = 0;
  // 8: one palette index a pixel, Palette holding the file's colours (up to 256).
  // 32: true colour, 0x00RRGGBB a pixel (little-endian; the top byte is 0), Palette empty.
  int BitCount = 0;
  std::vector<std::uint8_t> Pixels;
  std::vector<PALETTEENTRY> Palette;

  int RowBytes() const { return Width * (BitCount / 8); }
};

// Decodes the BMP file held in Bytes. Name names the file in error messages. Returns false
// and, in Error, the file's name and what is wrong with it when Bytes are not a bitmap this
// unit accepts.
bool DecodeBitmap(std::span<const std::uint8_t> Bytes, const std::string& Name,
                  DecodedBitmap* Result, std::string* Error);

}  // namespace platform::image
