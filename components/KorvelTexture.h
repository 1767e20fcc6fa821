// A texture made by the 3D view: a surface in the view's texture format with a 256-entry
// palette, its texture interface and handle on the view's device, a white material carrying it,
// and the record polygons refer to. For a hardware device the device reads a video-memory copy
// that is loaded from the system-memory source; for the software device both are one surface.
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/ddraw/DDrawInterfaces.h"
#include "scene/Texdata.h"

class TKorvelTexture {
 public:
  ComPtr<IDirect3DTexture2> Texture;         // texture interface of Surface
  ComPtr<IDirect3DTexture2> DeviceTexture;   // of DeviceSurface; the same object in software
  DDSURFACEDESC SurfaceDesc{};               // how the surfaces were created
  ComPtr<IDirectDrawSurface> Surface;        // system-memory surface the bitmap is drawn into
  ComPtr<IDirectDrawSurface> DeviceSurface;  // the surface the device reads
  ComPtr<IDirectDrawPalette> Palette;        // 256 entries
  D3DMATERIAL MaterialDesc{};
  ComPtr<IDirect3DMaterial2> Material;  // white material carrying the texture
  TKorTexdata Data;                     // number, handles and name

  // Gives back every platform object, each only if set.
  void Release();
};

// Restores the device copy of a hardware texture and loads it from its source; a software
// texture (one surface) needs nothing.
void ReloadTexture(TKorvelTexture* Tex);
