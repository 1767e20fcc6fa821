// A view of pixel memory: where the rows lie and how a pixel is coded. Drawing contexts,
// the emulated screen and DirectDraw surfaces all describe their pixels this way.
//
// Codings: 8 bits per pixel are palette indices; 16 and 32 bits are RGB with the channel
// masks given (5-6-5 is 0xF800, 0x07E0, 0x001F). Pixels are little-endian.
#pragma once

#include <cstdint>

#include "platform/com/WinTypes.h"

namespace platform {

struct PixelView {
  std::uint8_t* bits = nullptr;
  LONG pitch = 0;  // bytes from one row to the next
  LONG width = 0;
  LONG height = 0;
  DWORD bitCount = 0;  // 8, 16 or 32
  DWORD redMask = 0;
  DWORD greenMask = 0;
  DWORD blueMask = 0;

  bool Palettised() const { return bitCount == 8; }
  LONG BytesPerPixel() const { return static_cast<LONG>(bitCount / 8); }
  std::uint8_t* Row(LONG y) const { return bits + static_cast<std::ptrdiff_t>(y) * pitch; }
  // Same coding (bit count and masks); the geometry may differ.
  bool SameCoding(const PixelView& Other) const {
    return bitCount == Other.bitCount && redMask == Other.redMask && greenMask == Other.greenMask &&
           blueMask == Other.blueMask;
  }
};

// The 16-bit 5-6-5 coding of the desktop and the 16-bit display modes.
inline constexpr DWORD kRed565 = 0xF800;
inline constexpr DWORD kGreen565 = 0x07E0;
inline constexpr DWORD kBlue565 = 0x001F;

}  // namespace platform
