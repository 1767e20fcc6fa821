// Decoding of Windows bitmap files (BMP), the one picture format the framework reads. SDL2's
// BMP reader does the decoding (1-, 4- and 8-bit palettised files, RLE too, and 16-, 24- and
// 32-bit true colour); this unit is the only place outside backends/ that uses SDL, and it
// uses nothing of SDL's video system, so it works without a display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/GdiTypes.h"

// A decoded bitmap, rows top first.
struct TDecodedBitmap {
  int Width = 0;
  int Height = 0;
  // 8: palette indices, Palette holding the file's colours (up to 256).
  // 32: true colour, 0x00RRGGBB per pixel (little-endian), Palette empty.
  int BitCount = 0;
  int Pitch = 0;  // bytes from one row to the next
  std::vector<std::uint8_t> Pixels;
  std::vector<PALETTEENTRY> Palette;
};

// Decodes the BMP file held in Bytes. Palettised files of 8 bits or fewer stay palette
// indices with their palette; every other file becomes 32-bit true colour. Returns false and
// the decoder's reason in Error when Bytes are not a valid bitmap.
bool DecodeBmp(const std::vector<std::uint8_t>& Bytes, TDecodedBitmap* Result, std::string* Error);
