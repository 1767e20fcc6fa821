#include "platform/d3d/SoftwareDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/DeviceCore.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/raster/RasterConfig.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DirectDraw.h"

namespace {

// A DirectDraw object with a 16-bit offscreen target and, when asked, a 16-bit z-buffer.
struct DeviceFixture : ::testing::Test {
  ComPtr<IDirectDraw> ddraw;
  ComPtr<IDirectDraw2> ddraw2;
  ComPtr<IDirect3D2> d3d;
  ComPtr<IDirectDrawSurface> target;
  ComPtr<IDirectDrawSurface> zbuffer;
  ComPtr<IDirect3DDevice2> device;

  static constexpr DWORD kWidth = 16, kHeight = 8;

  void SetUp() override {
    ASSERT_EQ(DirectDrawCreate(nullptr, ddraw.Put(), nullptr), DD_OK);
    ASSERT_EQ(ddraw.As(IID_IDirectDraw2, ddraw2), DD_OK);
    ASSERT_EQ(ddraw2->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(ddraw.As(IID_IDirect3D2, d3d), DD_OK);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = kWidth;
    desc.dwHeight = kHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(ddraw2->CreateSurface(&desc, target.Put(), nullptr), DD_OK);
  }

  void AttachZBuffer() {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
    desc.dwWidth = kWidth;
    desc.dwHeight = kHeight;
    desc.dwZBufferBitDepth = 16;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(ddraw2->CreateSurface(&desc, zbuffer.Put(), nullptr), DD_OK);
    ASSERT_EQ(target->AddAttachedSurface(zbuffer.Get()), DD_OK);
  }

  void CreateDevice() {
    ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target.Get(), device.Put()), D3D_OK);
  }

  uint16_t Pixel(int x, int y) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t value = 0;
    std::memcpy(&value, static_cast<char*>(desc.lpSurface) + y * desc.lPitch + x * 2, 2);
    target->Unlock(desc.lpSurface);
    return value;
  }

  // A viewport over the whole target with a material of the given diffuse colour behind it.
  ComPtr<IDirect3DViewport2> Viewport(float r, float g, float b, ComPtr<IDirect3DMaterial2>& mat) {
    ComPtr<IDirect3DViewport2> viewport;
    EXPECT_EQ(d3d->CreateViewport(viewport.Put(), nullptr), D3D_OK);
    D3DVIEWPORT2 data{};
    data.dwSize = sizeof(data);
    data.dwWidth = kWidth;
    data.dwHeight = kHeight;
    EXPECT_EQ(viewport->SetViewport2(&data), D3D_OK);
    EXPECT_EQ(device->AddViewport(viewport.Get()), D3D_OK);
    EXPECT_EQ(d3d->CreateMaterial(mat.Put(), nullptr), D3D_OK);
    D3DMATERIAL m{};
    m.dwSize = sizeof(m);
    m.diffuse = {r, g, b, 0};
    EXPECT_EQ(mat->SetMaterial(&m), D3D_OK);
    D3DMATERIALHANDLE handle = 0;
    EXPECT_EQ(mat->GetHandle(device.Get(), &handle), D3D_OK);
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(viewport->SetBackground(handle), D3D_OK);
    return viewport;
  }
};

TEST_F(DeviceFixture, OnlyTheSoftwareDeviceCanBeCreated) {
  for (const GUID& other :
       {IID_IDirect3DHALDevice, IID_IDirect3DMMXDevice, IID_IDirect3DRampDevice}) {
    EXPECT_NE(d3d->CreateDevice(other, target.Get(), device.Put()), D3D_OK);
    EXPECT_FALSE(device);
  }
  CreateDevice();
  ComPtr<IDirectDrawSurface> renderTarget;
  EXPECT_EQ(device->GetRenderTarget(renderTarget.Put()), D3D_OK);
  EXPECT_EQ(renderTarget, target);
}

TEST_F(DeviceFixture, RenderStatesReadBackAndBadValuesAreRefused) {
  CreateDevice();
  EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
  DWORD value = 0;
  EXPECT_EQ(device->GetRenderState(D3DRENDERSTATE_CULLMODE, &value), D3D_OK);
  EXPECT_EQ(value, DWORD{D3DCULL_NONE});
  EXPECT_NE(device->SetRenderState(D3DRENDERSTATE_CULLMODE, 9), D3D_OK);
  EXPECT_EQ(device->SetLightState(D3DLIGHTSTATE_MATERIAL, 7), D3D_OK);
  EXPECT_EQ(device->GetLightState(D3DLIGHTSTATE_MATERIAL, &value), D3D_OK);
  EXPECT_EQ(value, 7u);
}

TEST_F(DeviceFixture, TextureFormatsAreOfferedInTheirOrder) {
  CreateDevice();
  std::vector<DDPIXELFORMAT> offered;
  device->EnumTextureFormats(
      [](DDSURFACEDESC* desc, LPVOID context) -> HRESULT {
        static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(desc->ddpfPixelFormat);
        return D3DENUMRET_OK;
      },
      &offered);
  ASSERT_EQ(offered.size(), 4u);
  EXPECT_EQ(offered[0].dwRGBBitCount, 16u);
  EXPECT_EQ(offered[0].dwRBitMask, 0xF800u);
  EXPECT_TRUE(offered[1].dwFlags & DDPF_PALETTEINDEXED8);
  EXPECT_TRUE(offered[2].dwFlags & DDPF_ALPHAPIXELS);
  EXPECT_EQ(offered[3].dwRGBBitCount, 32u);
}

TEST_F(DeviceFixture, ViewportClearFillsWithTheBackgroundMaterialAndFarDepth) {
  AttachZBuffer();
  CreateDevice();
  ComPtr<IDirect3DMaterial2> material;
  ComPtr<IDirect3DViewport2> viewport = Viewport(1.0f, 0.0f, 0.0f, material);
  ASSERT_EQ(device->SetCurrentViewport(viewport.Get()), D3D_OK);
  D3DRECT rect{0, 0, static_cast<int32_t>(kWidth), static_cast<int32_t>(kHeight)};
  ASSERT_EQ(viewport->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), D3D_OK);
  EXPECT_EQ(Pixel(0, 0), 0xF800);
  EXPECT_EQ(Pixel(15, 7), 0xF800);
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  ASSERT_EQ(zbuffer->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  uint16_t depth = 0;
  std::memcpy(&depth, desc.lpSurface, 2);
  zbuffer->Unlock(desc.lpSurface);
  EXPECT_EQ(depth, 0xFFFF);
}

TEST_F(DeviceFixture, DrawsAGouraudTriangleWithDepthTest) {
  AttachZBuffer();
  CreateDevice();
  ComPtr<IDirect3DMaterial2> material;
  ComPtr<IDirect3DViewport2> viewport = Viewport(0, 0, 0, material);
  ASSERT_EQ(device->SetCurrentViewport(viewport.Get()), D3D_OK);
  D3DRECT rect{0, 0, static_cast<int32_t>(kWidth), static_cast<int32_t>(kHeight)};
  viewport->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  // A green quad at depth 0.5, then a red one behind it at 0.8: green stays.
  auto quad = [&](D3DCOLOR color, float z) {
    D3DTLVERTEX v[4] = {{0, 0, z, 1, color, 0xFF000000u, 0, 0},
                        {16, 0, z, 1, color, 0xFF000000u, 0, 0},
                        {16, 8, z, 1, color, 0xFF000000u, 0, 0},
                        {0, 8, z, 1, color, 0xFF000000u, 0, 0}};
    WORD indices[6] = {0, 1, 2, 0, 2, 3};
    return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 4, indices, 6,
                                        D3DDP_WAIT);
  };
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(quad(0xFF00FF00u, 0.5f), D3D_OK);
  EXPECT_EQ(quad(0xFFFF0000u, 0.8f), D3D_OK);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) EXPECT_EQ(Pixel(x, y), 0x07E0) << x << "," << y;
  }
}

TEST_F(DeviceFixture, TexturedDrawSamplesThePalettisedSurface) {
  CreateDevice();
  // A 2 x 2 palettised texture whose every texel is palette entry 1, blue.
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = 2;
  desc.dwHeight = 2;
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat = platform::TextureFormatDesc(1).ddpfPixelFormat;
  ComPtr<IDirectDrawSurface> surface;
  ASSERT_EQ(ddraw2->CreateSurface(&desc, surface.Put(), nullptr), DD_OK);
  PALETTEENTRY entries[256] = {};
  entries[1] = {0, 0, 255, 0};
  ComPtr<IDirectDrawPalette> palette;
  ASSERT_EQ(ddraw2->CreatePalette(DDPCAPS_8BIT, entries, palette.Put(), nullptr), DD_OK);
  ASSERT_EQ(surface->SetPalette(palette.Get()), DD_OK);
  DDSURFACEDESC locked{};
  locked.dwSize = sizeof(locked);
  ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  for (int y = 0; y < 2; ++y)
    std::memset(static_cast<char*>(locked.lpSurface) + y * locked.lPitch, 1, 2);
  surface->Unlock(locked.lpSurface);

  ComPtr<IDirect3DTexture2> texture;
  ASSERT_EQ(surface.As(IID_IDirect3DTexture2, texture), DD_OK);
  ASSERT_EQ(texture->PaletteChanged(0, 256), D3D_OK);
  D3DTEXTUREHANDLE handle = 0;
  ASSERT_EQ(texture->GetHandle(device.Get(), &handle), D3D_OK);
  D3DTEXTUREHANDLE again = 0;
  texture->GetHandle(device.Get(), &again);
  EXPECT_EQ(again, handle);

  device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, handle);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  D3DTLVERTEX v[3] = {{0, 0, 0.5f, 1, 0xFFFFFFFFu, 0xFF000000u, 0, 0},
                      {16, 0, 0.5f, 1, 0xFFFFFFFFu, 0xFF000000u, 1, 0},
                      {0, 8, 0.5f, 1, 0xFFFFFFFFu, 0xFF000000u, 0, 1}};
  WORD indices[3] = {0, 1, 2};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, indices, 3,
                                         D3DDP_WAIT),
            D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0x001F);  // white x blue texel
}

TEST_F(DeviceFixture, ReleasingTheDeviceLeavesItsObjectsUsable) {
  CreateDevice();
  ComPtr<IDirect3DMaterial2> material;
  ComPtr<IDirect3DViewport2> viewport = Viewport(0, 0, 1, material);
  device.Reset();
  // The viewport no longer has a device to clear; it says so instead of touching freed memory.
  D3DRECT rect{0, 0, 1, 1};
  EXPECT_NE(viewport->Clear(1, &rect, D3DCLEAR_TARGET), D3D_OK);
}

// The device draws with the rasteriser's default thread count unless KOR_RASTER_THREADS holds a
// whole number from 1 up (larger than the most a rasteriser runs is cut to that most).
TEST_F(DeviceFixture, DrawingThreadsComeFromTheEnvironmentOrTheDefault) {
  const struct {
    const char* value;  // nullptr: unset
    int threads;
  } cases[] = {{nullptr, platform::raster::DefaultThreadCount()},
               {"3", 3},
               {"1", 1},
               {"100000", platform::raster::kMaxRasterThreads},
               {"0", platform::raster::DefaultThreadCount()},
               {"two", platform::raster::DefaultThreadCount()},
               {"2x", platform::raster::DefaultThreadCount()}};
  for (const auto& c : cases) {
    if (c.value) {
      setenv("KOR_RASTER_THREADS", c.value, 1);
    } else {
      unsetenv("KOR_RASTER_THREADS");
    }
    device.Reset();
    CreateDevice();
    const auto core = platform::CoreOf(device.Get());
    ASSERT_TRUE(core);
    EXPECT_EQ(core->Raster().ThreadCount(), c.threads) << (c.value ? c.value : "unset");
  }
  unsetenv("KOR_RASTER_THREADS");
}

}  // namespace
