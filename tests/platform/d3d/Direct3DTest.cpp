#include "platform/d3d/Direct3D.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DirectDraw.h"

namespace {

struct DeviceSeen {
  GUID guid;
  std::string description, name;
  D3DDEVICEDESC hardware, emulation;
};

HRESULT RecordDevice(GUID* Guid, const char* Description, const char* Name, D3DDEVICEDESC* Hardware,
                     D3DDEVICEDESC* Emulation, LPVOID Context) {
  static_cast<std::vector<DeviceSeen>*>(Context)->push_back(
      DeviceSeen{*Guid, Description, Name, *Hardware, *Emulation});
  return D3DENUMRET_OK;
}

class Direct3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(DirectDrawCreate(nullptr, dd_.Put(), nullptr), DD_OK);
    ASSERT_EQ(dd_->QueryInterface(IID_IDirectDraw2, dd2_.PutVoid()), DD_OK);
    ASSERT_EQ(dd2_->QueryInterface(IID_IDirect3D2, d3d_.PutVoid()), DD_OK);
  }
  std::vector<DeviceSeen> Devices() {
    std::vector<DeviceSeen> seen;
    EXPECT_EQ(d3d_->EnumDevices(RecordDevice, &seen), D3D_OK);
    return seen;
  }
  ComPtr<IDirectDraw> dd_;
  ComPtr<IDirectDraw2> dd2_;
  ComPtr<IDirect3D2> d3d_;
};

TEST_F(Direct3DTest, TheOneDeviceIsTheSoftwareRgbEmulation) {
  const auto devices = Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].guid, IID_IDirect3DRGBDevice);
  EXPECT_EQ(devices[0].name, "RGB Emulation");
  EXPECT_EQ(devices[0].description, "RGB Emulation");
  // A software device: its hardware description is empty, so the colour model is 0.
  EXPECT_EQ(devices[0].hardware.dwSize, sizeof(D3DDEVICEDESC));
  EXPECT_EQ(devices[0].hardware.dcmColorModel, 0u);
  EXPECT_EQ(devices[0].hardware.dwDeviceZBufferBitDepth, 0u);
}

TEST_F(Direct3DTest, TheEmulationDescriptionIsComplete) {
  const D3DDEVICEDESC hel = Devices().at(0).emulation;
  EXPECT_EQ(hel.dwSize, 204u);
  EXPECT_EQ(hel.dwFlags, 0x7FFu);    // every D3DDD_ field holds data
  EXPECT_EQ(hel.dcmColorModel, 2u);  // RGB
  EXPECT_EQ(hel.dwDeviceZBufferBitDepth, DDBD_16 | DDBD_24 | DDBD_32);
  EXPECT_EQ(hel.dwDeviceRenderBitDepth, DDBD_16 | DDBD_32);
  EXPECT_TRUE(hel.dwDevCaps & D3DDEVCAPS_DRAWPRIMTLVERTEX);
  const D3DPRIMCAPS& tri = hel.dpcTriCaps;
  EXPECT_EQ(tri.dwSize, sizeof(D3DPRIMCAPS));
  EXPECT_TRUE(tri.dwZCmpCaps & D3DPCMPCAPS_LESSEQUAL);
  EXPECT_TRUE(tri.dwShadeCaps & D3DPSHADECAPS_COLORGOURAUDRGB);
  EXPECT_TRUE(tri.dwShadeCaps & D3DPSHADECAPS_SPECULARGOURAUDRGB);
  EXPECT_TRUE(tri.dwRasterCaps & D3DPRASTERCAPS_FOGTABLE);
  EXPECT_TRUE(tri.dwTextureBlendCaps & D3DPTBLENDCAPS_MODULATE);
  EXPECT_TRUE(tri.dwTextureAddressCaps & D3DPTADDRESSCAPS_WRAP);
  EXPECT_EQ(tri.dwMiscCaps & (D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW),
            D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW);
  EXPECT_GT(hel.dwMaxTextureWidth, 255u);
}

TEST_F(Direct3DTest, TheDirectDrawInterfacesAreReachedThroughDirect3D) {
  ComPtr<IDirectDraw2> second;
  ASSERT_EQ(d3d_->QueryInterface(IID_IDirectDraw2, second.PutVoid()), DD_OK);
  EXPECT_EQ(second.Get(), dd2_.Get());
  ComPtr<IDirectDraw> first;
  ASSERT_EQ(d3d_->QueryInterface(IID_IDirectDraw, first.PutVoid()), DD_OK);
  EXPECT_EQ(first.Get(), dd_.Get());
  ComPtr<IDirectDrawSurface> notOne;
  EXPECT_EQ(d3d_->QueryInterface(IID_IDirectDrawSurface, notOne.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(notOne, nullptr);
}

TEST_F(Direct3DTest, CreateDeviceNeedsATargetWhileMaterialsAndViewportsNeedNothing) {
  IDirect3DDevice2* device = reinterpret_cast<IDirect3DDevice2*>(1);
  EXPECT_TRUE(FAILED(d3d_->CreateDevice(IID_IDirect3DRGBDevice, nullptr, &device)));
  EXPECT_EQ(device, nullptr);
  ComPtr<IDirect3DMaterial2> material;
  EXPECT_EQ(d3d_->CreateMaterial(material.Put(), nullptr), D3D_OK);
  EXPECT_TRUE(material);
  ComPtr<IDirect3DViewport2> viewport;
  EXPECT_EQ(d3d_->CreateViewport(viewport.Put(), nullptr), D3D_OK);
  EXPECT_TRUE(viewport);
}

TEST_F(Direct3DTest, Direct3DKeepsItsDirectDrawObjectAlive) {
  const long live = platform::LiveObjectCount();
  dd2_.Reset();
  dd_.Reset();
  EXPECT_EQ(platform::LiveObjectCount(), live);  // still held by Direct3D
  EXPECT_EQ(Devices().size(), 1u);
  d3d_.Reset();
  EXPECT_EQ(platform::LiveObjectCount(), live - 2);
}

}  // namespace
