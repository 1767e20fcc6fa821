// TKorvelG set-up, driver enumeration and release.
#include <gtest/gtest.h>

#include "framework/Exceptions.h"
#include "platform/d3d/Direct3D.h"
#include "tests/components/KorvelGFixture.h"

namespace {

using KorvelGSetupTest = KorvelGTest;

TEST_F(KorvelGSetupTest, InstancesAreListedInConstructionOrder) {
  TKorvelG* first = Panel(0, 0, 10, 10);
  TKorvelG* second = Panel(0, 0, 10, 10);
  ASSERT_TRUE(InstanceList);
  ASSERT_EQ(InstanceList->Count(), 2);
  EXPECT_EQ(InstanceList->Items(0), first);
  EXPECT_EQ(InstanceList->Items(1), second);
}

TEST_F(KorvelGSetupTest, TheFirstInstanceIsAWindowedMasterAndTheNextASecondary) {
  new TPanel(form_);  // another component first: the master's component index is 1
  TKorvelG* master = Panel(10, 20, 512, 386);
  TKorvelG* secondary = Panel(0, 400, 100, 50);
  DDInitAll();

  EXPECT_EQ(MasterIndex, 1);
  EXPECT_EQ(UsedDriverIndex, -1);
  ASSERT_TRUE(::DirectDraw && ::DirectDraw2 && PrimarySurface && BackSurface && ::Palette);
  EXPECT_EQ(master->Surface, BackSurface);
  const DDSURFACEDESC primary = DescOf(PrimarySurface.Get());
  EXPECT_EQ(primary.dwWidth, 1024u);
  EXPECT_NE(primary.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE, 0u);

  const DDSURFACEDESC back = DescOf(master->Surface.Get());
  EXPECT_EQ(back.dwWidth, 512u);
  EXPECT_EQ(back.dwHeight, 386u);
  const DWORD caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
  EXPECT_EQ(back.ddsCaps.dwCaps & (caps | DDSCAPS_VIDEOMEMORY), caps);
  const DDSURFACEDESC own = DescOf(secondary->Surface.Get());
  EXPECT_EQ(own.dwWidth, 100u);
  EXPECT_EQ(own.dwHeight, 50u);
  EXPECT_EQ(own.ddsCaps.dwCaps & (caps | DDSCAPS_VIDEOMEMORY), caps);
  EXPECT_NE(secondary->Surface, BackSurface);

  EXPECT_EQ(master->OnPresent, (TKorvelGMethod{master, &TKorvelG::MainCopy}));
  EXPECT_EQ(secondary->OnPresent, (TKorvelGMethod{secondary, &TKorvelG::MainCopy}));
  EXPECT_EQ(master->SurfaceRect, (RECT{0, 0, 512, 386}));
  EXPECT_EQ(secondary->SurfaceRect, (RECT{0, 0, 100, 50}));
  EXPECT_EQ(master->BltFx.dwSize, sizeof(DDBLTFX));

  // Each has a clipper on its own window; only the master's is attached at set-up.
  HWND bound = nullptr;
  ASSERT_TRUE(master->Clipper && secondary->Clipper);
  master->Clipper->GetHWnd(&bound);
  EXPECT_EQ(bound, master->Handle());
  secondary->Clipper->GetHWnd(&bound);
  EXPECT_EQ(bound, secondary->Handle());
  ComPtr<IDirectDrawClipper> attached;
  PrimarySurface->GetClipper(attached.Put());
  EXPECT_EQ(attached.Get(), master->Clipper.Get());

  for (TKorvelG* g : {master, secondary}) {
    EXPECT_EQ(g->RedUnit, 0x0800u);
    EXPECT_EQ(g->GreenUnit, 0x0020u);
    EXPECT_EQ(g->BlueUnit, 0x0001u);
  }
}

TEST_F(KorvelGSetupTest, AHardwareDeviceAsksForVideoMemory) {
  Hardware3D = true;
  TKorvelG* master = Panel(0, 0, 64, 64);
  master->DDInit();
  EXPECT_NE(DescOf(master->Surface.Get()).ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
}

TEST_F(KorvelGSetupTest, AFullScreenMasterMakesA640By480FlipChain) {
  TKorvelG* master = Panel(10, 20, 512, 386);
  TKorvelG* secondary = Panel(0, 0, 128, 96);
  master->SetFullScreen(true);
  DDInitAll();

  EXPECT_EQ(master->Width(), 640);
  EXPECT_EQ(master->Height(), 480);
  platform::Screen& screen = platform::Screen::Get();
  EXPECT_EQ(screen.Width(), 640);
  EXPECT_EQ(screen.BitCount(), 16u);
  EXPECT_EQ(screen.FullScreenWindow(), form_->Handle());
  EXPECT_EQ(DisplayBits, 16u);
  EXPECT_TRUE(GetNoHardware());
  ASSERT_TRUE(PrimarySurface && BackSurface);
  EXPECT_EQ(master->Surface, BackSurface);
  EXPECT_NE(DescOf(BackSurface.Get()).ddsCaps.dwCaps & DDSCAPS_BACKBUFFER, 0u);
  EXPECT_EQ(master->OnPresent, (TKorvelGMethod{master, &TKorvelG::Flip}));
  EXPECT_FALSE(master->Clipper);
  EXPECT_EQ(master->SurfaceRect, (RECT{0, 0, 640, 480}));
  EXPECT_EQ(master->RedUnit, 0x0800u);
  // A full-screen secondary: its own surface, no clipper, nothing to present with.
  EXPECT_EQ(DescOf(secondary->Surface.Get()).dwWidth, 128u);
  EXPECT_FALSE(secondary->OnPresent);
  EXPECT_FALSE(secondary->Clipper);
}

TEST_F(KorvelGSetupTest, AFullScreenMasterWithoutAFormRecordsTheFailuresAndGoesOn) {
  TKorvelG orphan(nullptr);  // no owner: no window to take the full screen with
  orphan.SetFullScreen(true);
  orphan.DDInit();
  EXPECT_TRUE(::DirectDraw);
  EXPECT_FALSE(PrimarySurface);
  EXPECT_FALSE(orphan.Surface);
  EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
  EXPECT_EQ(MasterIndex, -1);
  orphan.OnPresent();  // Flip without a flip chain does nothing
  orphan.Clear();
  orphan.DDrelease();
  EXPECT_FALSE(::DirectDraw);
}

TEST_F(KorvelGSetupTest, EightBitColourLeavesTheChannelUnitsAsTheyWere) {
  TKorvelG* master = Panel(0, 0, 640, 480);
  master->SetFullScreen(true);
  master->SetColor8bit(true);
  master->DDInit();
  EXPECT_EQ(platform::Screen::Get().BitCount(), 8u);
  EXPECT_EQ(DisplayBits, 8u);
  EXPECT_EQ(DescOf(master->Surface.Get()).ddpfPixelFormat.dwRGBBitCount, 8u);
  EXPECT_EQ(master->RedUnit, 0u);
  EXPECT_EQ(master->GreenUnit, 0u);
  EXPECT_EQ(master->BlueUnit, 0u);
  // The palette is the screen's: the system palette's colours with the program's flags.
  ComPtr<IDirectDrawPalette> onPrimary;
  ASSERT_EQ(PrimarySurface->GetPalette(onPrimary.Put()), DD_OK);
  EXPECT_EQ(onPrimary.Get(), ::Palette.Get());
  EXPECT_EQ(platform::Screen::Get().Palette()[249], (PALETTEENTRY{255, 0, 0, 0x40}));
}

TEST_F(KorvelGSetupTest, ThePaletteFlagsMarkTheStaticEntriesAndEntry255IsWhite) {
  Panel(0, 0, 32, 32)->DDInit();
  PALETTEENTRY entries[256];
  ASSERT_EQ(::Palette->GetEntries(0, 0, 256, entries), DD_OK);
  for (int i = 0; i < 256; ++i) {
    const BYTE expected = (i < 10 || i >= 246) ? 0x40 : 0x01;
    EXPECT_EQ(entries[i].peFlags, expected) << i;
  }
  // A 16-bit desktop has no system palette: the 255 entries read stay black.
  EXPECT_EQ(entries[100], (PALETTEENTRY{0, 0, 0, 0x01}));
  EXPECT_EQ(entries[255], (PALETTEENTRY{255, 255, 255, 0x40}));
}

TEST_F(KorvelGSetupTest, FullScreenAndColor8bitChangeOnlyWhileNothingIsSetUp) {
  TKorvelG* master = Panel(0, 0, 32, 32);
  master->DDInit();
  master->SetFullScreen(true);
  master->SetColor8bit(true);
  EXPECT_FALSE(master->FullScreen());
  EXPECT_FALSE(master->Color8bit());
  master->DDrelease();
  master->SetFullScreen(true);
  master->SetColor8bit(true);
  EXPECT_TRUE(master->FullScreen());
  EXPECT_TRUE(::Color8bit);
}

TEST_F(KorvelGSetupTest, EnumeratingTwiceListsEveryDriverTwice) {
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->DDEnum();
  ASSERT_TRUE(DriverList);
  ASSERT_EQ(DriverList->Count(), 1);
  g->DDEnum();
  ASSERT_EQ(DriverList->Count(), 2);
  for (const auto& driver : *DriverList) {
    EXPECT_FALSE(driver->Guid);
    EXPECT_EQ(driver->GuidPointer(), nullptr);
    EXPECT_EQ(driver->Name, "display");
    EXPECT_EQ(driver->Description, "Primary Display Driver");
    EXPECT_EQ(driver->Has3D, 0);
    EXPECT_EQ(driver->HasTexture, 0);
    EXPECT_EQ(driver->DriverCaps.dwSize, sizeof(DDCAPS));
    EXPECT_NE(driver->DriverCaps.dwCaps & DDCAPS_NOHARDWARE, 0u);
    bool has640x480x16 = false;
    for (const auto& mode : driver->Modes)
      if (mode->Width == 640 && mode->Height == 480 &&
          mode->Desc.ddpfPixelFormat.dwRGBBitCount == 16)
        has640x480x16 = true;
    EXPECT_TRUE(has640x480x16);
    ASSERT_EQ(driver->Devices.Count(), 1);
    EXPECT_EQ(driver->Devices[0]->Guid, IID_IDirect3DRGBDevice);
    EXPECT_EQ(driver->Devices[0]->Description, "RGB Emulation");
    EXPECT_EQ(driver->Devices[0]->HWDesc.dcmColorModel, 0u);
    EXPECT_EQ(driver->Devices[0]->HELDesc.dwDeviceZBufferBitDepth, DDBD_16 | DDBD_24 | DDBD_32);
  }
}

constexpr GUID kCardA = GuidFromString("{AAAAAAAA-0000-0000-0000-000000000001}");
constexpr GUID kCardB = GuidFromString("{BBBBBBBB-0000-0000-0000-000000000002}");
constexpr GUID kCardC = GuidFromString("{CCCCCCCC-0000-0000-0000-000000000003}");

TEST_F(KorvelGSetupTest, TheAutomaticChoiceTriesTheLastDriverWith3DAndTexturesFirst) {
  platform::AddDisplayDriver(kCardA, "Card A", "a", DDCAPS_3D, DDSCAPS_TEXTURE);
  platform::AddDisplayDriver(kCardB, "Card B", "b", DDCAPS_3D, 0);
  platform::AddDisplayDriver(kCardC, "Card C", "c", DDCAPS_3D, DDSCAPS_TEXTURE);
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->DDEnum();
  ASSERT_EQ(DriverList->Count(), 4);
  EXPECT_EQ(DriverList->Items(1)->Has3D, -1);
  EXPECT_EQ(DriverList->Items(2)->HasTexture, 0);
  g->SelectDrawDriver(-2);
  g->DDInit();
  EXPECT_EQ(UsedDriverIndex, 3);
  DDCAPS hw;
  hw.dwSize = sizeof hw;
  ::DirectDraw->GetCaps(&hw, nullptr);
  EXPECT_EQ(hw.dwCaps, DDCAPS_3D);
}

TEST_F(KorvelGSetupTest, TheAutomaticChoiceFallsBackToThePrimaryDriver) {
  platform::AddDisplayDriver(kCardA, "Card A", "a", DDCAPS_3D, DDSCAPS_TEXTURE);
  platform::AddDisplayDriver(kCardB, "Card B", "b", DDCAPS_3D, 0);
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->DDEnum();
  // Card A qualifies but no longer opens; card B does not qualify.
  platform::RemoveAddedDisplayDrivers();
  g->SelectDrawDriver(-2);
  g->DDInit();
  EXPECT_EQ(UsedDriverIndex, -1);
  ASSERT_TRUE(::DirectDraw);
  DDCAPS hw;
  hw.dwSize = sizeof hw;
  ::DirectDraw->GetCaps(&hw, nullptr);
  EXPECT_NE(hw.dwCaps & DDCAPS_NOHARDWARE, 0u);
}

TEST_F(KorvelGSetupTest, AnExplicitDriverIsOpenedByItsIndex) {
  platform::AddDisplayDriver(kCardA, "Card A", "a", DDCAPS_3D, DDSCAPS_TEXTURE);
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->DDEnum();
  g->SelectDrawDriver(1);
  g->DDInit();
  EXPECT_EQ(UsedDriverIndex, 1);
}

TEST_F(KorvelGSetupTest, ADriverIndexOutsideTheListRaisesAListError) {
  TKorvelG* g = Panel(0, 0, 8, 8);
  g->SelectDrawDriver(0);
  EXPECT_THROW(g->DDInit(), EListError);  // no DDEnum: no list
  g->DDEnum();
  g->SelectDrawDriver(1);
  EXPECT_THROW(g->DDInit(), EListError);
  EXPECT_FALSE(::DirectDraw);
}

TEST_F(KorvelGSetupTest, ReleasingGivesBackTheClippersAndTheMasterEverythingShared) {
  TKorvelG* master = Panel(0, 0, 64, 64);
  TKorvelG* secondary = Panel(0, 64, 32, 32);
  master->DDEnum();
  DDInitAll();
  secondary->DDrelease();
  EXPECT_FALSE(secondary->Surface);
  EXPECT_FALSE(secondary->Clipper);
  EXPECT_TRUE(::DirectDraw);
  master->DDrelease();
  EXPECT_FALSE(master->Surface);
  EXPECT_FALSE(master->Clipper);
  EXPECT_FALSE(::DirectDraw || ::DirectDraw2 || PrimarySurface || BackSurface || ::Palette);
  EXPECT_FALSE(DriverList);
  EXPECT_FALSE(InstanceList);
  master->DDrelease();  // a second release finds nothing to give back
  EXPECT_EQ(platform::LiveObjectCount(), live_);
}

TEST_F(KorvelGSetupTest, AfterTheMastersReleaseANewMasterCanStart) {
  TKorvelG* first = Panel(0, 0, 64, 64);
  first->DDInit();
  first->DDrelease();
  TKorvelG* second = Panel(0, 0, 32, 32);  // lists itself in a new InstanceList
  ASSERT_TRUE(InstanceList);
  EXPECT_EQ(InstanceList->Count(), 1);
  DDInitAll();
  EXPECT_EQ(MasterIndex, second->ComponentIndex());
  EXPECT_EQ(second->Surface, BackSurface);
}

TEST_F(KorvelGSetupTest, ADestroyedInstanceLeavesTheInstanceList) {
  Panel(0, 0, 8, 8);
  TKorvelG* doomed = Panel(0, 0, 8, 8);
  delete doomed;
  ASSERT_EQ(InstanceList->Count(), 1);
  DDInitAll();  // must not reach the destroyed instance
  EXPECT_TRUE(::DirectDraw);
}

}  // namespace
