#include "framework/Bitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <vector>

#include "framework/Exceptions.h"
#include "platform/gdi/BitBlt.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiPalette.h"
#include "tests/framework/BmpFiles.h"
#include "tests/support/BmpBytes.h"
#include "tests/support/TempDirectory.h"

namespace {

std::vector<PALETTEENTRY> RampPalette(int Count) {
  std::vector<PALETTEENTRY> palette;
  for (int i = 0; i < Count; ++i)
    palette.push_back(PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                   static_cast<BYTE>(i * 7), 0});
  return palette;
}

// A 5 x 3 picture of indices 10 * row + column.
std::vector<std::uint8_t> Indices5x3() {
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) indices.push_back(static_cast<std::uint8_t>(10 * y + x));
  return indices;
}

std::uint16_t To565(BYTE R, BYTE G, BYTE B) {
  return static_cast<std::uint16_t>(((R >> 3) << 11) | ((G >> 2) << 5) | (B >> 3));
}

class BitmapTest : public ::testing::Test {
 protected:
  testsupport::TempDirectory dir{"framework_bitmap"};
};

TEST_F(BitmapTest, AnEightBitFileStaysPaletteIndicesWithItsPalette) {
  const auto palette = RampPalette(256);
  testsupport::WritePalettised(dir.File("p8.bmp"), 5, 3, 8, palette, Indices5x3());
  TBitmap bitmap;
  bitmap.LoadFromFile(dir.File("p8.bmp"));
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(bitmap.ScanLine(y)[x], 10 * y + x) << x << "," << y;

  // The palette handle gives the file's entries, as GetPaletteEntries reads them.
  std::array<PALETTEENTRY, 256> read{};
  ASSERT_NE(bitmap.Palette(), nullptr);
  EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 255, read.data()), 255u);
  for (int i = 0; i < 255; ++i)
    EXPECT_EQ(read[static_cast<std::size_t>(i)], palette[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(read[255], PALETTEENTRY{}) << "entry 255 was not asked for";
}

TEST_F(BitmapTest, AFourBitFileIsHeldAsEightBitIndicesWithItsShortPalette) {
  const auto palette = RampPalette(16);
  std::vector<std::uint8_t> indices;
  for (int i = 0; i < 15; ++i) indices.push_back(static_cast<std::uint8_t>(i));
  testsupport::WritePalettised(dir.File("p4.bmp"), 5, 3, 4, palette, indices);
  TBitmap bitmap;
  bitmap.LoadFromFile(dir.File("p4.bmp"));
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  EXPECT_EQ(bitmap.ScanLine(2)[4], 14);
  std::array<PALETTEENTRY, 256> read{};
  EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 255, read.data()), 16u);
  EXPECT_EQ(read[15], palette[15]);
}

TEST_F(BitmapTest, ATrueColourFileIsHeldAsThirtyTwoBitsWithoutPalette) {
  std::vector<testsupport::Rgb> pixels;
  for (int i = 0; i < 6; ++i)
    pixels.push_back({static_cast<std::uint8_t>(40 * i), static_cast<std::uint8_t>(200 - i), 7});
  testsupport::WriteTrueColour(dir.File("t24.bmp"), 3, 2, pixels);
  TBitmap bitmap;
  bitmap.LoadFromFile(dir.File("t24.bmp"));
  EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
  EXPECT_EQ(bitmap.Palette(), nullptr);
  const auto* row = reinterpret_cast<const std::uint32_t*>(bitmap.ScanLine(1));
  EXPECT_EQ(row[2] & 0xFFFFFF, (200u << 16) | (195u << 8) | 7u);
}

TEST_F(BitmapTest, TheDrawingContextCopiesIndicesIntoTheSamePaletteAndColoursIntoSixteenBits) {
  const auto palette = RampPalette(256);
  testsupport::WritePalettised(dir.File("p8.bmp"), 5, 3, 8, palette, Indices5x3());
  TBitmap bitmap;
  bitmap.LoadFromFile(dir.File("p8.bmp"));
  ASSERT_NE(bitmap.Canvas()->Handle(), nullptr);

  // Into an 8-bit surface with the same palette: the indices stay.
  std::vector<std::uint8_t> indexed(8 * 4, 0xEE);
  std::array<PALETTEENTRY, 256> same{};
  std::copy(palette.begin(), palette.end(), same.begin());
  HDC into8 = platform::CreatePixelDC(platform::PixelView{indexed.data(), 8, 8, 4, 8}, same.data());
  ASSERT_TRUE(BitBlt(into8, 0, 0, 8, 4, bitmap.Canvas()->Handle(), 0, 0, SRCCOPY));
  EXPECT_EQ(indexed[2 * 8 + 3], 23);
  EXPECT_EQ(indexed[3 * 8 + 0], 0xEE) << "the bitmap has three rows";
  EXPECT_EQ(indexed[0 * 8 + 5], 0xEE) << "the bitmap has five columns";
  DeleteDC(into8);

  // Into 16 bits 5-6-5: the palette's colours.
  std::vector<std::uint16_t> wide(5 * 3, 0);
  platform::PixelView view{reinterpret_cast<std::uint8_t*>(wide.data()), 10, 5, 3, 16};
  view.redMask = platform::kRed565;
  view.greenMask = platform::kGreen565;
  view.blueMask = platform::kBlue565;
  HDC into16 = platform::CreatePixelDC(view, nullptr);
  ASSERT_TRUE(BitBlt(into16, 0, 0, 5, 3, bitmap.Canvas()->Handle(), 0, 0, SRCCOPY));
  const PALETTEENTRY& e = palette[12];
  EXPECT_EQ(wide[1 * 5 + 2], To565(e.peRed, e.peGreen, e.peBlue));
  DeleteDC(into16);
}

TEST_F(BitmapTest, AMissingFileRaisesTheFileErrorNamingIt) {
  TBitmap bitmap;
  const std::string missing = dir.File("meta.bmp");
  try {
    bitmap.LoadFromFile(missing);
    FAIL() << "no exception";
  } catch (const EFOpenError& error) {
    EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
  }
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Canvas()->Handle(), nullptr);
}

TEST_F(BitmapTest, AFileThatIsNoBitmapRaisesInvalidGraphicAndKeepsTheFormerPicture) {
  testsupport::WritePalettised(dir.File("good.bmp"), 5, 3, 8, RampPalette(256), Indices5x3());
  std::ofstream(dir.File("bad.bmp")) << "BM this is not a bitmap at all";
  TBitmap bitmap;
  bitmap.LoadFromFile(dir.File("good.bmp"));
  const std::uint64_t changes = bitmap.ChangeCount();
  try {
    bitmap.LoadFromFile(dir.File("bad.bmp"));
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& error) {
    EXPECT_NE(std::string(error.what()).find("bad.bmp"), std::string::npos) << error.what();
  }
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.ScanLine(1)[1], 11);
  EXPECT_EQ(bitmap.ChangeCount(), changes);
  EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphic);
}

TEST_F(BitmapTest, LoadingAgainReplacesThePictureAndItsPalette) {
  testsupport::WritePalettised(dir.File("a.bmp"), 5, 3, 8, RampPalette(256), Indices5x3());
  std::vector<testsupport::Rgb> pixels(4, testsupport::Rgb{1, 2, 3});
  testsupport::WriteTrueColour(dir.File("b.bmp"), 2, 2, pixels);
  TBitmap bitmap;
  bitmap.LoadFromFile(dir.File("a.bmp"));
  bitmap.LoadFromFile(dir.File("b.bmp"));
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
  EXPECT_EQ(bitmap.Palette(), nullptr);
  EXPECT_TRUE(bitmap.PaletteEntries().empty());
}

TEST_F(BitmapTest, AFileDeclaringAHugePictureIsRefusedWithoutTakingItsMemory) {
  // 1,142 bytes that declare 65535 x 65535 at 8 bits.
  testsupport::WriteBytes(
      dir.File("huge.bmp"),
      testsupport::BmpBytes({65535, 65535, 8, 0, 0}, std::vector<std::uint8_t>(64)));
  TBitmap bitmap;
  try {
    bitmap.LoadFromFile(dir.File("huge.bmp"));
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& error) {
    const std::string text = error.what();
    EXPECT_NE(text.find("huge.bmp"), std::string::npos) << text;
    EXPECT_NE(text.find("65535 x 65535"), std::string::npos) << text;
  }
  EXPECT_TRUE(bitmap.Empty());
}

}  // namespace
