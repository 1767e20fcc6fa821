#include <string>
#include <vector>

#include "platform/ddraw/InterfaceRegistry.h"
#include "tests/platform/ddraw/DDrawFixture.h"

namespace {

constexpr GUID kCardGuid = GuidFromString("{0D0D0D0D-1111-2222-3333-444455556666}");

struct DriverSeen {
  bool hasGuid;
  GUID guid;
  std::string description, name;
};

BOOL RecordDriver(GUID* Guid, const char* Description, const char* Name, LPVOID Context) {
  auto* seen = static_cast<std::vector<DriverSeen>*>(Context);
  seen->push_back(DriverSeen{Guid != nullptr, Guid ? *Guid : GUID_NULL, Description, Name});
  return TRUE;
}

BOOL StopAtFirst(GUID*, const char*, const char*, LPVOID Context) {
  ++*static_cast<int*>(Context);
  return FALSE;
}

using DirectDrawObjectTest = DDrawTest;

TEST_F(DirectDrawObjectTest, ThePrimaryDisplayDriverComesFirstAndAddedDriversFollow) {
  platform::AddDisplayDriver(kCardGuid, "3D card", "card", DDCAPS_3D, DDSCAPS_TEXTURE);
  std::vector<DriverSeen> seen;
  ASSERT_EQ(DirectDrawEnumerateA(RecordDriver, &seen), DD_OK);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(seen[0].hasGuid);
  EXPECT_EQ(seen[0].description, "Primary Display Driver");
  EXPECT_EQ(seen[0].name, "display");
  EXPECT_TRUE(seen[1].hasGuid);
  EXPECT_EQ(seen[1].guid, kCardGuid);
  EXPECT_EQ(seen[1].name, "card");
  int calls = 0;
  DirectDrawEnumerateA(StopAtFirst, &calls);
  EXPECT_EQ(calls, 1);
}

TEST_F(DirectDrawObjectTest, AnUnknownDriverGuidOpensNothing) {
  GUID unknown = kCardGuid;
  IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(1);
  EXPECT_EQ(DirectDrawCreate(&unknown, &dd, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
  EXPECT_EQ(dd, nullptr);
  platform::AddDisplayDriver(kCardGuid, "3D card", "card", DDCAPS_3D, DDSCAPS_TEXTURE);
  ComPtr<IDirectDraw> card;
  ASSERT_EQ(DirectDrawCreate(&unknown, card.Put(), nullptr), DD_OK);
  DDCAPS hw, hel;
  hw.dwSize = hel.dwSize = sizeof(DDCAPS);
  ASSERT_EQ(card->GetCaps(&hw, &hel), DD_OK);
  EXPECT_EQ(hw.dwCaps, DDCAPS_3D);
  EXPECT_EQ(hw.ddsCaps.dwCaps, DDSCAPS_TEXTURE);
}

TEST_F(DirectDrawObjectTest, ThePrimaryDriverHasNoHardwareAndEmulatesTexturesAndZBuffers) {
  DDCAPS hw, hel;
  hw.dwSize = hel.dwSize = sizeof(DDCAPS);
  ASSERT_EQ(dd_->GetCaps(&hw, &hel), DD_OK);
  EXPECT_EQ(hw.dwCaps & (DDCAPS_NOHARDWARE | DDCAPS_3D), DDCAPS_NOHARDWARE);
  EXPECT_EQ(hw.ddsCaps.dwCaps & DDSCAPS_TEXTURE, 0u);
  EXPECT_NE(hel.ddsCaps.dwCaps & DDSCAPS_TEXTURE, 0u);
  EXPECT_NE(hel.dwCaps & DDCAPS_BLTCOLORFILL, 0u);
  EXPECT_EQ(hel.dwZBufferBitDepths, DDBD_16 | DDBD_24 | DDBD_32);
  hw.dwSize = 108;
  EXPECT_EQ(dd_->GetCaps(&hw, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawObjectTest, BothInterfacesAreOneObject) {
  ComPtr<IUnknown> fromFirst, fromSecond;
  dd_->QueryInterface(IID_IUnknown, fromFirst.PutVoid());
  dd2_->QueryInterface(IID_IUnknown, fromSecond.PutVoid());
  EXPECT_EQ(fromFirst.Get(), fromSecond.Get());
  ComPtr<IUnknown> none;
  EXPECT_EQ(dd_->QueryInterface(IID_IDirectDrawSurface, none.PutVoid()), E_NOINTERFACE);
  EXPECT_FALSE(none);
}

// Interfaces a layer above registers (as Direct3D does) and what they answer: the object asked.
constexpr IID kAddedToDirectDraw = GuidFromString("{0A0A0A0A-1111-2222-3333-444455556601}");
constexpr IID kAddedToTextures = GuidFromString("{0A0A0A0A-1111-2222-3333-444455556602}");
constexpr IID kNeverAdded = GuidFromString("{0A0A0A0A-1111-2222-3333-444455556603}");

HRESULT AnswerWithOwner(IDirectDraw* Owner, void** Object) {
  Owner->AddRef();
  *Object = Owner;
  return DD_OK;
}

HRESULT AnswerWithSurface(IDirectDrawSurface* Surface, void** Object) {
  Surface->AddRef();
  *Object = Surface;
  return DD_OK;
}

TEST_F(DirectDrawObjectTest, InterfacesRegisteredByALayerAboveAreHandedOutOnTheirObjects) {
  Windowed();
  platform::RegisterDirectDrawInterface(kAddedToDirectDraw, AnswerWithOwner);
  platform::RegisterSurfaceInterface(kAddedToTextures, DDSCAPS_TEXTURE, AnswerWithSurface);

  ComPtr<IUnknown> added;
  EXPECT_EQ(dd2_->QueryInterface(kAddedToDirectDraw, added.PutVoid()), DD_OK);
  EXPECT_EQ(added.Get(), static_cast<IUnknown*>(dd_.Get()));
  ComPtr<IUnknown> none;
  EXPECT_EQ(dd_->QueryInterface(kNeverAdded, none.PutVoid()), E_NOINTERFACE);
  EXPECT_FALSE(none);

  // Only surfaces whose caps hold the registered bits answer.
  DDSURFACEDESC desc =
      Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  desc.dwWidth = desc.dwHeight = 8;
  ComPtr<IDirectDrawSurface> texture;
  ASSERT_EQ(dd2_->CreateSurface(&desc, texture.Put(), nullptr), DD_OK);
  ComPtr<IUnknown> fromTexture;
  EXPECT_EQ(texture->QueryInterface(kAddedToTextures, fromTexture.PutVoid()), DD_OK);
  EXPECT_EQ(fromTexture.Get(), static_cast<IUnknown*>(texture.Get()));
  ComPtr<IDirectDrawSurface> plain = Offscreen(8, 8);
  ComPtr<IUnknown> fromPlain;
  EXPECT_EQ(plain->QueryInterface(kAddedToTextures, fromPlain.PutVoid()), E_NOINTERFACE);
  EXPECT_FALSE(fromPlain);
}

struct ModeSeen {
  DWORD width, height, bits, refresh;
};

HRESULT RecordMode(DDSURFACEDESC* Desc, LPVOID Context) {
  static_cast<std::vector<ModeSeen>*>(Context)->push_back(ModeSeen{
      Desc->dwWidth, Desc->dwHeight, Desc->ddpfPixelFormat.dwRGBBitCount, Desc->dwRefreshRate});
  return DDENUMRET_OK;
}

TEST_F(DirectDrawObjectTest, TheModesInclude640By480At8And16Bits) {
  std::vector<ModeSeen> modes;
  ASSERT_EQ(dd_->EnumDisplayModes(0, nullptr, &modes, RecordMode), DD_OK);
  auto has = [&](DWORD w, DWORD h, DWORD b) {
    for (const auto& m : modes)
      if (m.width == w && m.height == h && m.bits == b) return true;
    return false;
  };
  EXPECT_TRUE(has(640, 480, 8));
  EXPECT_TRUE(has(640, 480, 16));
  EXPECT_FALSE(has(640, 480, 24));
  DDSURFACEDESC filter = Desc(DDSD_WIDTH, 0);
  filter.dwWidth = 800;
  modes.clear();
  dd_->EnumDisplayModes(0, &filter, &modes, RecordMode);
  ASSERT_FALSE(modes.empty());
  for (const auto& m : modes) EXPECT_EQ(m.width, 800u);
}

TEST_F(DirectDrawObjectTest, NothingIsMadeBeforeTheCooperativeLevelIsSet) {
  DDSURFACEDESC desc = Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
  ComPtr<IDirectDrawSurface> surface;
  EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DDERR_NOCOOPERATIVELEVELSET);
  EXPECT_FALSE(surface);
}

TEST_F(DirectDrawObjectTest, FullScreenNeedsAWindowAndExclusiveModeBelongsToOneObject) {
  EXPECT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd_->SetCooperativeLevel(form_, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 16), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(dd_->SetCooperativeLevel(form_, 0x57), DD_OK);
  EXPECT_EQ(platform::Screen::Get().FullScreenWindow(), form_);
  ComPtr<IDirectDraw> other;
  DirectDrawCreate(nullptr, other.Put(), nullptr);
  EXPECT_EQ(other->SetCooperativeLevel(form_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
            DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 24), DDERR_INVALIDMODE);
}

TEST_F(DirectDrawObjectTest, TheDisplayModeLastsUntilTheObjectIsReleased) {
  FullScreen(8);
  platform::Screen& screen = platform::Screen::Get();
  EXPECT_EQ(screen.Width(), 640);
  EXPECT_EQ(screen.BitCount(), 8u);
  dd2_.Reset();
  dd_.Reset();
  EXPECT_FALSE(screen.InDisplayMode());
  EXPECT_EQ(screen.Width(), 1024);
  EXPECT_EQ(screen.FullScreenWindow(), nullptr);
}

TEST_F(DirectDrawObjectTest, GoingBackToNormalLevelRestoresTheDesktop) {
  FullScreen(16);
  ASSERT_EQ(dd_->SetCooperativeLevel(form_, DDSCL_NORMAL), DD_OK);
  EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
  EXPECT_EQ(platform::Screen::Get().FullScreenWindow(), nullptr);
}

TEST_F(DirectDrawObjectTest, PalettesNeedEightBitsAndAllTheirEntries) {
  PALETTEENTRY entries[256] = {};
  entries[5] = PALETTEENTRY{1, 2, 3, 0x40};
  ComPtr<IDirectDrawPalette> palette;
  EXPECT_EQ(dd2_->CreatePalette(DDPCAPS_4BIT, entries, palette.Put(), nullptr),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd2_->CreatePalette(DDPCAPS_8BIT, nullptr, palette.Put(), nullptr),
            DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd2_->CreatePalette(DDPCAPS_8BIT, entries, palette.Put(), nullptr), DD_OK);
  PALETTEENTRY out[3];
  ASSERT_EQ(palette->GetEntries(0, 4, 3, out), DD_OK);
  EXPECT_EQ(out[1], entries[5]);
  EXPECT_EQ(palette->GetEntries(0, 254, 3, out), DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette->SetEntries(0, 250, 7, out), DDERR_INVALIDPARAMS);
  DWORD caps = 0;
  palette->GetCaps(&caps);
  EXPECT_EQ(caps, DDPCAPS_8BIT);
}

TEST_F(DirectDrawObjectTest, AClipperTakesOnlyAWindow) {
  ComPtr<IDirectDrawClipper> clipper;
  EXPECT_EQ(dd2_->CreateClipper(1, clipper.Put(), nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd2_->CreateClipper(0, clipper.Put(), nullptr), DD_OK);
  EXPECT_EQ(clipper->SetHWnd(0, reinterpret_cast<HWND>(0x7777777)), DDERR_INVALIDPARAMS);
  ASSERT_EQ(clipper->SetHWnd(0, form_), DD_OK);
  HWND bound = nullptr;
  clipper->GetHWnd(&bound);
  EXPECT_EQ(bound, form_);
}

}  // namespace
