// Hand-made BMP files as bytes, for tests of what the decoder accepts and refuses: the header
// says whatever the test wants, whatever the pixel data that follows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TempDirectory.h"  // WriteBytes, to put them in a file

namespace testsupport {

struct BmpHeader {
  std::int32_t Width = 1;
  std::int32_t Height = 1;  // negative: rows stored top first
  std::uint16_t BitCount = 8;
  std::uint32_t Compression = 0;     // 0 none, 1 RLE8, 2 RLE4
  std::uint32_t PaletteColours = 0;  // 0: as many as the bit count allows (up to 256)
};

// A BITMAPINFOHEADER file: the header, a grey-ramp palette for bit counts up to 8, then Data.
std::vector<std::uint8_t> BmpBytes(const BmpHeader& Header, const std::vector<std::uint8_t>& Data);

}  // namespace testsupport
