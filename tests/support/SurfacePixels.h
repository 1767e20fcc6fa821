// Pixels of a DirectDraw surface read and written through its lock (platform::SurfaceLock), in
// the surface's own coding. A refused lock fails the test.
#pragma once

#include "platform/ddraw/DDrawInterfaces.h"

namespace testsupport {

DWORD SurfacePixel(IDirectDrawSurface* Surface, LONG X, LONG Y);
void SetSurfacePixel(IDirectDrawSurface* Surface, LONG X, LONG Y, DWORD Value);
// Every pixel set to Value, without going through Blt.
void FillSurfacePixels(IDirectDrawSurface* Surface, DWORD Value);

}  // namespace testsupport
