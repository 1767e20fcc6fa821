#include "platform/gdi/BitBlt.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/display/ColorCoding.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"
#include "platform/gdi/DeviceContext.h"

namespace {

using platform::PixelView;

// A picture in memory with a drawing context on it.
class Picture {
 public:
  Picture(LONG Width, LONG Height, DWORD BitCount, const PALETTEENTRY* Palette = nullptr)
      : memory_(static_cast<std::size_t>(Width * Height * (BitCount / 8)), 0) {
    view_ =
        PixelView{memory_.data(), Width * static_cast<LONG>(BitCount / 8), Width, Height, BitCount};
    if (BitCount == 16) {
      view_.redMask = 0xF800;
      view_.greenMask = 0x07E0;
      view_.blueMask = 0x001F;
    } else if (BitCount == 32) {
      view_.redMask = 0xFF0000;
      view_.greenMask = 0xFF00;
      view_.blueMask = 0xFF;
    }
    dc_ = platform::CreatePixelDC(view_, Palette);
  }
  ~Picture() { DeleteDC(dc_); }
  HDC Dc() const { return dc_; }
  DWORD At(LONG X, LONG Y) const { return platform::ReadPixel(view_, X, Y); }
  void Set(LONG X, LONG Y, DWORD V) { platform::WritePixel(view_, X, Y, V); }
  void Fill(DWORD V) {
    for (LONG y = 0; y < view_.height; ++y)
      for (LONG x = 0; x < view_.width; ++x) Set(x, y, V);
  }

 private:
  std::vector<std::uint8_t> memory_;
  PixelView view_;
  HDC dc_;
};

std::vector<PALETTEENTRY> GreyPalette() {
  std::vector<PALETTEENTRY> palette(256);
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<BYTE>(i);
    palette[i] = PALETTEENTRY{v, v, v, 0};
  }
  return palette;
}

TEST(BitBltTest, EightBitIntoEightBitKeepsIndexesWhoseColourIsTheSame) {
  auto palette = GreyPalette();
  palette[7] = palette[3];  // two entries of one colour: index 7 must stay 7, not become 3
  Picture src(4, 1, 8, palette.data()), dst(4, 1, 8, palette.data());
  src.Set(0, 0, 7);
  src.Set(1, 0, 3);
  src.Set(2, 0, 200);
  ASSERT_TRUE(BitBlt(dst.Dc(), 0, 0, 4, 1, src.Dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), 7u);
  EXPECT_EQ(dst.At(1, 0), 3u);
  EXPECT_EQ(dst.At(2, 0), 200u);
}

TEST(BitBltTest, EightBitIntoEightBitTakesTheNearestColourWhereThePalettesDiffer) {
  auto srcPalette = GreyPalette();
  auto dstPalette = GreyPalette();
  srcPalette[10] = PALETTEENTRY{250, 0, 0, 0};  // a red the grey palette does not hold
  dstPalette[20] = PALETTEENTRY{240, 10, 0, 0};
  Picture src(2, 1, 8, srcPalette.data()), dst(2, 1, 8, dstPalette.data());
  src.Set(0, 0, 10);
  src.Set(1, 0, 20);  // grey 20 in the source, red in the destination: nearest grey is 19 or 21
  ASSERT_TRUE(BitBlt(dst.Dc(), 0, 0, 2, 1, src.Dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), 20u);
  EXPECT_EQ(dst.At(1, 0), 19u);  // equal distance to 19 and 21: the lower index wins
}

TEST(BitBltTest, EightBitIntoSixteenBitConvertsThroughThePalette) {
  auto palette = GreyPalette();
  palette[1] = PALETTEENTRY{255, 0, 0, 0};
  palette[2] = PALETTEENTRY{0, 255, 0, 0};
  palette[3] = PALETTEENTRY{255, 255, 255, 0};
  Picture src(3, 1, 8, palette.data()), dst(3, 1, 16);
  for (LONG i = 0; i < 3; ++i) src.Set(i, 0, static_cast<DWORD>(i + 1));
  ASSERT_TRUE(BitBlt(dst.Dc(), 0, 0, 3, 1, src.Dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), 0xF800u);
  EXPECT_EQ(dst.At(1, 0), 0x07E0u);
  EXPECT_EQ(dst.At(2, 0), 0xFFFFu);
}

TEST(BitBltTest, RgbIntoRgbConvertsBetweenMasksAndIntoEightBitTakesTheNearestIndex) {
  Picture src(2, 1, 32), dst16(2, 1, 16);
  src.Set(0, 0, 0xFF0000);
  src.Set(1, 0, 0x0000FF);
  ASSERT_TRUE(BitBlt(dst16.Dc(), 0, 0, 2, 1, src.Dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst16.At(0, 0), 0xF800u);
  EXPECT_EQ(dst16.At(1, 0), 0x001Fu);
  auto palette = GreyPalette();
  palette[50] = PALETTEENTRY{255, 0, 0, 0};
  Picture dst8(2, 1, 8, palette.data());
  ASSERT_TRUE(BitBlt(dst8.Dc(), 0, 0, 2, 1, dst16.Dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst8.At(0, 0), 50u);
}

TEST(BitBltTest, TheCopyIsCutToBothContexts) {
  Picture src(4, 4, 16), dst(4, 4, 16);
  src.Fill(0x1234);
  dst.Fill(0);
  ASSERT_TRUE(BitBlt(dst.Dc(), 2, -1, 10, 10, src.Dc(), 1, 0, SRCCOPY));
  // Destination columns 2-3 from source columns 1-2; destination rows 0-2 from source rows 1-3.
  for (LONG y = 0; y < 4; ++y)
    for (LONG x = 0; x < 4; ++x)
      EXPECT_EQ(dst.At(x, y), (x >= 2 && y <= 2) ? 0x1234u : 0u) << x << "," << y;
}

TEST(BitBltTest, OnlySourceCopyIsOffered) {
  Picture src(1, 1, 16), dst(1, 1, 16);
  src.Set(0, 0, 5);
  EXPECT_FALSE(BitBlt(dst.Dc(), 0, 0, 1, 1, src.Dc(), 0, 0, 0x00EE0086));
  EXPECT_EQ(dst.At(0, 0), 0u);
  EXPECT_FALSE(BitBlt(dst.Dc(), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
}

TEST(BitBltTest, AWindowContextDrawsOnlyInsideTheWindow) {
  platform::Screen& screen = platform::Screen::Get();
  const HWND window = platform::CreateWindowRecord(nullptr, RECT{10, 10, 12, 12});
  Picture src(4, 4, 16);
  src.Fill(0xABCD);
  const auto changes = screen.ChangeCount();
  const HDC dc = GetDC(window);
  ASSERT_TRUE(BitBlt(dc, -1, -1, 4, 4, src.Dc(), 0, 0, SRCCOPY));
  ReleaseDC(window, dc);
  const PixelView view = screen.View();
  for (LONG y = 9; y <= 12; ++y)
    for (LONG x = 9; x <= 12; ++x)
      EXPECT_EQ(platform::ReadPixel(view, x, y),
                (x >= 10 && x < 12 && y >= 10 && y < 12) ? 0xABCDu : 0u)
          << x << "," << y;
  EXPECT_GT(screen.ChangeCount(), changes);
  DestroyWindow(window);
  screen.SetDesktopSize(1024, 768);  // a fresh, black desktop for the other tests
}

}  // namespace
