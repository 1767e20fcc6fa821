// Direct3DRMCreate and the retained-mode object (IDirect3DRM, IDirect3DRM2): the factory of
// frames, lights, devices, viewports, mesh builders, meshes, wraps and textures (Frame.h,
// Light.h, RMDevice.h, RMViewport.h, MeshBuilder.h, Mesh.h, Wrap.h, Texture.h).
//
// Every object it makes is independent of it: the retained-mode object may be released
// before the objects it created. Objects reach each other only through what they hold
// (a frame its children, visuals and lights; a viewport its device and camera; a wrap its
// reference frame).
//
// LoadTexture reads BMP files only (see Texture.h); its failures are D3DRMERR_FILENOTFOUND
// and D3DRMERR_BADFILE.
#pragma once

#include "platform/d3drm/RMInterfaces.h"

// A new retained-mode object (one reference); QueryInterface(IID_IDirect3DRM2) on it gives
// the IDirect3DRM2 interface.
HRESULT Direct3DRMCreate(IDirect3DRM** Direct3DRM);
