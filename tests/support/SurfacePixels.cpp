#include "tests/support/SurfacePixels.h"

#include <gtest/gtest.h>

#include "platform/ddraw/SurfaceLock.h"
#include "platform/display/ColorCoding.h"

namespace testsupport {

DWORD SurfacePixel(IDirectDrawSurface* Surface, LONG X, LONG Y) {
  const platform::SurfaceLock lock(Surface);
  EXPECT_EQ(lock.Result(), DD_OK);
  return lock.Locked() ? platform::ReadPixel(lock.View(), X, Y) : 0;
}

void SetSurfacePixel(IDirectDrawSurface* Surface, LONG X, LONG Y, DWORD Value) {
  const platform::SurfaceLock lock(Surface);
  ASSERT_EQ(lock.Result(), DD_OK);
  platform::WritePixel(lock.View(), X, Y, Value);
}

void FillSurfacePixels(IDirectDrawSurface* Surface, DWORD Value) {
  const platform::SurfaceLock lock(Surface);
  ASSERT_EQ(lock.Result(), DD_OK);
  const platform::PixelView view = lock.View();
  for (LONG y = 0; y < view.height; ++y)
    for (LONG x = 0; x < view.width; ++x) platform::WritePixel(view, x, y, Value);
}

}  // namespace testsupport
