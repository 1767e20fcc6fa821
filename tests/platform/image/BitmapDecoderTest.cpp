#include "platform/image/BitmapDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/BmpBytes.h"

namespace {

using platform::image::DecodeBitmap;
using platform::image::DecodedBitmap;
using testsupport::BmpBytes;
using testsupport::BmpHeader;

// Decodes Bytes as "hostile.bmp"; returns the error, or an empty string on success.
std::string Refusal(const std::vector<std::uint8_t>& Bytes, DecodedBitmap* Result = nullptr) {
  DecodedBitmap ignored;
  std::string error;
  if (DecodeBitmap(Bytes, "hostile.bmp", Result ? Result : &ignored, &error)) return {};
  EXPECT_FALSE(error.empty());
  return error;
}

bool Contains(const std::string& Text, const std::string& Part) {
  return Text.find(Part) != std::string::npos;
}

TEST(BitmapDecoderTest, DeclaredSizesBeyondTheLimitsAreRefusedBeforeDecoding) {
  // The 1,142-byte file that declares 65535 x 65535: 54 header bytes, 1,024 palette bytes and
  // 64 bytes of pixels.
  const auto huge = BmpBytes(BmpHeader{65535, 65535, 8, 0, 0}, std::vector<std::uint8_t>(64));
  ASSERT_EQ(huge.size(), 1142u);
  const std::string error = Refusal(huge);
  EXPECT_TRUE(Contains(error, "\"hostile.bmp\"")) << error;
  EXPECT_TRUE(Contains(error, "65535 x 65535")) << error;
  EXPECT_TRUE(Contains(error, "16384 on a side")) << error;

  // One side too long, or both within the side limit but too many pixels in all.
  EXPECT_TRUE(Contains(Refusal(BmpBytes({16385, 1, 24, 0, 0}, std::vector<std::uint8_t>(49156))),
                       "16385 x 1"));
  EXPECT_TRUE(Contains(Refusal(BmpBytes({8192, -8193, 8, 1, 0}, {0, 1})), "8192 x 8193"));
  // Top-down heights are sizes too; the most negative one must not overflow.
  EXPECT_TRUE(Contains(Refusal(BmpBytes({4, INT32_MIN, 8, 0, 0}, {})), "2147483648"));
  EXPECT_TRUE(Contains(Refusal(BmpBytes({0, 4, 8, 0, 0}, {})), "empty picture"));
  EXPECT_TRUE(Contains(Refusal(BmpBytes({-4, 4, 8, 0, 0}, {})), "empty picture"));
}

TEST(BitmapDecoderTest, AnUncompressedFileMustHoldEveryRowItDeclares) {
  // 64 x 64 at 24 bits needs 12,288 bytes of rows; give it half.
  const std::string error = Refusal(BmpBytes({64, 64, 24, 0, 0}, std::vector<std::uint8_t>(6144)));
  EXPECT_TRUE(Contains(error, "\"hostile.bmp\"")) << error;
  EXPECT_TRUE(Contains(error, "the file has")) << error;
  // One byte short of the last row's padding is short too.
  EXPECT_FALSE(Refusal(BmpBytes({3, 2, 8, 0, 0}, std::vector<std::uint8_t>(7))).empty());
  EXPECT_TRUE(Refusal(BmpBytes({3, 2, 8, 0, 0}, std::vector<std::uint8_t>(8))).empty());
}

TEST(BitmapDecoderTest, RleFilesAreSmallerThanTheirPixelsAndStillRead) {
  // 4 x 2, bottom row all 1, top row all 2: runs, end of line, end of bitmap.
  DecodedBitmap decoded;
  ASSERT_EQ(Refusal(BmpBytes({4, 2, 8, 1, 0}, {4, 1, 0, 0, 4, 2, 0, 1}), &decoded), "");
  ASSERT_EQ(decoded.BitCount, 8);
  EXPECT_EQ(decoded.Pixels, (std::vector<std::uint8_t>{2, 2, 2, 2, 1, 1, 1, 1}));
  // A large picture from a few bytes (end of bitmap at once) is read within the limits ...
  ASSERT_EQ(Refusal(BmpBytes({2048, 1024, 8, 1, 0}, {0, 1}), &decoded), "");
  EXPECT_EQ(decoded.Pixels.size(), 2048u * 1024u);
  // ... and refused beyond them, as an uncompressed one is.
  EXPECT_TRUE(Contains(Refusal(BmpBytes({16385, 1, 8, 1, 0}, {0, 1})), "16385 x 1"));
}

TEST(BitmapDecoderTest, TrueColourBecomesXrgbTopRowFirst) {
  // 2 x 2 at 24 bits, bottom row first in the file, rows padded to 8 bytes (BGR order).
  const std::vector<std::uint8_t> rows = {3, 2, 1, 6, 5, 4, 0, 0, 30, 20, 10, 60, 50, 40, 0, 0};
  DecodedBitmap decoded;
  ASSERT_EQ(Refusal(BmpBytes({2, 2, 24, 0, 0}, rows), &decoded), "");
  ASSERT_EQ(decoded.BitCount, 32);
  ASSERT_EQ(decoded.RowBytes(), 8);
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(decoded.Pixels.data());
  EXPECT_EQ(pixels[0], 0x000A141Eu);
  EXPECT_EQ(pixels[1], 0x0028323Cu);
  EXPECT_EQ(pixels[2], 0x00010203u);
  EXPECT_EQ(pixels[3], 0x00040506u);
}

TEST(BitmapDecoderTest, WhatIsNoBitmapIsRefusedWithTheFileName) {
  const std::string text = "BM this is not a bitmap";
  const std::string error = Refusal(std::vector<std::uint8_t>(text.begin(), text.end()));
  EXPECT_TRUE(Contains(error, "\"hostile.bmp\"")) << error;
  EXPECT_FALSE(Refusal({}).empty());
  EXPECT_TRUE(
      Contains(Refusal(BmpBytes({2, 2, 7, 0, 0}, std::vector<std::uint8_t>(8))), "bit count 7"));
}

}  // namespace
