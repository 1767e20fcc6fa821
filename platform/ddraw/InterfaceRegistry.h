// Interfaces a higher layer adds to DirectDraw's objects. DirectDraw knows nothing of Direct3D:
// the 3D layer registers here what QueryInterface hands out for its interfaces (the Direct3D
// object on a DirectDraw object, the texture interface on a texture surface), so DirectDraw
// sits strictly below it.
#pragma once

#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

// Makes the interface registered for Owner: the result and *Object as QueryInterface gives them.
using DirectDrawInterfaceMaker = HRESULT (*)(IDirectDraw* Owner, void** Object);
using SurfaceInterfaceMaker = HRESULT (*)(IDirectDrawSurface* Surface, void** Object);

// A later registration of the same IID replaces the earlier one.
void RegisterDirectDrawInterface(const IID& Iid, DirectDrawInterfaceMaker Maker);
// Only surfaces whose caps hold every bit of RequiredCaps answer to Iid.
void RegisterSurfaceInterface(const IID& Iid, DWORD RequiredCaps, SurfaceInterfaceMaker Maker);

// The maker registered for Iid (and, for surfaces, the caps Caps); nullptr when there is none.
DirectDrawInterfaceMaker FindDirectDrawInterface(const IID& Iid);
SurfaceInterfaceMaker FindSurfaceInterface(const IID& Iid, DWORD Caps);

}  // namespace platform
