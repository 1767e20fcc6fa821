// A form on the emulated desktop with TKorvelG panels on it, and the display unit state
// reset around every test. The form's destruction runs each panel's release; the test then
// checks that every platform object was given back.
#pragma once

#include <gtest/gtest.h>

#include "components/KorvelG.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DisplayDrivers.h"
#include "platform/display/ColorCoding.h"
#include "platform/display/Screen.h"

class KorvelGTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = platform::LiveObjectCount();
    ::FullScreen = false;
    ::Color8bit = false;
    DrawDriverIndex = -1;
    UsedDriverIndex = 0;
    MasterIndex = 0;
    NoHardware = false;
    Hardware3D = false;
    LastResult = 0;
    DisplayBits = 0;
    form_ = new TWinControl(nullptr);
    form_->SetBounds(100, 50, 640, 480);
  }

  void TearDown() override {
    delete form_;
    platform::RemoveAddedDisplayDrivers();
    EXPECT_FALSE(::DirectDraw);
    EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
    EXPECT_EQ(platform::LiveObjectCount(), live_) << "platform objects were not given back";
    platform::Screen::Get().SetDesktopSize(1024, 768);  // a black desktop for the next test
  }

  // A panel on the form at (Left, Top) of Width x Height.
  TKorvelG* Panel(int Left, int Top, int Width, int Height) {
    auto* panel = new TKorvelG(form_);
    panel->SetParent(form_);
    panel->SetBounds(Left, Top, Width, Height);
    return panel;
  }

  static DDSURFACEDESC DescOf(IDirectDrawSurface* Surface) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    EXPECT_EQ(Surface->GetSurfaceDesc(&desc), DD_OK);
    return desc;
  }

  static platform::PixelView Lock(IDirectDrawSurface* Surface) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    EXPECT_EQ(Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    platform::PixelView view{static_cast<std::uint8_t*>(desc.lpSurface), desc.lPitch,
                             static_cast<LONG>(desc.dwWidth), static_cast<LONG>(desc.dwHeight),
                             desc.ddpfPixelFormat.dwRGBBitCount};
    view.redMask = desc.ddpfPixelFormat.dwRBitMask;
    view.greenMask = desc.ddpfPixelFormat.dwGBitMask;
    view.blueMask = desc.ddpfPixelFormat.dwBBitMask;
    return view;
  }

  static DWORD Pixel(IDirectDrawSurface* Surface, LONG X, LONG Y) {
    const DWORD value = platform::ReadPixel(Lock(Surface), X, Y);
    Surface->Unlock(nullptr);
    return value;
  }

  static void Fill(IDirectDrawSurface* Surface, DWORD Value) {
    const platform::PixelView view = Lock(Surface);
    for (LONG y = 0; y < view.height; ++y)
      for (LONG x = 0; x < view.width; ++x) platform::WritePixel(view, x, y, Value);
    Surface->Unlock(nullptr);
  }

  // A 16-bit offscreen surface of the shared DirectDraw object.
  // Memory: 0 (system memory, the default) or DDSCAPS_VIDEOMEMORY.
  static ComPtr<IDirectDrawSurface> Offscreen(DWORD Width, DWORD Height, DWORD Memory = 0) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = Width;
    desc.dwHeight = Height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | Memory;
    ComPtr<IDirectDrawSurface> surface;
    EXPECT_EQ(::DirectDraw2->CreateSurface(&desc, surface.Put(), nullptr), DD_OK);
    return surface;
  }

  long live_ = 0;
  TWinControl* form_ = nullptr;
};
