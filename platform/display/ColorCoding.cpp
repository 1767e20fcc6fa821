#include "platform/display/ColorCoding.h"

#include <bit>
#include <cstring>

namespace platform {
namespace {

// The channel value under Mask widened to 8 bits.
BYTE Widen(DWORD Value, DWORD Mask) {
  if (Mask == 0) return 0;
  const int shift = std::countr_zero(Mask);
  const int bits = std::popcount(Mask);
  DWORD v = (Value & Mask) >> shift;
  if (bits >= 8) return static_cast<BYTE>(v >> (bits - 8));
  DWORD wide = 0;
  for (int filled = 0; filled < 8; filled += bits) wide = (wide << bits) | v;
  const int total = ((8 + bits - 1) / bits) * bits;
  return static_cast<BYTE>(wide >> (total - 8));
}

// An 8-bit channel value narrowed into Mask, rounding to the nearest level.
DWORD Narrow(BYTE Value, DWORD Mask) {
  if (Mask == 0) return 0;
  const int shift = std::countr_zero(Mask);
  const DWORD levels = Mask >> shift;
  const DWORD v = (static_cast<DWORD>(Value) * levels + 127) / 255;
  return (v << shift) & Mask;
}

}  // namespace

DWORD ReadPixel(const PixelView& View, LONG X, LONG Y) {
  const std::uint8_t* p = View.Row(Y) + static_cast<std::ptrdiff_t>(X) * View.BytesPerPixel();
  switch (View.bitCount) {
    case 8:
      return *p;
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    default: {
      std::uint32_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
  }
}

void WritePixel(const PixelView& View, LONG X, LONG Y, DWORD Value) {
  std::uint8_t* p = View.Row(Y) + static_cast<std::ptrdiff_t>(X) * View.BytesPerPixel();
  switch (View.bitCount) {
    case 8:
      *p = static_cast<std::uint8_t>(Value);
      break;
    case 16: {
      const auto v = static_cast<std::uint16_t>(Value);
      std::memcpy(p, &v, sizeof v);
      break;
    }
    default:
      std::memcpy(p, &Value, sizeof Value);
      break;
  }
}

DWORD PackRgb(const PixelView& View, BYTE Red, BYTE Green, BYTE Blue) {
  return Narrow(Red, View.redMask) | Narrow(Green, View.greenMask) | Narrow(Blue, View.blueMask);
}

PALETTEENTRY UnpackRgb(const PixelView& View, DWORD Value) {
  return PALETTEENTRY{Widen(Value, View.redMask), Widen(Value, View.greenMask),
                      Widen(Value, View.blueMask), 0};
}

BYTE NearestPaletteIndex(const PALETTEENTRY* Palette, BYTE Red, BYTE Green, BYTE Blue) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 256; ++i) {
    const long dr = long{Palette[i].peRed} - Red;
    const long dg = long{Palette[i].peGreen} - Green;
    const long db = long{Palette[i].peBlue} - Blue;
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return static_cast<BYTE>(best);
}

}  // namespace platform
