#include "tests/framework/BmpFiles.h"

#include <fstream>

namespace testsupport {
namespace {

void Put16(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
  Out.push_back(static_cast<std::uint8_t>(Value));
  Out.push_back(static_cast<std::uint8_t>(Value >> 8));
}

void Put32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
  Put16(Out, Value & 0xFFFF);
  Put16(Out, Value >> 16);
}

// File header, info header and colour table for a bitmap whose rows take RowBytes each.
std::vector<std::uint8_t> Headers(int Width, int Height, int BitCount, int RowBytes,
                                  const std::vector<PALETTEENTRY>& Palette) {
  const std::uint32_t dataOffset = 14 + 40 + static_cast<std::uint32_t>(Palette.size()) * 4;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(RowBytes * Height);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, dataOffset + dataSize);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(Width));
  Put32(out, static_cast<std::uint32_t>(Height));  // positive: bottom row first
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(BitCount));
  Put32(out, 0);  // no compression
  Put32(out, dataSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(Palette.size()));
  Put32(out, 0);
  for (const PALETTEENTRY& e : Palette) {
    out.push_back(e.peBlue);
    out.push_back(e.peGreen);
    out.push_back(e.peRed);
    out.push_back(0);
  }
  return out;
}

void Save(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
  std::ofstream(Path, std::ios::binary)
      .write(reinterpret_cast<const char*>(Bytes.data()),
             static_cast<std::streamsize>(Bytes.size()));
}

}  // namespace

void WritePalettised(const std::string& Path, int Width, int Height, int BitCount,
                     const std::vector<PALETTEENTRY>& Palette,
                     const std::vector<std::uint8_t>& Indices) {
  const int rowBytes = ((Width * BitCount + 31) / 32) * 4;
  std::vector<std::uint8_t> out = Headers(Width, Height, BitCount, rowBytes, Palette);
  for (int y = Height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
    for (int x = 0; x < Width; ++x) {
      const std::uint8_t index = Indices[static_cast<std::size_t>(y * Width + x)];
      if (BitCount == 8)
        row[static_cast<std::size_t>(x)] = index;
      else  // 4 bits: the left pixel in the high nibble
        row[static_cast<std::size_t>(x / 2)] |=
            static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  Save(Path, out);
}

void WriteTrueColour(const std::string& Path, int Width, int Height,
                     const std::vector<Rgb>& Pixels) {
  const int rowBytes = ((Width * 24 + 31) / 32) * 4;
  std::vector<std::uint8_t> out = Headers(Width, Height, 24, rowBytes, {});
  for (int y = Height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
    for (int x = 0; x < Width; ++x) {
      const Rgb& p = Pixels[static_cast<std::size_t>(y * Width + x)];
      row[static_cast<std::size_t>(x * 3)] = p.b;
      row[static_cast<std::size_t>(x * 3 + 1)] = p.g;
      row[static_cast<std::size_t>(x * 3 + 2)] = p.r;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  Save(Path, out);
}

}  // namespace testsupport
