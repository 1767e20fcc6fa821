// ADDBlt, ADDBlt2 and Dark through the component: locking, formats, clipping, failures.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ddraw/Surface.h"
#include "tests/components/FakeSurface.h"
#include "tests/components/KorvelGFixture.h"

namespace {

class KorvelGBlendTest : public KorvelGTest {
 protected:
  TKorvelG* Master(int Width, int Height) {
    TKorvelG* g = Panel(0, 0, Width, Height);
    g->DDInit();
    return g;
  }
};

TEST_F(KorvelGBlendTest, TheWorkedValuesComeThroughTheComponent) {
  TKorvelG* g = Master(8, 8);
  ComPtr<IDirectDrawSurface> source = Offscreen(8, 8);
  testsupport::FillSurfacePixels(source.Get(), 0x8000);
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x8000);
  g->ADDBlt(0, 0, source.Get(), 0, 0, 8, 8);
  EXPECT_EQ(LastResult, DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 7, 7), 0xB800u);

  testsupport::FillSurfacePixels(source.Get(), 0xF800);
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x0800);
  g->ADDBlt2(0, 0, source.Get(), 0, 0, 8, 8);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 3, 3), 0xF800u);

  testsupport::FillSurfacePixels(g->Surface.Get(), 0xFFFF);
  g->Dark(0.5f);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 0),
            DWORD((0xF800 - 0x7800) | (0x07E0 - 0x03E0) | 0x10));
  g->Dark(0.01f);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 0),
            DWORD((0x8000 - 0x0800) | (0x0400 - 0x0020) | 0x0F));
}

TEST_F(KorvelGBlendTest, TheBlendIsClippedToBothSurfaces) {
  TKorvelG* g = Master(32, 4);
  ComPtr<IDirectDrawSurface> source = Offscreen(20, 4);
  for (LONG x = 0; x < 20; ++x)
    testsupport::SetSurfacePixel(source.Get(), x, 0, static_cast<DWORD>(x + 1));
  g->ADDBlt2(-5, 0, source.Get(), 0, 0, 20, 1);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 0), 6u);    // source column 5
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 14, 0), 20u);  // source column 19
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 15, 0), 0u);
  g->Clear();
  g->ADDBlt2(10, 0, source.Get(), -3, 0, 8, 1);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 12, 0), 0u);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 13, 0), 1u);  // source column 0
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 17, 0), 5u);  // source column 4
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 18, 0), 0u);
}

TEST_F(KorvelGBlendTest, OddWidthsLeaveTheSixteenBitsAfterEachRow) {
  TKorvelG* g = Master(3, 2);  // rows of 6 bytes padded to 8
  ComPtr<IDirectDrawSurface> source = Offscreen(3, 2);
  testsupport::FillSurfacePixels(source.Get(), 0x0801);
  DDSURFACEDESC desc;
  desc.dwSize = sizeof desc;
  ASSERT_EQ(g->Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  ASSERT_EQ(desc.lPitch, 8);
  auto* bytes = static_cast<std::uint8_t*>(desc.lpSurface);
  const std::uint16_t marker = 0xA5A5;
  for (int row = 0; row < 2; ++row) std::memcpy(bytes + row * 8 + 6, &marker, 2);
  g->Surface->Unlock(nullptr);

  g->ADDBlt2(0, 0, source.Get(), 0, 0, 3, 2);
  g->ADDBlt(0, 0, source.Get(), 0, 0, 3, 2);
  g->Dark(0.0f);
  EXPECT_NE(testsupport::SurfacePixel(g->Surface.Get(), 2, 1), 0u);  // the last pixel was worked on
  for (int row = 0; row < 2; ++row) {
    std::uint16_t after;
    std::memcpy(&after, bytes + row * 8 + 6, 2);
    EXPECT_EQ(after, marker) << row;
  }
}

TEST_F(KorvelGBlendTest, EightBitColourChangesNoPixelAndLeavesTheSurfaceUnlocked) {
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->SetColor8bit(true);  // windowed: the surfaces are still 16-bit
  g->DDInit();
  ComPtr<IDirectDrawSurface> source = Offscreen(8, 8);
  testsupport::FillSurfacePixels(source.Get(), 0x1234);
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x4321);
  g->ADDBlt(0, 0, source.Get(), 0, 0, 8, 8);
  g->ADDBlt2(0, 0, source.Get(), 0, 0, 8, 8);
  g->Dark(1.0f);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 4, 4), 0x4321u);
  DDSURFACEDESC desc;
  desc.dwSize = sizeof desc;
  EXPECT_EQ(g->Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  g->Surface->Unlock(nullptr);
  EXPECT_EQ(source->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  source->Unlock(nullptr);
}

TEST_F(KorvelGBlendTest, AZeroChannelMaskDrawsNothing) {
  TKorvelG* g = Panel(0, 0, 4, 4);
  ComPtr<FakeSurface> target = FakeSurface::Make(4, 4, 0xF800, 0, 0x001F);
  ComPtr<FakeSurface> source = FakeSurface::Make(4, 4);
  g->Surface = ComPtr<IDirectDrawSurface>(target.Get());
  source->At(1, 1) = 0xFFFF;
  target->At(1, 1) = 0x1234;
  g->ADDBlt(0, 0, source.Get(), 0, 0, 4, 4);
  g->ADDBlt2(0, 0, source.Get(), 0, 0, 4, 4);
  g->Dark(0.5f);
  EXPECT_EQ(target->At(1, 1), 0x1234);
  EXPECT_EQ(target->locks, target->unlocks);
  EXPECT_EQ(source->locks, source->unlocks);
  EXPECT_FALSE(target->locked || source->locked);
}

TEST_F(KorvelGBlendTest, ANegativeWidthOrHeightDrawsNothing) {
  TKorvelG* g = Master(8, 8);
  ComPtr<IDirectDrawSurface> source = Offscreen(8, 8);
  testsupport::FillSurfacePixels(source.Get(), 0xFFFF);
  g->ADDBlt(4, 4, source.Get(), 4, 4, -2, 2);
  g->ADDBlt2(4, 4, source.Get(), 4, 4, 2, -2);
  for (LONG y = 0; y < 8; ++y)
    for (LONG x = 0; x < 8; ++x) EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), x, y), 0u);
}

TEST_F(KorvelGBlendTest, AFailedDestinationLockUnlocksTheSource) {
  TKorvelG* g = Panel(0, 0, 4, 4);
  ComPtr<FakeSurface> target = FakeSurface::Make(4, 4);
  ComPtr<FakeSurface> source = FakeSurface::Make(4, 4);
  target->lockResult = DDERR_SURFACEBUSY;
  g->Surface = ComPtr<IDirectDrawSurface>(target.Get());
  g->ADDBlt(0, 0, source.Get(), 0, 0, 4, 4);
  EXPECT_EQ(LastResult, DDERR_SURFACEBUSY);
  EXPECT_EQ(source->locks, 1);
  EXPECT_FALSE(source->locked);
  source->lockResult = DDERR_SURFACELOST;
  g->ADDBlt2(0, 0, source.Get(), 0, 0, 4, 4);
  EXPECT_EQ(LastResult, DDERR_SURFACELOST);
  EXPECT_EQ(target->locks, 1);  // the destination is not even tried
}

TEST_F(KorvelGBlendTest, BlendingASurfaceOntoItselfDrawsNothing) {
  TKorvelG* g = Master(4, 4);
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x0801);
  g->ADDBlt2(0, 0, g->Surface.Get(), 0, 0, 4, 4);
  EXPECT_EQ(LastResult, DDERR_SURFACEBUSY);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 0),
            0x0801u);  // and it is not left locked
}

TEST_F(KorvelGBlendTest, ALostSurfaceFailsCleanlyAndRecoversAfterDDRestore) {
  Hardware3D = true;  // the view's surface in video memory, which a loss takes
  TKorvelG* g = Master(4, 4);
  ComPtr<IDirectDrawSurface> source = Offscreen(4, 4, DDSCAPS_VIDEOMEMORY);
  testsupport::FillSurfacePixels(source.Get(), 0x0010);
  platform::MarkAllSurfacesLost();
  g->ADDBlt2(0, 0, source.Get(), 0, 0, 4, 4);
  EXPECT_EQ(LastResult, DDERR_SURFACELOST);
  g->Dark(1.0f);
  EXPECT_EQ(LastResult, DDERR_SURFACELOST);
  g->DDRestore();
  source->Restore();
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x0001);
  g->ADDBlt2(0, 0, source.Get(), 0, 0, 4, 4);
  EXPECT_EQ(LastResult, DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 2, 2), 0x0011u);
}

}  // namespace
