#include "tools/makeassets/AssetPictures.h"

namespace {

constexpr uint8_t BlueRamp = 0;
constexpr uint8_t VioletRamp = 64;
constexpr uint8_t StoneRamp = 128;
constexpr uint8_t Gold = 192;
constexpr uint8_t White = 194;
constexpr uint8_t Red = 195;

struct TRgb {
  int R, G, B;
};

uint32_t Pack(TRgb c) {
  return static_cast<uint32_t>(c.R) << 16 | static_cast<uint32_t>(c.G) << 8 |
         static_cast<uint32_t>(c.B);
}

TRgb Mix(TRgb a, TRgb b, int step, int steps) {
  return {a.R + (b.R - a.R) * step / steps, a.G + (b.G - a.G) * step / steps,
          a.B + (b.B - a.B) * step / steps};
}

// 64 entries from dark up to middle, then on to light.
void FillRamp(TPalette256& palette, int first, TRgb dark, TRgb middle, TRgb light) {
  for (int i = 0; i < 32; ++i) {
    palette[static_cast<size_t>(first + i)] = Pack(Mix(dark, middle, i, 31));
    palette[static_cast<size_t>(first + 32 + i)] = Pack(Mix(middle, light, i + 1, 32));
  }
}

int IntegerSquareRoot(int n) {
  int root = 0;
  while ((root + 1) * (root + 1) <= n) ++root;
  return root;
}

TIndexedPicture Blank(int size) {
  TIndexedPicture picture;
  picture.Width = size;
  picture.Height = size;
  picture.Pixels.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
  return picture;
}

}  // namespace

TPalette256 AssetPalette() {
  TPalette256 palette{};
  FillRamp(palette, BlueRamp, {8, 16, 64}, {64, 160, 255}, {224, 248, 255});
  FillRamp(palette, VioletRamp, {32, 8, 48}, {160, 64, 200}, {255, 210, 250});
  FillRamp(palette, StoneRamp, {24, 20, 16}, {120, 100, 80}, {230, 220, 200});
  const TRgb accents[8] = {{255, 200, 40}, {0, 0, 0},     {255, 255, 255}, {220, 40, 40},
                           {40, 200, 80},  {255, 128, 0}, {64, 64, 64},    {192, 192, 192}};
  for (int i = 0; i < 8; ++i) palette[static_cast<size_t>(Gold + i)] = Pack(accents[i]);
  for (int i = 200; i < 255; ++i) {
    const int grey = 21 + (i - 200) * 4;
    palette[static_cast<size_t>(i)] = Pack({grey, grey, grey});
  }
  palette[255] = Pack({255, 0, 255});
  return palette;
}

TIndexedPicture BodyTexture() {
  TIndexedPicture picture = Blank(128);
  for (int y = 0; y < 128; ++y) {
    // Lighter toward the top of each tile, which maps to the upper end of each half body.
    const int shade = 63 - (y % 64) * 40 / 63;
    for (int x = 0; x < 128; ++x) {
      const bool violet = ((x / 16) + (y / 16)) % 2 == 1;
      uint8_t index = static_cast<uint8_t>((violet ? VioletRamp : BlueRamp) + shade);
      if (violet && x % 16 == y % 16) index = White;  // diagonals show which way u runs
      if (x % 16 == 0 || y % 16 == 0) index = Gold;
      picture.At(x, y) = index;
    }
  }
  return picture;
}

TIndexedPicture PedestalTexture() {
  TIndexedPicture picture = Blank(64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int dx = 2 * x - 63, dy = 2 * y - 63;  // doubled offsets from the centre
      const int distance = IntegerSquareRoot(dx * dx + dy * dy);
      uint8_t index =
          static_cast<uint8_t>(StoneRamp + ((distance / 8) % 2 == 0 ? 44 : 24) + distance / 8);
      if (dx == 1 || dx == -1 || dy == 1 || dy == -1) index = Gold;
      if (dx > 40 && dy > -10 && dy < 10) index = Red;  // +x is to the right of the picture
      picture.At(x, y) = index;
    }
  }
  return picture;
}

TIndexedPicture MetaPicture() {
  TIndexedPicture picture = Blank(256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const int ramp = ((x / 64) + (y / 64)) % 3;
      picture.At(x, y) = static_cast<uint8_t>(ramp * 64 + ((x ^ y) & 63));
    }
  }
  return picture;
}
