// IDirectDraw::CreateSurface: reads a DDSURFACEDESC and makes the surface it asks for.
//
// - DDSCAPS_PRIMARYSURFACE: the screen, in the screen's size and format (no size or format may
//   be given). With DDSCAPS_FLIP | DDSCAPS_COMPLEX and DDSD_BACKBUFFERCOUNT 1 (exclusive mode
//   only) it also gets a back buffer of the screen's size, reached by GetAttachedSurface with
//   DDSCAPS_BACKBUFFER. Only one primary surface can exist at a time.
// - DDSCAPS_ZBUFFER: DDSD_WIDTH, DDSD_HEIGHT and a depth of 16, 24 or 32 bits
//   (DDSD_ZBUFFERBITDEPTH, or a DDPF_ZBUFFER pixel format).
// - anything else (offscreen plain, texture, 3D device target): DDSD_WIDTH and DDSD_HEIGHT,
//   in the pixel format given by DDSD_PIXELFORMAT or else the screen's.
// Sizes run from 1 to 4096 pixels a side. Surfaces asking for neither system nor video
// memory are placed in system memory (the primary surface in video memory).
#pragma once

#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

HRESULT CreateSurfaceFromDesc(const DDSURFACEDESC* Desc, bool CooperativeLevelSet, bool Exclusive,
                              IDirectDrawSurface** Surface);

}  // namespace platform
