#include "platform/d3d/Registration.h"

#include "platform/d3d/D3DTexture.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/InterfaceRegistry.h"

namespace platform {
namespace {

HRESULT MakeDirect3D(IDirectDraw* Owner, void** Object) {
  IDirect3D2* direct3D = nullptr;
  const HRESULT result = CreateDirect3D2(Owner, &direct3D);
  *Object = direct3D;
  return result;
}

// A texture surface is also a Direct3D texture: its texture interface keeps it alive.
HRESULT MakeTexture(IDirectDrawSurface* Surface, void** Object) {
  IDirect3DTexture2* texture = nullptr;
  const HRESULT result = CreateDirect3DTexture(Surface, &texture);
  *Object = texture;
  return result;
}

}  // namespace

void RegisterDirect3D() {
  RegisterDirectDrawInterface(IID_IDirect3D2, MakeDirect3D);
  RegisterSurfaceInterface(IID_IDirect3DTexture2, DDSCAPS_TEXTURE, MakeTexture);
}

}  // namespace platform

// The symbol kor_d3d's link interface asks the linker for (--undefined in
// platform/d3d/CMakeLists.txt): it pulls this unit, and with it the registration, into every
// program that links the library.
extern "C" const bool KorDirect3DRegistered = (platform::RegisterDirect3D(), true);
