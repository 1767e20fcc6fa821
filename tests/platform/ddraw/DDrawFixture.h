// A DirectDraw object on a clean emulated screen, and helpers to make surfaces (their pixels are
// read and written with tests/support/SurfacePixels.h).
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
#include "tests/support/ScreenState.h"
#include "tests/support/SurfacePixels.h"

class DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetScreenState();
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

  static void FillWith(IDirectDrawSurface* Surface, DWORD Value) {
    DDBLTFX fx;
    fx.dwSize = sizeof fx;
    fx.dwFillColor = Value;
    ASSERT_EQ(Surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }
  long liveBefore_ = 0;
  HWND form_ = nullptr;
  ComPtr<IDirectDraw> dd_;
  ComPtr<IDirectDraw2> dd2_;
};
