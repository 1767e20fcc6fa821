#include "tools/makeassets/BmpWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/makeassets/AssetPictures.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(EncodeBmp8, WritesHeadersPaletteAndPaddedBottomUpRows) {
  TIndexedPicture picture;
  picture.Width = 5;
  picture.Height = 2;
  picture.Pixels = {1, 2, 3, 4, 5,    // top row
                    6, 7, 8, 9, 10};  // bottom row
  TPalette256 palette{};
  palette[1] = 0x00112233;
  const auto bytes = EncodeBmp8(picture, palette);
  ASSERT_EQ(bytes.size(), 1078u + 2 * 8);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(U32(bytes, 2), bytes.size());
  EXPECT_EQ(U32(bytes, 10), 1078u);
  EXPECT_EQ(U32(bytes, 14), 40u);
  EXPECT_EQ(U32(bytes, 18), 5u);
  EXPECT_EQ(U32(bytes, 22), 2u);
  EXPECT_EQ(bytes[26] | bytes[27] << 8, 1);
  EXPECT_EQ(bytes[28] | bytes[29] << 8, 8);
  EXPECT_EQ(U32(bytes, 30), 0u);  // BI_RGB
  EXPECT_EQ(U32(bytes, 34), 16u);
  EXPECT_EQ(U32(bytes, 46), 256u);
  // Palette entry 1 as blue, green, red, 0.
  EXPECT_EQ(bytes[54 + 4], 0x33);
  EXPECT_EQ(bytes[54 + 5], 0x22);
  EXPECT_EQ(bytes[54 + 6], 0x11);
  EXPECT_EQ(bytes[54 + 7], 0x00);
  // The bottom row comes first, each row padded with zeros to 8 bytes.
  const std::vector<uint8_t> rows(bytes.begin() + 1078, bytes.end());
  EXPECT_EQ(rows, (std::vector<uint8_t>{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));
}

TEST(EncodeBmp8, RefusesPixelsThatDoNotMatchTheSize) {
  TIndexedPicture picture;
  picture.Width = 4;
  picture.Height = 4;
  picture.Pixels.assign(15, 0);
  EXPECT_THROW(EncodeBmp8(picture, TPalette256{}), std::invalid_argument);
}

TEST(AssetPictures, HaveTheirSizesAndNeverUseTheLastPaletteEntry) {
  struct TCase {
    TIndexedPicture Picture;
    int Size;
  };
  for (const TCase& c :
       {TCase{BodyTexture(), 128}, TCase{PedestalTexture(), 64}, TCase{MetaPicture(), 256}}) {
    EXPECT_EQ(c.Picture.Width, c.Size);
    EXPECT_EQ(c.Picture.Height, c.Size);
    int distinct[256] = {};
    for (uint8_t index : c.Picture.Pixels) distinct[index] = 1;
    EXPECT_EQ(distinct[255], 0);
    int used = 0;
    for (int flag : distinct) used += flag;
    EXPECT_GE(used, 8) << "a pattern needs several colours to show the mapping";
  }
}

TEST(AssetPictures, PaletteEntriesAreDistinct) {
  const TPalette256 palette = AssetPalette();
  for (size_t i = 0; i < 256; ++i) {
    for (size_t j = i + 1; j < 256; ++j) EXPECT_NE(palette[i], palette[j]) << i << " " << j;
  }
}

}  // namespace
