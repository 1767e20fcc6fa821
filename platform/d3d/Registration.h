// Direct3D joins DirectDraw: a DirectDraw object answers QueryInterface(IID_IDirect3D2) with its
// Direct3D object, and a texture surface answers QueryInterface(IID_IDirect3DTexture2) with its
// texture interface. DirectDraw learns this through its interface registry
// (platform/ddraw/InterfaceRegistry.h), so it never includes or links Direct3D.
//
// The registration runs during static initialisation of every program that links kor_d3d: the
// library's link interface keeps this unit in the program even when nothing calls into it.
#pragma once

namespace platform {

// Registers the two interfaces; calling it again changes nothing.
void RegisterDirect3D();

}  // namespace platform
