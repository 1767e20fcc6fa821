// A form on the emulated desktop with TKorvelG panels on it, every piece of shared display
// state reset before each test (tests/support/DisplayState.h). The form's destruction runs each
// panel's release; the test then checks that every platform object was given back.
#pragma once

#include <gtest/gtest.h>

#include "components/KorvelG.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/ddraw/DisplayDrivers.h"
#include "platform/ddraw/SurfaceLock.h"
#include "platform/display/ColorCoding.h"
#include "platform/display/Screen.h"
#include "tests/support/DisplayState.h"
#include "tests/support/SurfacePixels.h"

class KorvelGTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetDisplayState();
    live_ = platform::LiveObjectCount();
    form_ = new TWinControl(nullptr);
    form_->SetBounds(100, 50, 640, 480);
  }

  void TearDown() override {
    delete form_;
    platform::RemoveAddedDisplayDrivers();
    EXPECT_FALSE(::DirectDraw);
    EXPECT_FALSE(platform::Screen::Get().InDisplayMode());
    EXPECT_EQ(platform::LiveObjectCount(), live_) << "platform objects were not given back";
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
