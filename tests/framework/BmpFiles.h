// Writers of small Windows bitmap files for the framework's tests: palettised (4 and 8 bits)
// and true colour (24 bits), stored bottom-up as BMP files usually are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/GdiTypes.h"

namespace testsupport {

struct Rgb {
  std::uint8_t r, g, b;
};

// Indices holds Width x Height palette indices, top row first; BitCount is 4 or 8.
void WritePalettised(const std::string& Path, int Width, int Height, int BitCount,
                     const std::vector<PALETTEENTRY>& Palette,
                     const std::vector<std::uint8_t>& Indices);
// Pixels holds Width x Height colours, top row first.
void WriteTrueColour(const std::string& Path, int Width, int Height,
                     const std::vector<Rgb>& Pixels);

}  // namespace testsupport
