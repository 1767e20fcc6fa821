#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include "platform/display/Screen.h"
#include "platform/display/Window.h"

namespace {

using platform::DrawTarget;
using platform::Screen;

TEST(DeviceContextTest, TheDesktopContextCoversTheWholeScreen) {
  const HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  DrawTarget target;
  ASSERT_TRUE(platform::GetDrawTarget(dc, &target));
  EXPECT_EQ(target.view.bits, Screen::Get().View().bits);
  EXPECT_EQ(target.clip, (RECT{0, 0, 1024, 768}));
  EXPECT_EQ(target.origin, (POINT{0, 0}));
  EXPECT_EQ(target.palette, nullptr);
  EXPECT_TRUE(platform::DrawsOnScreen(dc));
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  EXPECT_FALSE(platform::GetDrawTarget(dc, &target));
}

TEST(DeviceContextTest, AWindowContextStartsAtItsClientOriginAndIsCutToTheScreen) {
  const HWND window = platform::CreateWindowRecord(nullptr, RECT{-20, 700, 80, 800});
  const HDC dc = GetDC(window);
  DrawTarget target;
  ASSERT_TRUE(platform::GetDrawTarget(dc, &target));
  EXPECT_EQ(target.origin, (POINT{-20, 700}));
  EXPECT_EQ(target.clip, (RECT{0, 700, 80, 768}));
  ReleaseDC(window, dc);
  DestroyWindow(window);
  EXPECT_EQ(GetDC(window), nullptr);
}

TEST(DeviceContextTest, APixelContextIsDeletedNotReleased) {
  std::vector<std::uint8_t> memory(16);
  const platform::PixelView view{memory.data(), 4, 4, 4, 8};
  const HDC dc = platform::CreatePixelDC(view, nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
  DrawTarget target;
  ASSERT_TRUE(platform::GetDrawTarget(dc, &target));
  // Without a palette of its own an 8-bit context uses the system palette.
  EXPECT_EQ(target.palette, Screen::Get().Palette().data());
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(DeviceContextTest, ASixteenBitDesktopHasNoSystemPalette) {
  PALETTEENTRY entries[256];
  for (auto& e : entries) e = PALETTEENTRY{1, 2, 3, 4};
  const HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetSystemPaletteEntries(dc, 0, 255, entries), 0u);
  ReleaseDC(nullptr, dc);
  for (const auto& e : entries) EXPECT_EQ(e, (PALETTEENTRY{1, 2, 3, 4}));
}

TEST(DeviceContextTest, AnEightBitScreenGivesItsPalette) {
  ASSERT_TRUE(Screen::Get().SetDisplayMode(640, 480, 8));
  PALETTEENTRY changed{9, 8, 7, 0};
  Screen::Get().SetPaletteEntries(100, 1, &changed);
  PALETTEENTRY entries[256] = {};
  PALETTEENTRY tail[10] = {};
  const HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetSystemPaletteEntries(dc, 0, 255, entries), 255u);
  EXPECT_EQ(GetSystemPaletteEntries(dc, 250, 10, tail), 6u);
  EXPECT_EQ(GetSystemPaletteEntries(dc, 256, 1, tail), 0u);
  ReleaseDC(nullptr, dc);
  Screen::Get().RestoreDesktop();
  EXPECT_EQ(entries[100], changed);
  EXPECT_EQ(entries[255], (PALETTEENTRY{}));  // 255 entries asked for: the last one untouched
  EXPECT_EQ(tail[0], (PALETTEENTRY{0, 255, 0, 0}));  // entry 250: a static colour
  EXPECT_EQ(tail[5], (PALETTEENTRY{255, 255, 255, 0}));
}

}  // namespace
