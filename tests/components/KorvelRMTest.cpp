#include "components/KorvelRM.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/backends/HeadlessBackend.h"
#include "platform/ddraw/Surface.h"
#include "tests/components/KorvelGFixture.h"

namespace {

// An 8-bit palettised BMP of Width x Height whose pixel (x, y) holds index (x + y) & 0xFF and
// whose palette entry i is (i, 255 - i, 7).
std::string WriteBitmap(const std::string& name, int Width, int Height, int Colors = 256) {
  const std::string path = ::testing::TempDir() + name;
  const int rowBytes = (Width + 3) & ~3;
  const int paletteBytes = Colors * 4;
  const int offset = 14 + 40 + paletteBytes;
  const int size = offset + rowBytes * Height;
  std::vector<unsigned char> file(static_cast<size_t>(size), 0);
  auto put16 = [&](int at, int v) {
    file[at] = static_cast<unsigned char>(v);
    file[at + 1] = static_cast<unsigned char>(v >> 8);
  };
  auto put32 = [&](int at, int v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, (v >> 16) & 0xFFFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, size);
  put32(10, offset);
  put32(14, 40);
  put32(18, Width);
  put32(22, Height);
  put16(26, 1);
  put16(28, 8);
  put32(46, Colors);
  for (int i = 0; i < Colors; ++i) {
    file[54 + i * 4] = 7;                                        // blue
    file[54 + i * 4 + 1] = static_cast<unsigned char>(255 - i);  // green
    file[54 + i * 4 + 2] = static_cast<unsigned char>(i);        // red
  }
  for (int y = 0; y < Height; ++y) {  // bottom-up rows
    for (int x = 0; x < Width; ++x) {
      file[offset + (Height - 1 - y) * rowBytes + x] = static_cast<unsigned char>((x + y) & 0xFF);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), size);
  return path;
}

class KorvelRMTest : public KorvelGTest {
 protected:
  void SetUp() override {
    KorvelGTest::SetUp();
    backend_ = &UseHeadlessBackend();
    // Every box is answered with OK and recorded; the tests check which were shown.
    backend_->AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
  }
  void TearDown() override {
    delete form_;
    form_ = nullptr;
    EXPECT_FALSE(Direct3D2);
    EXPECT_FALSE(TextureList);
    form_ = new TWinControl(nullptr);  // for the base class's tear-down
    KorvelGTest::TearDown();
  }

  // The display panel and a 512 x 386 view, set up as the device selection does.
  TKorvelRM* SetUpView(int32_t choice = -1) {
    master_ = Panel(8, 64, 185, 41);
    auto* view = new TKorvelRM(form_);
    view->SetParent(form_);
    view->SetBounds(8, 32, 512, 386);
    D3DDeviceChoice = choice;
    view->DDEnum();
    DDInitAll();
    view->RmInit();
    return view;
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : backend_->MessageBoxes()) texts.push_back(box.Caption + ": " + box.Text);
    return texts;
  }

  HeadlessBackend* backend_ = nullptr;
  TKorvelG* master_ = nullptr;
};

TEST_F(KorvelRMTest, SetUpMakesTheDeviceZBufferAndViewportOfTheViewsSize) {
  TKorvelRM* view = SetUpView();
  EXPECT_TRUE(Boxes().empty());
  ASSERT_TRUE(view->D3DDevice);
  ASSERT_TRUE(view->ZBuffer);
  const DDSURFACEDESC z = DescOf(view->ZBuffer.Get());
  EXPECT_EQ(z.dwWidth, 512u);
  EXPECT_EQ(z.dwHeight, 386u);
  EXPECT_EQ(z.dwZBufferBitDepth, 32u);  // the software device's deepest depth
  ASSERT_TRUE(view->Viewport);
  EXPECT_EQ(view->Viewport->GetWidth(), 512u);
  EXPECT_EQ(view->Viewport->GetHeight(), 386u);
  EXPECT_EQ(D3DDeviceIndex, 0);
  DWORD cull = 0;
  view->D3DDevice->GetRenderState(D3DRENDERSTATE_CULLMODE, &cull);
  EXPECT_EQ(cull, DWORD{D3DCULL_CCW});
  // The software device offers 8-bit palettised textures, which the template keeps.
  EXPECT_TRUE(view->TextureDesc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
  EXPECT_EQ(view->TextureDesc.dwWidth, 64u);
  EXPECT_NE(view->BGMaterialHandle, 0u);
  EXPECT_EQ(RMOwnerIndex, view->ComponentIndex());
}

TEST_F(KorvelRMTest, AChoiceNamingNoDeviceGoesThroughTheFallbackChain) {
  TKorvelRM* view = SetUpView(7);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Failed: D3DDevice Initialize was Failed. I'm going to try Others.",
                         "Try: I try HAL.", "Try: I try MMX.", "Try: I try RGB."}));
  EXPECT_TRUE(view->D3DDevice);  // the RGB device
  EXPECT_TRUE(view->Viewport);
}

TEST_F(KorvelRMTest, WithEveryAttemptFailingTheViewStaysWithoutADevice) {
  // No display set-up: the view has no surface, so no device can be made.
  auto* view = new TKorvelRM(form_);
  view->SetParent(form_);
  view->SetBounds(0, 0, 64, 64);
  D3DDeviceChoice = -1;
  view->RmInit();
  EXPECT_EQ(Boxes().size(), 5u);
  EXPECT_EQ(Boxes().back(), "Try: I try Ramp.");
  EXPECT_FALSE(view->D3DDevice);
  // Later calls that need the device do nothing.
  view->Render();
  view->RMClear();
  view->RmRestore();
  view->SetBGColor(1, 2, 3);
  TKorvelTexture* texture = nullptr;
  view->MakeTexture(texture, 16, 16);
  ASSERT_NE(texture, nullptr);
  EXPECT_FALSE(texture->Surface);
  view->RmRelease();
}

TEST_F(KorvelRMTest, SecondSetUpWarnsAndCarriesOn) {
  TKorvelRM* view = SetUpView();
  view->RmInit();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "Warning: You Can't use Two or More KorvelRM Components.");
  EXPECT_TRUE(view->D3DDevice);
}

TEST_F(KorvelRMTest, TexturesAreNumberedAndASoftwareTextureIsOneSurface) {
  TKorvelRM* view = SetUpView();
  TKorvelTexture *first = nullptr, *second = nullptr;
  view->MakeTexture(first, 256, 256);
  view->MakeTexture(second, 32, 32);
  EXPECT_EQ(first->Data.Number, 0);
  EXPECT_EQ(second->Data.Number, 1);
  EXPECT_EQ(TextureList->Count(), 2);
  EXPECT_EQ(first->Surface, first->DeviceSurface);
  EXPECT_EQ(first->Texture, first->DeviceTexture);
  EXPECT_NE(first->Data.TextureHandle, 0u);
  EXPECT_NE(first->Data.TextureHandle, second->Data.TextureHandle);
  EXPECT_EQ(DescOf(first->Surface.Get()).dwWidth, 256u);
}

TEST_F(KorvelRMTest, ABitmapLargerThanItsTextureGivesItsTopLeftUnscaled) {
  TKorvelRM* view = SetUpView();
  TBitmap bitmap;
  bitmap.LoadFromFile(WriteBitmap("big.bmp", 512, 512));
  TKorvelTexture* texture = nullptr;
  view->MakeTexture(texture, 256, 256);
  view->SetTexture(texture, &bitmap, "big.bmp");
  EXPECT_EQ(texture->Data.Name, "big.bmp");
  EXPECT_NE(texture->Data.MaterialHandle, 0u);
  // Indices are kept: the bitmap's and the texture's palettes hold the same colours.
  EXPECT_EQ(testsupport::SurfacePixel(texture->Surface.Get(), 0, 0), 0u);
  EXPECT_EQ(testsupport::SurfacePixel(texture->Surface.Get(), 10, 3), 13u);
  EXPECT_EQ(testsupport::SurfacePixel(texture->Surface.Get(), 255, 255), (255u + 255u) & 0xFF);
  PALETTEENTRY entries[256];
  texture->Palette->GetEntries(0, 0, 256, entries);
  EXPECT_EQ(entries[10].peRed, 10);
  EXPECT_EQ(entries[10].peGreen, 245);
  EXPECT_EQ(entries[255].peRed, 255);  // the bitmap has an entry 255: it is used
  EXPECT_EQ(entries[255].peGreen, 0);
}

TEST_F(KorvelRMTest, PaletteEntry255IsWhiteWhenTheBitmapHasNone) {
  TKorvelRM* view = SetUpView();
  TBitmap bitmap;
  bitmap.LoadFromFile(WriteBitmap("small.bmp", 8, 8, 16));
  TKorvelTexture* texture = nullptr;
  view->MakeTexture(texture, 8, 8);
  view->SetTexture(texture, &bitmap, "small.bmp");
  PALETTEENTRY last{};
  texture->Palette->GetEntries(0, 255, 1, &last);
  EXPECT_EQ(last, (PALETTEENTRY{255, 255, 255, 0}));
}

TEST_F(KorvelRMTest, BackgroundColourDividesEachChannelBy256) {
  TKorvelRM* view = SetUpView();
  view->SetBGColor(255, 255, 255);
  D3DMATERIAL material{};
  material.dwSize = sizeof(material);
  view->BGMaterial->GetMaterial(&material);
  for (const D3DCOLORVALUE& c :
       {material.diffuse, material.ambient, material.specular, material.emissive}) {
    EXPECT_EQ(c.r, 0.99609375f);
    EXPECT_EQ(c.b, 0.99609375f);
  }
  view->SetBGColor(0, 0, 0);
  view->BGMaterial->GetMaterial(&material);
  EXPECT_EQ(material.diffuse.g, 0.0f);
}

TEST_F(KorvelRMTest, ReleaseByANonOwnerKeepsTheSharedObjectsAndReleaseTwiceIsHarmless) {
  TKorvelRM* view = SetUpView();
  RMOwnerIndex = view->ComponentIndex() + 1;  // another view ran the set-up last
  view->RmRelease();
  EXPECT_TRUE(Direct3D2);
  EXPECT_TRUE(view->D3DDevice);
  EXPECT_FALSE(view->Surface);  // its display part is gone
  RMOwnerIndex = view->ComponentIndex();
  view->RmRelease();
  EXPECT_FALSE(Direct3D2);
  EXPECT_FALSE(view->D3DDevice);
  EXPECT_FALSE(TextureList);
  view->RmRelease();
  view->RmRestore();  // nothing left to restore: does nothing
}

TEST_F(KorvelRMTest, RestoreBeforeSetUpDoesNothing) {
  auto* view = new TKorvelRM(form_);
  view->RmRestore();
  EXPECT_FALSE(view->ZBuffer);
}

TEST_F(KorvelRMTest, RestoreReloadsLostSurfaces) {
  TKorvelRM* view = SetUpView();
  TKorvelTexture* texture = nullptr;
  view->MakeTexture(texture, 8, 8);
  platform::MarkAllSurfacesLost();
  EXPECT_NE(PrimarySurface->IsLost(), DD_OK);
  // The software device's surfaces are in system memory, which a loss does not take.
  EXPECT_EQ(view->ZBuffer->IsLost(), DD_OK);
  EXPECT_EQ(view->Surface->IsLost(), DD_OK);
  EXPECT_EQ(texture->Surface->IsLost(), DD_OK);
  view->RmRestore();
  EXPECT_EQ(PrimarySurface->IsLost(), DD_OK);
}

TEST_F(KorvelRMTest, DestroyingTheWindowReleasesTheView) {
  TKorvelRM* view = SetUpView();
  view->DestroyHandle();
  EXPECT_FALSE(Direct3D2);
  EXPECT_FALSE(view->Surface);
}

TEST_F(KorvelRMTest, TexturesMadeFromFilesCanBeGivenBack) {
  TKorvelRM* view = SetUpView();
  const TKorTexdata* data = view->MakeTextureFromFile(WriteBitmap("t.bmp", 16, 16), "t.bmp");
  EXPECT_EQ(data->Name, "t.bmp");
  EXPECT_EQ(TextureList->Count(), 1);
  view->DiscardTexture(data);
  EXPECT_EQ(TextureList->Count(), 0);
  EXPECT_THROW(view->MakeTextureFromFile("/no/such/file.bmp", "x"), std::exception);
}

}  // namespace
