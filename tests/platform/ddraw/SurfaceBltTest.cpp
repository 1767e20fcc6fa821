// Blt and BltFast: fills, copies, scaling, colour keys and clipping.
#include "tests/platform/ddraw/DDrawFixture.h"

namespace {

class SurfaceBltTest : public DDrawTest {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    Windowed();
  }

  // Numbers every pixel of Surface: value = 100 * y + x.
  static void Number(IDirectDrawSurface* Surface, LONG Width, LONG Height) {
    for (LONG y = 0; y < Height; ++y)
      for (LONG x = 0; x < Width; ++x)
        testsupport::SetSurfacePixel(Surface, x, y, static_cast<DWORD>(100 * y + x));
  }
};

TEST_F(SurfaceBltTest, AColourFillCoversTheRectangleOnly) {
  ComPtr<IDirectDrawSurface> surface = Offscreen(4, 3);
  FillWith(surface.Get(), 0x1111);
  DDBLTFX fx;
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0x07E0;
  const RECT rect{1, 1, 3, 2};
  ASSERT_EQ(surface->Blt(&rect, nullptr, &rect, DDBLT_WAIT | DDBLT_COLORFILL, &fx), DD_OK);
  for (LONG y = 0; y < 3; ++y)
    for (LONG x = 0; x < 4; ++x)
      EXPECT_EQ(testsupport::SurfacePixel(surface.Get(), x, y),
                (y == 1 && x >= 1 && x < 3) ? 0x07E0u : 0x1111u);
  fx.dwSize = 0;
  EXPECT_EQ(surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceBltTest, WithoutAClipperTheDestinationMustLieInside) {
  ComPtr<IDirectDrawSurface> surface = Offscreen(4, 4);
  DDBLTFX fx;
  fx.dwSize = sizeof fx;
  const RECT outside{-1, 0, 2, 2};
  EXPECT_EQ(surface->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
  const RECT empty{2, 2, 2, 3};
  EXPECT_EQ(surface->Blt(&empty, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
  EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, 0x10 /*DDBLT_DDFX*/, &fx), DDERR_UNSUPPORTED);
}

TEST_F(SurfaceBltTest, CopiesAndScalesByNearestPixel) {
  ComPtr<IDirectDrawSurface> src = Offscreen(4, 4), dst = Offscreen(8, 8);
  Number(src.Get(), 4, 4);
  const RECT from{1, 1, 3, 3};
  const RECT same{0, 0, 2, 2};
  ASSERT_EQ(dst->Blt(&same, src.Get(), &from, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 0, 0), 101u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 1, 1), 202u);
  const RECT doubled{4, 4, 8, 8};
  ASSERT_EQ(dst->Blt(&doubled, src.Get(), &from, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 4, 4), 101u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 5, 5), 101u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 6, 5), 102u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 7, 7), 202u);
}

TEST_F(SurfaceBltTest, TheSourceKeyLeavesKeyedPixelsOut) {
  ComPtr<IDirectDrawSurface> src = Offscreen(2, 1), dst = Offscreen(2, 1);
  testsupport::SetSurfacePixel(src.Get(), 0, 0, 0);
  testsupport::SetSurfacePixel(src.Get(), 1, 0, 0x1234);
  FillWith(dst.Get(), 0x7777);
  EXPECT_EQ(dst->Blt(nullptr, src.Get(), nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
  DDCOLORKEY black{0, 0};
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
  ASSERT_EQ(dst->Blt(nullptr, src.Get(), nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 0, 0), 0x7777u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 1, 0), 0x1234u);
}

TEST_F(SurfaceBltTest, CopiesNeedTheSameFormatAndASourceRectangleInside) {
  ComPtr<IDirectDrawSurface> src = Offscreen(4, 4), dst = Offscreen(4, 4);
  const RECT tooBig{0, 0, 5, 4};
  EXPECT_EQ(dst->Blt(nullptr, src.Get(), &tooBig, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  DDSURFACEDESC desc =
      Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_OFFSCREENPLAIN);
  desc.dwWidth = desc.dwHeight = 4;
  desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  desc.ddpfPixelFormat.dwRGBBitCount = 8;
  ComPtr<IDirectDrawSurface> eight;
  ASSERT_EQ(dd2_->CreateSurface(&desc, eight.Put(), nullptr), DD_OK);
  EXPECT_EQ(dst->Blt(nullptr, eight.Get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
}

TEST_F(SurfaceBltTest, TheClipperCutsPrimaryBlitsToItsWindow) {
  ComPtr<IDirectDrawSurface> primary = Primary();
  ComPtr<IDirectDrawSurface> picture = Offscreen(20, 10);
  Number(picture.Get(), 20, 10);
  // A window hanging off the left edge of the screen, 20 x 10 pixels, at (-5, 100).
  const HWND window = platform::CreateWindowRecord(nullptr, RECT{-5, 100, 15, 110});
  ComPtr<IDirectDrawClipper> clipper;
  dd2_->CreateClipper(0, clipper.Put(), nullptr);
  ASSERT_EQ(primary->SetClipper(clipper.Get()), DD_OK);
  const RECT dest{-5, 100, 15, 110};
  EXPECT_EQ(primary->Blt(&dest, picture.Get(), nullptr, DDBLT_WAIT, nullptr), DDERR_NOCLIPLIST);
  clipper->SetHWnd(0, window);
  ASSERT_EQ(primary->Blt(&dest, picture.Get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const platform::PixelView screen = platform::Screen::Get().View();
  EXPECT_EQ(platform::ReadPixel(screen, 0, 100), 5u);  // source column 5 at screen column 0
  EXPECT_EQ(platform::ReadPixel(screen, 14, 109), 919u);
  EXPECT_EQ(platform::ReadPixel(screen, 15, 105), 0u);  // outside the window
  // A destination wider than the window is cut to it as well.
  const RECT wide{-5, 100, 35, 110};
  FillWith(picture.Get(), 0xFFFF);
  ASSERT_EQ(primary->Blt(&wide, picture.Get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(platform::ReadPixel(screen, 14, 100), 0xFFFFu);
  EXPECT_EQ(platform::ReadPixel(screen, 15, 100), 0u);
  DestroyWindow(window);
  EXPECT_EQ(primary->Blt(&dest, picture.Get(), nullptr, DDBLT_WAIT, nullptr), DDERR_NOCLIPLIST);
  primary->SetClipper(nullptr);
  platform::Screen::Get().SetDesktopSize(1024, 768);  // black again for later tests
}

TEST_F(SurfaceBltTest, BltFastCopiesWithAndWithoutTheSourceKey) {
  ComPtr<IDirectDrawSurface> src = Offscreen(3, 1), dst = Offscreen(5, 2);
  testsupport::SetSurfacePixel(src.Get(), 0, 0, 0);
  testsupport::SetSurfacePixel(src.Get(), 1, 0, 0x0101);
  testsupport::SetSurfacePixel(src.Get(), 2, 0, 0x0202);
  FillWith(dst.Get(), 0x7777);
  DDCOLORKEY black{0, 0};
  src->SetColorKey(DDCKEY_SRCBLT, &black);
  ASSERT_EQ(dst->BltFast(2, 1, src.Get(), nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 2, 1), 0x7777u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 3, 1), 0x0101u);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 4, 1), 0x0202u);
  ASSERT_EQ(dst->BltFast(0, 0, src.Get(), nullptr, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(dst.Get(), 0, 0), 0u);
}

TEST_F(SurfaceBltTest, BltFastRefusesRectanglesItWouldHaveToCut) {
  ComPtr<IDirectDrawSurface> src = Offscreen(4, 4), dst = Offscreen(4, 4);
  EXPECT_EQ(dst->BltFast(1, 0, src.Get(), nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  const RECT negative{10, 0, 4, 4};  // what a copy starting past the right edge leaves
  EXPECT_EQ(dst->BltFast(0, 0, src.Get(), &negative, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  const RECT zero{2, 0, 2, 4};
  EXPECT_EQ(dst->BltFast(0, 0, src.Get(), &zero, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(static_cast<DWORD>(-3), 0, src.Get(), nullptr, DDBLTFAST_WAIT),
            DDERR_INVALIDRECT);
  ComPtr<IDirectDrawClipper> clipper;
  dd2_->CreateClipper(0, clipper.Put(), nullptr);
  dst->SetClipper(clipper.Get());
  EXPECT_EQ(dst->BltFast(0, 0, src.Get(), nullptr, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
}

TEST_F(SurfaceBltTest, ACopyWithinOneSurfaceSurvivesOverlap) {
  ComPtr<IDirectDrawSurface> surface = Offscreen(6, 1);
  for (LONG x = 0; x < 6; ++x)
    testsupport::SetSurfacePixel(surface.Get(), x, 0, static_cast<DWORD>(x + 1));
  const RECT first4{0, 0, 4, 1};
  ASSERT_EQ(surface->BltFast(2, 0, surface.Get(), &first4, DDBLTFAST_WAIT), DD_OK);
  const DWORD expected[6] = {1, 2, 1, 2, 3, 4};
  for (LONG x = 0; x < 6; ++x)
    EXPECT_EQ(testsupport::SurfacePixel(surface.Get(), x, 0), expected[x]) << x;
}

TEST_F(SurfaceBltTest, ADepthFillWritesTheZBuffer) {
  DDSURFACEDESC desc =
      Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH, DDSCAPS_ZBUFFER);
  desc.dwWidth = desc.dwHeight = 2;
  desc.dwZBufferBitDepth = 16;
  ComPtr<IDirectDrawSurface> z;
  dd2_->CreateSurface(&desc, z.Put(), nullptr);
  DDBLTFX fx;
  fx.dwSize = sizeof fx;
  fx.dwFillDepth = 0xFFFF;
  ASSERT_EQ(z->Blt(nullptr, nullptr, nullptr, DDBLT_DEPTHFILL | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(z.Get(), 1, 1), 0xFFFFu);
  EXPECT_EQ(z->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
  ComPtr<IDirectDrawSurface> plain = Offscreen(2, 2);
  EXPECT_EQ(plain->Blt(nullptr, nullptr, nullptr, DDBLT_DEPTHFILL, &fx), DDERR_INVALIDPARAMS);
}

}  // namespace
