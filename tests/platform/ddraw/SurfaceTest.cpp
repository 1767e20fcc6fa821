// Surface creation, locking, flipping and attachment.
#include "tests/platform/ddraw/DDrawFixture.h"

namespace {

using SurfaceTest = DDrawTest;

TEST_F(SurfaceTest, TheWindowedPrimarySurfaceIsTheDesktop) {
  Windowed();
  ComPtr<IDirectDrawSurface> primary = Primary();
  DDSURFACEDESC desc;
  desc.dwSize = sizeof desc;
  ASSERT_EQ(primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.dwWidth, 1024u);
  EXPECT_EQ(desc.dwHeight, 768u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
  EXPECT_EQ(desc.lpSurface, platform::Screen::Get().View().bits);
  EXPECT_NE(desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE, 0u);
  primary->Unlock(nullptr);
}

TEST_F(SurfaceTest, ThereIsOnlyOnePrimarySurfaceAtATime) {
  Windowed();
  ComPtr<IDirectDrawSurface> first = Primary();
  DDSURFACEDESC desc = Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
  ComPtr<IDirectDrawSurface> second;
  EXPECT_EQ(dd2_->CreateSurface(&desc, second.Put(), nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  first.Reset();
  EXPECT_EQ(dd2_->CreateSurface(&desc, second.Put(), nullptr), DD_OK);
}

TEST_F(SurfaceTest, AFlipChainNeedsExclusiveModeAndOneBackBuffer) {
  Windowed();
  DDSURFACEDESC desc = Desc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                            DDSCAPS_PRIMARYSURFACE | DDSCAPS_COMPLEX | DDSCAPS_FLIP);
  desc.dwBackBufferCount = 1;
  ComPtr<IDirectDrawSurface> primary;
  EXPECT_EQ(dd2_->CreateSurface(&desc, primary.Put(), nullptr), DDERR_NOEXCLUSIVEMODE);
  FullScreen(16);
  desc.dwBackBufferCount = 0;
  EXPECT_EQ(dd2_->CreateSurface(&desc, primary.Put(), nullptr), DDERR_INVALIDPARAMS);
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps &= ~DDSCAPS_COMPLEX;
  EXPECT_EQ(dd2_->CreateSurface(&desc, primary.Put(), nullptr), DDERR_INVALIDCAPS);
}

TEST_F(SurfaceTest, FlippingShowsTheBackBuffer) {
  FullScreen(16);
  DDSURFACEDESC desc = Desc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                            DDSCAPS_PRIMARYSURFACE | DDSCAPS_COMPLEX | DDSCAPS_FLIP |
                                DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY);
  desc.dwBackBufferCount = 1;
  ComPtr<IDirectDrawSurface> primary, back;
  ASSERT_EQ(dd2_->CreateSurface(&desc, primary.Put(), nullptr), DD_OK);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  ASSERT_EQ(primary->GetAttachedSurface(&caps, back.Put()), DD_OK);
  DDSURFACEDESC backDesc;
  backDesc.dwSize = sizeof backDesc;
  back->GetSurfaceDesc(&backDesc);
  EXPECT_EQ(backDesc.dwWidth, 640u);
  EXPECT_EQ(backDesc.dwHeight, 480u);
  EXPECT_EQ(backDesc.ddsCaps.dwCaps & (DDSCAPS_BACKBUFFER | DDSCAPS_PRIMARYSURFACE),
            DDSCAPS_BACKBUFFER);

  testsupport::SetSurfacePixel(back.Get(), 3, 4, 0xF800);
  testsupport::SetSurfacePixel(primary.Get(), 3, 4, 0x001F);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(platform::ReadPixel(platform::Screen::Get().View(), 3, 4), 0xF800u);
  EXPECT_EQ(testsupport::SurfacePixel(back.Get(), 3, 4), 0x001Fu);  // the old front is the new back

  DDSURFACEDESC lockDesc;
  lockDesc.dwSize = sizeof lockDesc;
  back->Lock(nullptr, &lockDesc, DDLOCK_WAIT, nullptr);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
  back->Unlock(nullptr);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
}

TEST_F(SurfaceTest, AWindowedPrimaryCannotFlip) {
  Windowed();
  EXPECT_EQ(Primary()->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
}

TEST_F(SurfaceTest, OffscreenSurfacesTakeTheScreensFormatUnlessToldOtherwise) {
  FullScreen(8);
  ComPtr<IDirectDrawSurface> plain = Offscreen(5, 3);
  DDPIXELFORMAT format;
  plain->GetPixelFormat(&format);
  EXPECT_EQ(format.dwRGBBitCount, 8u);
  EXPECT_NE(format.dwFlags & DDPF_PALETTEINDEXED8, 0u);

  DDSURFACEDESC desc = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                            DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  desc.dwWidth = desc.dwHeight = 64;
  desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
  desc.ddpfPixelFormat.dwRGBBitCount = 16;
  desc.ddpfPixelFormat.dwRGBAlphaBitMask = 0x8000;
  desc.ddpfPixelFormat.dwRBitMask = 0x7C00;
  desc.ddpfPixelFormat.dwGBitMask = 0x03E0;
  desc.ddpfPixelFormat.dwBBitMask = 0x001F;
  ComPtr<IDirectDrawSurface> texture;
  ASSERT_EQ(dd2_->CreateSurface(&desc, texture.Put(), nullptr), DD_OK);
  texture->GetPixelFormat(&format);
  EXPECT_EQ(format.dwRGBAlphaBitMask, 0x8000u);

  desc.ddpfPixelFormat.dwGBitMask = 0x07E0;  // overlaps red
  EXPECT_EQ(dd2_->CreateSurface(&desc, texture.Put(), nullptr), DDERR_INVALIDPIXELFORMAT);
  desc.ddpfPixelFormat.dwGBitMask = 0x03E0;
  desc.ddpfPixelFormat.dwRGBBitCount = 24;
  EXPECT_EQ(dd2_->CreateSurface(&desc, texture.Put(), nullptr), DDERR_INVALIDPIXELFORMAT);
  desc.ddpfPixelFormat = DDPIXELFORMAT{};  // a format nobody chose
  EXPECT_EQ(dd2_->CreateSurface(&desc, texture.Put(), nullptr), DDERR_INVALIDPIXELFORMAT);
}

TEST_F(SurfaceTest, SizesAreCheckedAndRowsArePaddedToFourBytes) {
  Windowed();
  DDSURFACEDESC desc = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN);
  ComPtr<IDirectDrawSurface> surface;
  desc.dwWidth = 0;
  desc.dwHeight = 4;
  EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DDERR_INVALIDPARAMS);
  desc.dwWidth = 5000;
  EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DDERR_TOOBIGSIZE);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH;
  EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = 108;
  EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DDERR_INVALIDPARAMS);
  surface = Offscreen(3, 2);
  DDSURFACEDESC out;
  out.dwSize = sizeof out;
  surface->GetSurfaceDesc(&out);
  EXPECT_EQ(out.lPitch, 8);
  EXPECT_NE(out.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
  desc = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT,
              DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY);
  desc.dwWidth = desc.dwHeight = 2;
  EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DDERR_INVALIDCAPS);
}

TEST_F(SurfaceTest, ZBuffersKeepSixteenBitDepthsIn16BitsAndDeeperOnesIn32) {
  Windowed();
  for (DWORD depth : {16u, 24u, 32u}) {
    DDSURFACEDESC desc = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH,
                              DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY);
    desc.dwWidth = 10;
    desc.dwHeight = 2;
    desc.dwZBufferBitDepth = depth;
    ComPtr<IDirectDrawSurface> z;
    ASSERT_EQ(dd2_->CreateSurface(&desc, z.Put(), nullptr), DD_OK) << depth;
    DDSURFACEDESC out;
    out.dwSize = sizeof out;
    z->GetSurfaceDesc(&out);
    EXPECT_EQ(out.dwZBufferBitDepth, depth);
    EXPECT_EQ(out.lPitch, depth == 16 ? 20 : 40);
    EXPECT_NE(out.ddpfPixelFormat.dwFlags & DDPF_ZBUFFER, 0u);
  }
  DDSURFACEDESC desc =
      Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH, DDSCAPS_ZBUFFER);
  desc.dwWidth = desc.dwHeight = 2;
  desc.dwZBufferBitDepth = 8;
  ComPtr<IDirectDrawSurface> z;
  EXPECT_EQ(dd2_->CreateSurface(&desc, z.Put(), nullptr), DDERR_INVALIDPIXELFORMAT);
}

TEST_F(SurfaceTest, OneZBufferOfTheSameSizeAttachesToATarget) {
  Windowed();
  ComPtr<IDirectDrawSurface> target = Offscreen(8, 8), other = Offscreen(8, 8);
  DDSURFACEDESC desc =
      Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH, DDSCAPS_ZBUFFER);
  desc.dwWidth = desc.dwHeight = 8;
  desc.dwZBufferBitDepth = 16;
  ComPtr<IDirectDrawSurface> z, z2, small;
  dd2_->CreateSurface(&desc, z.Put(), nullptr);
  dd2_->CreateSurface(&desc, z2.Put(), nullptr);
  desc.dwWidth = 4;
  dd2_->CreateSurface(&desc, small.Put(), nullptr);

  EXPECT_EQ(target->AddAttachedSurface(other.Get()), DDERR_CANNOTATTACHSURFACE);
  EXPECT_EQ(target->AddAttachedSurface(small.Get()), DDERR_CANNOTATTACHSURFACE);
  EXPECT_EQ(z->AddAttachedSurface(z2.Get()), DDERR_CANNOTATTACHSURFACE);
  ASSERT_EQ(target->AddAttachedSurface(z.Get()), DD_OK);
  EXPECT_EQ(target->AddAttachedSurface(z2.Get()), DDERR_SURFACEALREADYATTACHED);

  ComPtr<IDirectDrawSurface> found;
  DDSCAPS caps{DDSCAPS_ZBUFFER};
  ASSERT_EQ(target->GetAttachedSurface(&caps, found.Put()), DD_OK);
  EXPECT_EQ(found.Get(), z.Get());
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  EXPECT_EQ(target->GetAttachedSurface(&caps, found.Put()), DDERR_NOTFOUND);
  EXPECT_EQ(target->DeleteAttachedSurface(0, z2.Get()), DDERR_SURFACENOTATTACHED);
  EXPECT_EQ(target->DeleteAttachedSurface(0, z.Get()), DD_OK);
}

TEST_F(SurfaceTest, LockingHandsOutTheMemoryOnceAtATime) {
  Windowed();
  ComPtr<IDirectDrawSurface> surface = Offscreen(4, 4);
  DDSURFACEDESC whole, part;
  whole.dwSize = part.dwSize = sizeof(DDSURFACEDESC);
  ASSERT_EQ(surface->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(surface->Lock(nullptr, &part, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
  EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
  const RECT rect{1, 2, 3, 4};
  ASSERT_EQ(surface->Lock(&rect, &part, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(
      static_cast<std::uint8_t*>(part.lpSurface) - static_cast<std::uint8_t*>(whole.lpSurface),
      2 * whole.lPitch + 2);
  surface->Unlock(nullptr);
  const RECT outside{2, 2, 5, 3};
  EXPECT_EQ(surface->Lock(&outside, &part, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
  part.dwSize = 0;
  EXPECT_EQ(surface->Lock(nullptr, &part, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

}  // namespace
