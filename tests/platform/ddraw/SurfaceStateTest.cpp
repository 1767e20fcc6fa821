// Palettes, drawing contexts, colour keys, and lost surfaces.
#include <vector>

#include "platform/ddraw/Surface.h"
#include "platform/gdi/BitBlt.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/platform/ddraw/DDrawFixture.h"

namespace {

using SurfaceStateTest = DDrawTest;

ComPtr<IDirectDrawPalette> MakePalette(IDirectDraw2* DD, BYTE Red) {
  PALETTEENTRY entries[256] = {};
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{Red, BYTE(i), 0, 0};
  ComPtr<IDirectDrawPalette> palette;
  EXPECT_EQ(DD->CreatePalette(DDPCAPS_8BIT, entries, palette.Put(), nullptr), DD_OK);
  return palette;
}

TEST_F(SurfaceStateTest, OnlyAPalettisedSurfaceTakesAPalette) {
  Windowed();
  ComPtr<IDirectDrawSurface> primary = Primary();
  ComPtr<IDirectDrawPalette> palette = MakePalette(dd2_.Get(), 9);
  EXPECT_EQ(primary->SetPalette(palette.Get()), DDERR_INVALIDPIXELFORMAT);
  ComPtr<IDirectDrawPalette> none;
  EXPECT_EQ(primary->GetPalette(none.Put()), DDERR_NOPALETTEATTACHED);
  EXPECT_FALSE(none);
}

TEST_F(SurfaceStateTest, ThePrimarysPaletteIsTheScreensPalette) {
  FullScreen(8);
  ComPtr<IDirectDrawSurface> primary = Primary();
  ComPtr<IDirectDrawPalette> palette = MakePalette(dd2_.Get(), 9);
  ASSERT_EQ(primary->SetPalette(palette.Get()), DD_OK);
  const auto& screenPalette = platform::Screen::Get().Palette();
  EXPECT_EQ(screenPalette[77], (PALETTEENTRY{9, 77, 0, 0}));
  const PALETTEENTRY blue{0, 0, 255, 0};
  ASSERT_EQ(palette->SetEntries(0, 3, 1, &blue), DD_OK);
  EXPECT_EQ(screenPalette[3], blue);
  ComPtr<IDirectDrawPalette> got;
  ASSERT_EQ(primary->GetPalette(got.Put()), DD_OK);
  EXPECT_EQ(got.Get(), palette.Get());
  // A palette that is not the primary's changes nothing on the screen.
  ComPtr<IDirectDrawPalette> other = MakePalette(dd2_.Get(), 200);
  ComPtr<IDirectDrawSurface> plain = Offscreen(2, 2);
  ASSERT_EQ(plain->SetPalette(other.Get()), DD_OK);
  other->SetEntries(0, 3, 1, &blue);
  EXPECT_EQ(screenPalette[4], (PALETTEENTRY{9, 4, 0, 0}));
}

TEST_F(SurfaceStateTest, ADrawingContextCopiesABitmapKeepingItsIndexes) {
  FullScreen(8);
  ComPtr<IDirectDrawSurface> texture = Offscreen(4, 1);
  ComPtr<IDirectDrawPalette> palette = MakePalette(dd2_.Get(), 0);
  texture->SetPalette(palette.Get());
  // A bitmap with the same colours: indexes must come through unchanged.
  PALETTEENTRY entries[256];
  palette->GetEntries(0, 0, 256, entries);
  std::vector<std::uint8_t> bits = {10, 20, 30, 40};
  const HDC bitmap = platform::CreatePixelDC(platform::PixelView{bits.data(), 4, 4, 1, 8}, entries);
  HDC dc = nullptr;
  ASSERT_EQ(texture->GetDC(&dc), DD_OK);
  DDSURFACEDESC desc;
  desc.dwSize = sizeof desc;
  EXPECT_EQ(texture->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  HDC second = nullptr;
  EXPECT_EQ(texture->GetDC(&second), DDERR_DCALREADYCREATED);
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 1, bitmap, 0, 0, SRCCOPY));
  EXPECT_EQ(texture->ReleaseDC(bitmap), DDERR_INVALIDPARAMS);
  ASSERT_EQ(texture->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(texture->ReleaseDC(dc), DDERR_NODC);
  DeleteDC(bitmap);
  for (LONG x = 0; x < 4; ++x)
    EXPECT_EQ(testsupport::SurfacePixel(texture.Get(), x, 0), DWORD(10 * (x + 1)));
}

TEST_F(SurfaceStateTest, ColourKeysAreKeptPerKindAndCanBeRemoved) {
  Windowed();
  ComPtr<IDirectDrawSurface> surface = Offscreen(2, 2);
  DDCOLORKEY key{5, 9};
  DDCOLORKEY out;
  EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &out), DDERR_NOCOLORKEY);
  ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  surface->GetColorKey(DDCKEY_SRCBLT, &out);
  EXPECT_EQ(out.dwColorSpaceHighValue, 5u);  // a single key unless DDCKEY_COLORSPACE says so
  ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key), DD_OK);
  surface->GetColorKey(DDCKEY_SRCBLT, &out);
  EXPECT_EQ(out.dwColorSpaceHighValue, 9u);
  EXPECT_EQ(surface->GetColorKey(DDCKEY_DESTBLT, &out), DDERR_NOCOLORKEY);
  surface->SetColorKey(DDCKEY_SRCBLT, nullptr);
  EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &out), DDERR_NOCOLORKEY);
  EXPECT_EQ(surface->SetColorKey(DDCKEY_SRCOVERLAY, &key), DDERR_UNSUPPORTED);
}

TEST_F(SurfaceStateTest, ALostSurfaceFailsEveryDrawingCallUntilRestored) {
  Windowed();
  ComPtr<IDirectDrawSurface> surface = Offscreen(4, 4, DDSCAPS_VIDEOMEMORY),
                             source = Offscreen(4, 4, DDSCAPS_VIDEOMEMORY);
  FillWith(source.Get(), 0x1234);
  platform::MarkAllSurfacesLost();
  DDSURFACEDESC desc;
  desc.dwSize = sizeof desc;
  DDBLTFX fx;
  fx.dwSize = sizeof fx;
  HDC dc = nullptr;
  EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
  EXPECT_EQ(surface->BltFast(0, 0, source.Get(), nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACELOST);
  ASSERT_EQ(surface->Restore(), DD_OK);
  EXPECT_EQ(surface->IsLost(), DD_OK);
  // The source is still lost: copying from it fails too.
  EXPECT_EQ(surface->BltFast(0, 0, source.Get(), nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  source->Restore();
  ASSERT_EQ(surface->BltFast(0, 0, source.Get(), nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(testsupport::SurfacePixel(surface.Get(), 3, 3),
            0x1234u);  // the contents outlived the loss
}

TEST_F(SurfaceStateTest, SystemMemorySurfacesAreNeverLost) {
  Windowed();
  ComPtr<IDirectDrawSurface> system = Offscreen(4, 4, DDSCAPS_SYSTEMMEMORY);
  ComPtr<IDirectDrawSurface> byDefault = Offscreen(4, 4);
  FillWith(system.Get(), 0x4321);
  platform::MarkAllSurfacesLost();
  FullScreen(16);
  platform::Screen::Get().LoseVideoMemory();
  for (IDirectDrawSurface* surface : {system.Get(), byDefault.Get()}) {
    EXPECT_EQ(surface->IsLost(), DD_OK);
    EXPECT_EQ(surface->BltFast(0, 0, system.Get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(testsupport::SurfacePixel(surface, 2, 2), 0x4321u);
  }
}

TEST_F(SurfaceStateTest, TheDisplayIsLostOnlyWhenTheFullScreenWindowIsDeactivated) {
  FullScreen(16);
  ComPtr<IDirectDrawSurface> primary = Primary();
  ComPtr<IDirectDrawSurface> video = Offscreen(4, 4, DDSCAPS_VIDEOMEMORY);
  platform::Screen& screen = platform::Screen::Get();
  ASSERT_NE(screen.FullScreenWindow(), nullptr);
  EXPECT_FALSE(screen.DeactivateWindow(reinterpret_cast<HWND>(0x1234))) << "another window";
  EXPECT_EQ(primary->IsLost(), DD_OK);
  EXPECT_TRUE(screen.DeactivateWindow(screen.FullScreenWindow()));
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(primary->IsLost(), DD_OK);
}

TEST_F(SurfaceStateTest, AModeChangeLosesSurfacesAndThePrimaryRestoresOnlyInItsMode) {
  Windowed();
  ComPtr<IDirectDrawSurface> primary = Primary();
  ComPtr<IDirectDrawSurface> plain = Offscreen(4, 4, DDSCAPS_VIDEOMEMORY);
  FullScreen(16);
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(plain->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(plain->Restore(), DD_OK);
  ASSERT_EQ(dd_->RestoreDisplayMode(), DD_OK);
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(primary->IsLost(), DD_OK);
}

TEST_F(SurfaceStateTest, RestoringTheFrontOfAFlipChainRestoresItsBackBuffer) {
  FullScreen(16);
  DDSURFACEDESC desc = Desc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                            DDSCAPS_PRIMARYSURFACE | DDSCAPS_COMPLEX | DDSCAPS_FLIP);
  desc.dwBackBufferCount = 1;
  ComPtr<IDirectDrawSurface> primary, back;
  ASSERT_EQ(dd2_->CreateSurface(&desc, primary.Put(), nullptr), DD_OK);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  primary->GetAttachedSurface(&caps, back.Put());
  platform::MarkAllSurfacesLost();
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  ASSERT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(back->IsLost(), DD_OK);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

}  // namespace
