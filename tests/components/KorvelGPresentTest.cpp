// Presentation, clearing and restoring: MainCopy, Flip, Copy, CopyFromCanvas, Clear, DDRestore.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ddraw/Surface.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/components/FakeSurface.h"
#include "tests/components/KorvelGFixture.h"

namespace {

using KorvelGPresentTest = KorvelGTest;

DWORD ScreenPixel(LONG X, LONG Y) {
  return platform::ReadPixel(platform::Screen::Get().View(), X, Y);
}

TEST_F(KorvelGPresentTest, MainCopyShowsTheSurfaceAtTheControlsPlaceOnTheScreen) {
  TKorvelG* g = Panel(10, 20, 40, 30);  // the form is at (100, 50): screen (110, 70)
  g->DDInit();
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x07E0);
  g->OnPresent();
  EXPECT_EQ(LastResult, DD_OK);
  EXPECT_EQ(ScreenPixel(110, 70), 0x07E0u);
  EXPECT_EQ(ScreenPixel(149, 99), 0x07E0u);
  EXPECT_EQ(ScreenPixel(150, 99), 0u);
  EXPECT_EQ(ScreenPixel(109, 70), 0u);
}

TEST_F(KorvelGPresentTest, MainCopyOfAControlPartlyOffTheScreenShowsItsVisiblePart) {
  form_->SetBounds(-30, -20, 640, 480);
  TKorvelG* g = Panel(10, 5, 40, 30);  // screen (-20, -15) to (20, 15)
  g->DDInit();
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x001F);
  g->MainCopy();
  EXPECT_EQ(LastResult, DD_OK);
  EXPECT_EQ(ScreenPixel(0, 0), 0x001Fu);
  EXPECT_EQ(ScreenPixel(19, 14), 0x001Fu);
  EXPECT_EQ(ScreenPixel(20, 0), 0u);
}

TEST_F(KorvelGPresentTest, MainCopyPassesScreenCoordinatesUnchangedNegativeOnesIncluded) {
  form_->SetBounds(-30, -20, 640, 480);
  TKorvelG* g = Panel(10, 5, 40, 30);
  ComPtr<FakeSurface> primary = FakeSurface::Make(8, 8);
  ComPtr<FakeSurface> surface = FakeSurface::Make(40, 30);
  PrimarySurface = ComPtr<IDirectDrawSurface>(primary.Get());
  g->Surface = ComPtr<IDirectDrawSurface>(surface.Get());
  g->MainCopy();
  ASSERT_EQ(primary->blts.size(), 1u);
  EXPECT_EQ(*primary->blts[0].dest, (RECT{-20, -15, 20, 15}));
  EXPECT_EQ(*primary->blts[0].src, (RECT{0, 0, 40, 30}));
  EXPECT_EQ(primary->blts[0].flags, DDBLT_WAIT);
  EXPECT_EQ(primary->blts[0].source, surface.Get());
  ASSERT_EQ(primary->clippers.size(), 1u);
  EXPECT_EQ(primary->clippers[0], nullptr);  // this instance's clipper: none was made
  PrimarySurface.Reset();
}

// Copy's rectangle arithmetic, seen through a recording surface.
class KorvelGCopyTest : public KorvelGTest {
 protected:
  void SetUp() override {
    KorvelGTest::SetUp();
    g_ = Panel(0, 0, 100, 50);
    g_->Surface = ComPtr<IDirectDrawSurface>(surface_.Get());
  }
  FakeSurface::BltFastCall CopyOnce(LONG X, LONG Y, RECT SrcRect, BYTE ColorKey = 0) {
    surface_->bltFasts.clear();
    g_->Copy(X, Y, source_.Get(), SrcRect, ColorKey);
    EXPECT_EQ(surface_->bltFasts.size(), 1u);
    return surface_->bltFasts.empty() ? FakeSurface::BltFastCall{} : surface_->bltFasts[0];
  }
  TKorvelG* g_ = nullptr;
  ComPtr<FakeSurface> surface_ = FakeSurface::Make(100, 50);
  ComPtr<FakeSurface> source_ = FakeSurface::Make(64, 64);
};

TEST_F(KorvelGCopyTest, ANegativeXCutsTheSourcesLeftColumns) {
  const RECT src{0, 0, 32, 32};
  const auto call = CopyOnce(-10, 0, src);
  EXPECT_EQ(call.x, 0u);
  EXPECT_EQ(call.rect, (RECT{10, 0, 32, 32}));  // columns 10-31 onto 0-21
  EXPECT_EQ(call.flags, DDBLTFAST_WAIT);
  EXPECT_EQ(call.source, source_.Get());
  EXPECT_EQ(src, (RECT{0, 0, 32, 32}));  // the caller's rectangle is not changed
}

TEST_F(KorvelGCopyTest, TheRightAndBottomEdgesCut) {
  const auto call = CopyOnce(80, 40, RECT{0, 0, 32, 32}, 1);
  EXPECT_EQ(call.x, 80u);
  EXPECT_EQ(call.y, 40u);
  EXPECT_EQ(call.rect, (RECT{0, 0, 20, 10}));
  EXPECT_EQ(call.flags, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY);
  EXPECT_EQ(CopyOnce(-5, -6, RECT{0, 0, 8, 8}).rect, (RECT{5, 6, 8, 8}));
}

TEST_F(KorvelGCopyTest, AnXAtOrPastTheWidthStillIssuesTheCopy) {
  EXPECT_EQ(CopyOnce(100, 0, RECT{0, 0, 32, 32}).rect, (RECT{0, 0, 0, 32}));
  const auto call = CopyOnce(120, 0, RECT{0, 0, 32, 32});
  EXPECT_EQ(call.x, 120u);
  EXPECT_EQ(call.rect, (RECT{0, 0, -20, 32}));
}

TEST_F(KorvelGPresentTest, CopyMovesPixelsBetweenRealSurfaces) {
  TKorvelG* g = Panel(0, 0, 64, 32);
  g->DDInit();
  ComPtr<IDirectDrawSurface> source = Offscreen(32, 32);
  {
    const platform::SurfaceLock lock(source.Get());
    for (LONG y = 0; y < 32; ++y)
      for (LONG x = 0; x < 32; ++x)
        platform::WritePixel(lock.View(), x, y, static_cast<DWORD>(x + 1));
  }
  g->Copy(-10, 0, source.Get(), RECT{0, 0, 32, 32}, 0);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 5), 11u);   // source column 10
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 21, 5), 32u);  // source column 31
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 22, 5), 0u);
  // With the source's colour key (0 to 0) black pixels leave the destination alone.
  testsupport::SetSurfacePixel(source.Get(), 0, 0, 0);
  const DDCOLORKEY black{0, 0};
  source->SetColorKey(DDCKEY_SRCBLT, &black);
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x5555);
  g->Copy(0, 0, source.Get(), RECT{0, 0, 2, 1}, 1);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 0), 0x5555u);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 1, 0), 2u);
}

TEST_F(KorvelGPresentTest, ClearBlackensTheSurface) {
  TKorvelG* g = Panel(0, 0, 16, 16);
  g->DDInit();
  testsupport::FillSurfacePixels(g->Surface.Get(), 0xFFFF);
  g->Clear();
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 15, 15), 0u);
}

TEST_F(KorvelGPresentTest, FlipShowsTheBackBufferWhicheverInstanceCallsIt) {
  TKorvelG* master = Panel(0, 0, 640, 480);
  TKorvelG* secondary = Panel(0, 0, 32, 32);
  master->SetFullScreen(true);
  DDInitAll();
  testsupport::FillSurfacePixels(master->Surface.Get(), 0xF800);
  master->OnPresent();
  EXPECT_EQ(ScreenPixel(320, 240), 0xF800u);
  testsupport::FillSurfacePixels(BackSurface.Get(), 0x001F);
  secondary->Flip();
  EXPECT_EQ(ScreenPixel(320, 240), 0x001Fu);
}

TEST_F(KorvelGPresentTest, CopyFromCanvasTakesTheCanvassTopLeftPixels) {
  TKorvelG* g = Panel(0, 0, 4, 2);
  g->DDInit();
  std::vector<std::uint16_t> bitmap(8 * 8);
  for (int i = 0; i < 64; ++i) bitmap[i] = static_cast<std::uint16_t>(0x100 + i);
  platform::PixelView view{reinterpret_cast<std::uint8_t*>(bitmap.data()), 16, 8, 8, 16};
  view.redMask = 0xF800;
  view.greenMask = 0x07E0;
  view.blueMask = 0x001F;
  const HDC dc = platform::CreatePixelDC(view, nullptr);
  TCanvas canvas(dc);
  g->CopyFromCanvas(&canvas);
  DeleteDC(dc);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 0, 0), 0x100u);
  EXPECT_EQ(testsupport::SurfacePixel(g->Surface.Get(), 3, 1), 0x100u + 8 + 3);
}

TEST_F(KorvelGPresentTest, RestoringBeforeSetUpDoesNothing) {
  TKorvelG* g = Panel(0, 0, 8, 8);
  ComPtr<FakeSurface> lost = FakeSurface::Make(8, 8);
  lost->lost = true;
  g->Surface = ComPtr<IDirectDrawSurface>(lost.Get());
  g->DDRestore();  // no primary surface: nothing is asked
  EXPECT_EQ(lost->restores, 0);
  g->Surface.Reset();
  g->DDRestore();
}

TEST_F(KorvelGPresentTest, LostSurfacesFailUntilDDRestore) {
  TKorvelG* g = Panel(0, 0, 16, 16);
  g->DDInit();
  platform::MarkAllSurfacesLost();
  g->MainCopy();
  EXPECT_EQ(LastResult, DDERR_SURFACELOST);
  g->DDRestore();
  EXPECT_EQ(g->Surface->IsLost(), DD_OK);
  EXPECT_EQ(PrimarySurface->IsLost(), DD_OK);
  testsupport::FillSurfacePixels(g->Surface.Get(), 0x0842);
  g->MainCopy();
  EXPECT_EQ(LastResult, DD_OK);
  EXPECT_EQ(ScreenPixel(100, 50), 0x0842u);
}

TEST_F(KorvelGPresentTest, PresentingWithoutSetUpDoesNothing) {
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->MainCopy();
  g->Flip();
  g->Clear();
  g->Copy(0, 0, nullptr, RECT{0, 0, 1, 1}, 0);
  g->CopyFromCanvas(nullptr);
  g->ADDBlt(0, 0, nullptr, 0, 0, 1, 1);
  g->Dark(0.5f);
  EXPECT_FALSE(g->Surface);
}

}  // namespace
