// The 16-bit 5-6-5 pixel format shared by the screen, the surfaces, the rasteriser and every
// reader of their pixels: red in bits 15-11, green 10-5, blue 4-0. Packing truncates; widening
// repeats the top bits (5-bit 0x1F becomes 0xFF, 0x10 becomes 0x84), so white stays white and
// a packed colour widens and packs back to itself.
#pragma once

#include <cstdint>

namespace platform {

constexpr std::uint16_t PackRgb565(std::uint32_t Red, std::uint32_t Green, std::uint32_t Blue) {
  return static_cast<std::uint16_t>(((Red >> 3) << 11) | ((Green >> 2) << 5) | (Blue >> 3));
}

// A 5- or 6-bit channel value widened to 8 bits.
constexpr std::uint32_t Expand5(std::uint32_t Value) {
  return (Value << 3) | (Value >> 2);
}
constexpr std::uint32_t Expand6(std::uint32_t Value) {
  return (Value << 2) | (Value >> 4);
}

constexpr std::uint32_t Red565(std::uint16_t Pixel) {
  return Expand5((Pixel >> 11) & 0x1Fu);
}
constexpr std::uint32_t Green565(std::uint16_t Pixel) {
  return Expand6((Pixel >> 5) & 0x3Fu);
}
constexpr std::uint32_t Blue565(std::uint16_t Pixel) {
  return Expand5(Pixel & 0x1Fu);
}

// The pixel as opaque 0xAARRGGBB.
constexpr std::uint32_t ExpandRgb565(std::uint16_t Pixel) {
  return 0xFF000000u | (Red565(Pixel) << 16) | (Green565(Pixel) << 8) | Blue565(Pixel);
}

static_assert(ExpandRgb565(0xFFFF) == 0xFFFFFFFFu);
static_assert(ExpandRgb565(0x8410) == 0xFF848284u);
static_assert(PackRgb565(0x84, 0x82, 0x84) == 0x8410);

}  // namespace platform
