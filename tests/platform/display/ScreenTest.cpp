#include "platform/display/Screen.h"

#include <gtest/gtest.h>

namespace {

using platform::Screen;

TEST(ScreenTest, TheDesktopIs1024By768At16BitsInFiveSixFive) {
  Screen& screen = Screen::Get();
  ASSERT_FALSE(screen.InDisplayMode());
  const platform::PixelView view = screen.View();
  EXPECT_EQ(view.width, 1024);
  EXPECT_EQ(view.height, 768);
  EXPECT_EQ(view.bitCount, 16u);
  EXPECT_EQ(view.pitch, 2048);
  EXPECT_EQ(view.redMask, 0xF800u);
  EXPECT_EQ(view.greenMask, 0x07E0u);
  EXPECT_EQ(view.blueMask, 0x001Fu);
}

TEST(ScreenTest, ADisplayModeIsAModeChangeAndTheDesktopComesBack) {
  Screen& screen = Screen::Get();
  const auto generation = screen.ModeGeneration();
  const auto changes = screen.ChangeCount();
  ASSERT_TRUE(screen.SetDisplayMode(640, 480, 8));
  EXPECT_TRUE(screen.InDisplayMode());
  EXPECT_EQ(screen.Width(), 640);
  EXPECT_EQ(screen.BitCount(), 8u);
  EXPECT_GT(screen.ModeGeneration(), generation);
  EXPECT_GT(screen.ChangeCount(), changes);
  EXPECT_EQ(screen.Palette(), platform::DefaultSystemPalette());
  screen.RestoreDesktop();
  EXPECT_FALSE(screen.InDisplayMode());
  EXPECT_EQ(screen.Width(), 1024);
  EXPECT_EQ(screen.BitCount(), 16u);
}

TEST(ScreenTest, OnlyEightSixteenAndThirtyTwoBitModesExist) {
  Screen& screen = Screen::Get();
  const auto generation = screen.ModeGeneration();
  EXPECT_FALSE(screen.SetDisplayMode(640, 480, 24));
  EXPECT_FALSE(screen.SetDisplayMode(0, 480, 16));
  EXPECT_EQ(screen.ModeGeneration(), generation);
  EXPECT_FALSE(screen.InDisplayMode());
}

TEST(ScreenTest, TheDesktopSizeTakesEffectOnlyOnTheDesktop) {
  Screen& screen = Screen::Get();
  screen.SetDesktopSize(800, 600);
  EXPECT_EQ(screen.Width(), 800);
  ASSERT_TRUE(screen.SetDisplayMode(640, 480, 16));
  screen.SetDesktopSize(1280, 1024);
  EXPECT_EQ(screen.Width(), 640);
  screen.RestoreDesktop();
  EXPECT_EQ(screen.Width(), 1280);
  screen.SetDesktopSize(1024, 768);
}

TEST(ScreenTest, SwappingMemoryNeedsTheScreensSize) {
  Screen& screen = Screen::Get();
  std::vector<std::uint8_t> wrong(10, 0xAB);
  EXPECT_FALSE(screen.SwapMemory(wrong));
  std::vector<std::uint8_t> right(static_cast<std::size_t>(screen.View().pitch) * screen.Height(),
                                  0x5A);
  ASSERT_TRUE(screen.SwapMemory(right));
  EXPECT_EQ(screen.View().bits[0], 0x5A);
  screen.SwapMemory(right);
}

TEST(ScreenTest, TheDefaultPaletteHoldsTheStaticColoursAtBothEnds) {
  const auto palette = platform::DefaultSystemPalette();
  EXPECT_EQ(palette[0], (PALETTEENTRY{0, 0, 0, 0}));
  EXPECT_EQ(palette[7], (PALETTEENTRY{192, 192, 192, 0}));
  EXPECT_EQ(palette[249], (PALETTEENTRY{255, 0, 0, 0}));
  EXPECT_EQ(palette[255], (PALETTEENTRY{255, 255, 255, 0}));
  EXPECT_EQ(palette[10 + 215], (PALETTEENTRY{255, 255, 255, 0}));  // the cube's last corner
}

}  // namespace
