// The pixel arithmetic of the blend blits on plain buffers.
#include "components/BlendBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr ChannelMasks k565{0xF800, 0x07E0, 0x001F};
constexpr ChannelMasks k565Units{0x0800, 0x0020, 0x0001};
constexpr ChannelMasks k555{0x7C00, 0x03E0, 0x001F};

// A 16-bit picture whose rows carry two spare pixels after Width (a marker in each), so
// that writes past the end of a row show.
class Pixels {
 public:
  Pixels(LONG Width, LONG Height, std::uint16_t Fill)
      : width_(Width),
        height_(Height),
        data_(static_cast<std::size_t>((Width + 2) * Height), Fill) {
    for (LONG y = 0; y < Height; ++y) data_[Index(Width, y)] = data_[Index(Width + 1, y)] = kMarker;
  }
  BlendSurface Surface() {
    return BlendSurface{reinterpret_cast<std::uint8_t*>(data_.data()), (width_ + 2) * 2, width_,
                        height_};
  }
  std::uint16_t& At(LONG X, LONG Y) { return data_[Index(X, Y)]; }
  bool MarkersIntact() const {
    for (LONG y = 0; y < height_; ++y)
      if (data_[Index(width_, y)] != kMarker || data_[Index(width_ + 1, y)] != kMarker)
        return false;
    return true;
  }
  static constexpr std::uint16_t kMarker = 0xA5A5;

 private:
  std::size_t Index(LONG X, LONG Y) const { return static_cast<std::size_t>(Y * (width_ + 2) + X); }
  LONG width_, height_;
  std::vector<std::uint16_t> data_;
};

std::uint16_t ScreenAdd(std::uint16_t Src, std::uint16_t Dst, ChannelMasks Masks = k565) {
  Pixels s(1, 1, Src), d(1, 1, Dst);
  ScreenAddRect(d.Surface(), s.Surface(), BlendRect{0, 0, 0, 0, 1, 1}, Masks);
  return d.At(0, 0);
}

std::uint16_t SaturatingAdd(std::uint16_t Src, std::uint16_t Dst, ChannelMasks Masks = k565) {
  Pixels s(1, 1, Src), d(1, 1, Dst);
  SaturatingAddRect(d.Surface(), s.Surface(), BlendRect{0, 0, 0, 0, 1, 1}, Masks);
  return d.At(0, 0);
}

std::uint16_t Darkened(std::uint16_t Pixel, float Amount, ChannelMasks Masks = k565) {
  Pixels p(1, 1, Pixel);
  DarkenSurface(p.Surface(), Masks, DarkDecrements(Masks, k565Units, Amount));
  return p.At(0, 0);
}

TEST(BlendBlitTest, ScreenAdditionOfHalfRedOntoHalfRedGivesB800) {
  // t = 0x8000 * (0xF800 - 0x8000) / 0xF800 = 15855.48..., rounded 15855; 0x8000 + 15855 =
  // 0xBDEF, cut to the channel: 0xB800.
  EXPECT_EQ(ScreenAdd(0x8000, 0x8000), 0xB800);
}

TEST(BlendBlitTest, ScreenAdditionKeepsWhiteAndBlackRules) {
  EXPECT_EQ(ScreenAdd(0x1234, 0x0000), 0x1234);  // onto black: the source's channel bits
  EXPECT_EQ(ScreenAdd(0x0000, 0xBEEF), 0xBEEF);  // a black source leaves the destination
  EXPECT_EQ(ScreenAdd(0xFFFF, 0x1234), 0xFFFF);  // white in either gives white
  EXPECT_EQ(ScreenAdd(0x1234, 0xFFFF), 0xFFFF);
}

TEST(BlendBlitTest, ScreenAdditionFollowsItsFormulaForEveryBlueAndGreenPair) {
  for (std::uint32_t s = 0; s < 32; ++s)
    for (std::uint32_t d = 0; d < 32; ++d) {
      const double t = std::nearbyint(static_cast<double>(d) * (1.0 / 31) * (31 - s));
      EXPECT_EQ(ScreenAdd(static_cast<std::uint16_t>(s), static_cast<std::uint16_t>(d)),
                (s + static_cast<std::uint32_t>(t)) & 0x1F)
          << s << "," << d;
    }
  for (std::uint32_t s = 0; s < 0x7E0; s += 0x20)
    for (std::uint32_t d = 0; d < 0x7E0; d += 0x20) {
      const double t = std::nearbyint(static_cast<double>(d) * (1.0 / 0x7E0) * (0x7E0 - s));
      EXPECT_EQ(ScreenAdd(static_cast<std::uint16_t>(s), static_cast<std::uint16_t>(d)),
                (s + static_cast<std::uint32_t>(t)) & 0x7E0)
          << s << "," << d;
    }
}

TEST(BlendBlitTest, SaturatingAdditionCapsEachChannel) {
  EXPECT_EQ(SaturatingAdd(0xF800, 0x0800), 0xF800);
  EXPECT_EQ(SaturatingAdd(0x0010, 0x0010), 0x001F);  // blue never spills into green
  EXPECT_EQ(SaturatingAdd(0x0400, 0x0420), 0x07E0);  // green caps at its mask
  EXPECT_EQ(SaturatingAdd(0x0801, 0x1002), 0x1803);
}

TEST(BlendBlitTest, DarkeningSubtractsTheWorkedDecrements) {
  const ChannelMasks half = DarkDecrements(k565, k565Units, 0.5f);
  EXPECT_EQ(half.Red, 0x7800u);
  EXPECT_EQ(half.Green, 0x03E0u);
  EXPECT_EQ(half.Blue, 0x000Fu);
  const ChannelMasks small = DarkDecrements(k565, k565Units, 0.01f);
  EXPECT_EQ(small.Red, 0x0800u);
  EXPECT_EQ(small.Green, 0x0020u);
  EXPECT_EQ(small.Blue, 0x0001u);
  EXPECT_EQ(Darkened(0xFFFF, 0.5f), (0xF800 - 0x7800) | (0x07E0 - 0x03E0) | (0x1F - 0x0F));
  EXPECT_EQ(Darkened(0x0821, 0.5f), 0x0000);  // never below zero
}

TEST(BlendBlitTest, DarkeningClampsItsAmount) {
  EXPECT_EQ(Darkened(0xFFFF, 2.0f), 0x0000);                              // as 1.0: black
  EXPECT_EQ(Darkened(0xFFFF, -1.0f), 0xFFFF - 0x0800 - 0x0020 - 0x0001);  // as 0.0: one unit
  EXPECT_EQ(Darkened(0xFFFF, 0.0f), 0xFFFF - 0x0800 - 0x0020 - 0x0001);
  EXPECT_EQ(Darkened(0xFFFF, std::numeric_limits<float>::quiet_NaN()),
            0xFFFF - 0x0800 - 0x0020 - 0x0001);
}

TEST(BlendBlitTest, BitsOutsideTheMasksComeOutZero) {
  EXPECT_EQ(ScreenAdd(0x8000, 0x8000, k555), 0x0000);
  EXPECT_EQ(SaturatingAdd(0x8001, 0x0001, k555), 0x0002);
  EXPECT_EQ(Darkened(0xFFFF, 1.0f, k555), 0x0000);
  const ChannelMasks units555{0x0400, 0x0020, 0x0001};
  Pixels p(1, 1, 0x8421);
  DarkenSurface(p.Surface(), k555, DarkDecrements(k555, units555, 0.0f));
  EXPECT_EQ(p.At(0, 0), 0x0000);
}

TEST(BlendBlitTest, OddRowsDoTheirLastPixelAndLeaveTheNextSixteenBits) {
  for (LONG width : {1, 3, 5}) {
    Pixels src(width, 2, 0x0801), dst(width, 2, 0x0801);
    SaturatingAddRect(dst.Surface(), src.Surface(), BlendRect{0, 0, 0, 0, width, 2}, k565);
    EXPECT_EQ(dst.At(width - 1, 1), 0x1002) << width;
    EXPECT_TRUE(dst.MarkersIntact()) << width;
    ScreenAddRect(dst.Surface(), src.Surface(), BlendRect{0, 0, 0, 0, width, 2}, k565);
    EXPECT_NE(dst.At(width - 1, 1), 0x1002) << width;
    EXPECT_TRUE(dst.MarkersIntact()) << width;
    DarkenSurface(dst.Surface(), k565, DarkDecrements(k565, k565Units, 1.0f));
    EXPECT_EQ(dst.At(width - 1, 1), 0x0000) << width;
    EXPECT_TRUE(dst.MarkersIntact()) << width;
  }
}

TEST(BlendBlitTest, AnOddBlendInsideARowLeavesTheNextPixel) {
  Pixels src(6, 1, 0x0001), dst(6, 1, 0x0001);
  SaturatingAddRect(dst.Surface(), src.Surface(), BlendRect{1, 0, 0, 0, 3, 1}, k565);
  const std::uint16_t expected[6] = {1, 2, 2, 2, 1, 1};
  for (LONG x = 0; x < 6; ++x) EXPECT_EQ(dst.At(x, 0), expected[x]) << x;
}

BlendRect Clipped(BlendRect R, LONG DW, LONG DH, LONG SW, LONG SH, bool* Drawn) {
  *Drawn = ClipBlendRect(R, DW, DH, SW, SH);
  return R;
}

TEST(BlendBlitTest, ANegativeXCutsTheLeftOfTheSource) {
  bool drawn = false;
  const BlendRect r = Clipped(BlendRect{-5, 0, 0, 0, 20, 1}, 100, 100, 100, 100, &drawn);
  ASSERT_TRUE(drawn);
  // Source columns 5 to 19 onto destination columns 0 to 14.
  EXPECT_EQ(r.X, 0);
  EXPECT_EQ(r.SX, 5);
  EXPECT_EQ(r.W, 15);
}

TEST(BlendBlitTest, ANegativeSourceXMovesTheDestination) {
  bool drawn = false;
  const BlendRect r = Clipped(BlendRect{10, 0, -3, 0, 8, 1}, 100, 100, 100, 100, &drawn);
  ASSERT_TRUE(drawn);
  // Source columns 0 to 4 onto destination columns 13 to 17.
  EXPECT_EQ(r.X, 13);
  EXPECT_EQ(r.SX, 0);
  EXPECT_EQ(r.W, 5);
}

TEST(BlendBlitTest, SourceRowsAreTakenFromSY) {
  bool drawn = false;
  const BlendRect r = Clipped(BlendRect{0, 0, 0, 20, 16, 10}, 100, 100, 16, 64, &drawn);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(r.SY, 20);
  EXPECT_EQ(r.H, 10);  // rows 20 to 29
  EXPECT_EQ(r.W, 16);
}

TEST(BlendBlitTest, TheRightEdgeOfEitherSurfaceStopsTheBlend) {
  bool drawn = false;
  BlendRect r = Clipped(BlendRect{90, 0, 0, 0, 30, 1}, 100, 100, 200, 100, &drawn);
  EXPECT_TRUE(drawn);
  EXPECT_EQ(r.W, 10);
  r = Clipped(BlendRect{0, 0, 40, 0, 30, 1}, 100, 100, 50, 100, &drawn);
  EXPECT_TRUE(drawn);
  EXPECT_EQ(r.W, 10);
  r = Clipped(BlendRect{0, 95, 0, 0, 1, 30}, 100, 100, 100, 100, &drawn);
  EXPECT_EQ(r.H, 5);
}

TEST(BlendBlitTest, RectanglesOutsideOrNegativeDrawNothing) {
  bool drawn = true;
  Clipped(BlendRect{100, 0, 0, 0, 5, 5}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  Clipped(BlendRect{-6, 0, 0, 0, 5, 5}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  Clipped(BlendRect{0, 0, 0, 100, 5, 5}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  Clipped(BlendRect{10, 10, 0, 0, -4, 5}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  Clipped(BlendRect{10, 10, 0, 0, 5, -1}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  Clipped(BlendRect{10, 10, 0, 0, 0, 5}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  // A negative X that moves the source start past its right edge leaves nothing.
  Clipped(BlendRect{-5, 0, 98, 0, 10, 1}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  // Extreme values do not overflow.
  Clipped(BlendRect{INT32_MAX, 0, 0, 0, INT32_MAX, 1}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn);
  const BlendRect r =
      Clipped(BlendRect{INT32_MIN + 1, 0, 0, 0, INT32_MAX, 1}, 100, 100, 100, 100, &drawn);
  EXPECT_FALSE(drawn) << r.W;
}

TEST(BlendBlitTest, OnlySixteenBitRgbWithThreeMasksIsBlendable) {
  DDPIXELFORMAT f;
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = 16;
  f.dwRBitMask = 0xF800;
  f.dwGBitMask = 0x07E0;
  f.dwBBitMask = 0x001F;
  EXPECT_TRUE(IsBlendableFormat(f));
  f.dwGBitMask = 0;
  EXPECT_FALSE(IsBlendableFormat(f));
  f.dwGBitMask = 0x07E0;
  f.dwRGBBitCount = 32;
  EXPECT_FALSE(IsBlendableFormat(f));
  f.dwRGBBitCount = 8;
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  EXPECT_FALSE(IsBlendableFormat(f));
}

}  // namespace
