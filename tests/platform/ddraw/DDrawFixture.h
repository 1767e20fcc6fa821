// A DirectDraw object on a clean emulated screen, and helpers to make and read surfaces.
// Each test ends with the desktop restored and every platform object given back.
#pragma once

#include <gtest/gtest.h>

#include "platform/com/ComPtr.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/ddraw/DisplayDrivers.h"
#include "platform/display/ColorCoding.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"

class DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = platform::LiveObjectCount();
    form_ = platform::CreateWindowRecord(nullptr, RECT{0, 0, 640, 480});
    ASSERT_EQ(DirectDrawCreate(nullptr, dd_.Put(), nullptr), DD_OK);
    ASSERT_EQ(dd_->QueryInterface(IID_IDirectDraw2, dd2_.PutVoid()), DD_OK);
  }

  void TearDown() override {
    dd2_.Reset();
    dd_.Reset();
    DestroyWindow(form_);
    platform::RemoveAddedDisplayDrivers();
    EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
    EXPECT_EQ(platform::LiveObjectCount(), liveBefore_) << "platform objects were not given back";
  }

  void Windowed() { ASSERT_EQ(dd_->SetCooperativeLevel(form_, DDSCL_NORMAL), DD_OK); }

  void FullScreen(DWORD Bits) {
    ASSERT_EQ(dd_->SetCooperativeLevel(form_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(dd_->SetDisplayMode(640, 480, Bits), DD_OK);
  }

  static DDSURFACEDESC Desc(DWORD Flags, DWORD Caps) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    desc.dwFlags = Flags;
    desc.ddsCaps.dwCaps = Caps;
    return desc;
  }

  // An offscreen surface of the screen's format.
  // Memory: 0 (system memory, the default), DDSCAPS_SYSTEMMEMORY or DDSCAPS_VIDEOMEMORY.
  ComPtr<IDirectDrawSurface> Offscreen(DWORD Width, DWORD Height, DWORD Memory = 0) {
    DDSURFACEDESC desc =
        Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | Memory);
    desc.dwWidth = Width;
    desc.dwHeight = Height;
    ComPtr<IDirectDrawSurface> surface;
    EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DD_OK);
    return surface;
  }

  ComPtr<IDirectDrawSurface> Primary() {
    DDSURFACEDESC desc = Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
    ComPtr<IDirectDrawSurface> surface;
    EXPECT_EQ(dd2_->CreateSurface(&desc, surface.Put(), nullptr), DD_OK);
    return surface;
  }

  // Reads or writes one pixel through Lock.
  static DWORD Pixel(IDirectDrawSurface* Surface, LONG X, LONG Y) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    EXPECT_EQ(Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    const DWORD value = platform::ReadPixel(ViewOf(desc), X, Y);
    Surface->Unlock(nullptr);
    return value;
  }
  static void SetPixel(IDirectDrawSurface* Surface, LONG X, LONG Y, DWORD Value) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    ASSERT_EQ(Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    platform::WritePixel(ViewOf(desc), X, Y, Value);
    Surface->Unlock(nullptr);
  }
  static void FillWith(IDirectDrawSurface* Surface, DWORD Value) {
    DDBLTFX fx;
    fx.dwSize = sizeof fx;
    fx.dwFillColor = Value;
    ASSERT_EQ(Surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }
  static platform::PixelView ViewOf(const DDSURFACEDESC& Desc) {
    const DDPIXELFORMAT& pf = Desc.ddpfPixelFormat;
    platform::PixelView view;
    view.bits = static_cast<std::uint8_t*>(Desc.lpSurface);
    view.pitch = Desc.lPitch;
    view.width = static_cast<LONG>(Desc.dwWidth);
    view.height = static_cast<LONG>(Desc.dwHeight);
    view.bitCount =
        (pf.dwFlags & DDPF_ZBUFFER) ? (pf.dwZBufferBitDepth == 16 ? 16 : 32) : pf.dwRGBBitCount;
    view.redMask = pf.dwRBitMask;
    view.greenMask = pf.dwGBitMask;
    view.blueMask = pf.dwBBitMask;
    return view;
  }

  long liveBefore_ = 0;
  HWND form_ = nullptr;
  ComPtr<IDirectDraw> dd_;
  ComPtr<IDirectDraw2> dd2_;
};
