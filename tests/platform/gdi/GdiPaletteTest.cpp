#include "platform/gdi/GdiPalette.h"

#include <gtest/gtest.h>

namespace {

TEST(GdiPaletteTest, HoldsTheEntriesItWasMadeWith) {
  LOGPALETTE log;
  log.palNumEntries = 16;
  for (int i = 0; i < 16; ++i) log.palPalEntry[i] = PALETTEENTRY{BYTE(i), BYTE(2 * i), 0, 0};
  const HPALETTE palette = CreatePalette(&log);
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY out[20] = {};
  EXPECT_EQ(GetPaletteEntries(palette, 0, 255, out), 16u);
  EXPECT_EQ(out[15], (PALETTEENTRY{15, 30, 0, 0}));
  EXPECT_EQ(GetPaletteEntries(palette, 14, 5, out), 2u);
  EXPECT_EQ(out[0], (PALETTEENTRY{14, 28, 0, 0}));
  const PALETTEENTRY red{255, 0, 0, 0};
  EXPECT_EQ(SetPaletteEntries(palette, 3, 1, &red), 1u);
  GetPaletteEntries(palette, 3, 1, out);
  EXPECT_EQ(out[0], red);
  EXPECT_TRUE(DeleteObject(palette));
  EXPECT_EQ(GetPaletteEntries(palette, 0, 1, out), 0u);
  EXPECT_FALSE(DeleteObject(palette));
}

TEST(GdiPaletteTest, AnEmptyOrOversizedPaletteIsRefused) {
  LOGPALETTE log;
  log.palNumEntries = 0;
  EXPECT_EQ(CreatePalette(&log), nullptr);
  log.palNumEntries = 257;
  EXPECT_EQ(CreatePalette(&log), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

}  // namespace
