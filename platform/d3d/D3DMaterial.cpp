#include "platform/d3d/D3DMaterial.h"

#include <algorithm>

#include "platform/d3d/D3DTexture.h"
#include "platform/d3d/DeviceCore.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DDrawErrors.h"

namespace platform {

MaterialObject::~MaterialObject() {
  handles_.ForgetAll([](DeviceCore& core, DWORD handle) { core.ForgetMaterial(handle); });
}

HRESULT MaterialObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDirect3DMaterial2)
    return Answer(static_cast<IDirect3DMaterial2*>(this), Object);
  return NoInterface(Object);
}

HRESULT MaterialObject::SetMaterial(const D3DMATERIAL* Material) {
  if (!Material || Material->dwSize != sizeof(D3DMATERIAL)) return DDERR_INVALIDPARAMS;
  material_ = *Material;
  return D3D_OK;
}

HRESULT MaterialObject::GetMaterial(D3DMATERIAL* Material) {
  if (!Material) return DDERR_INVALIDPARAMS;
  *Material = material_;
  return D3D_OK;
}

HRESULT MaterialObject::GetHandle(IDirect3DDevice2* Device, D3DMATERIALHANDLE* Handle) {
  return handles_.Get(Device, Handle, [this](DeviceCore& core) { return core.AddMaterial(this); });
}

D3DCOLOR MaterialObject::DiffuseColor() const {
  const auto byte = [](D3DVALUE v) {
    return static_cast<DWORD>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
  };
  const D3DCOLORVALUE& c = material_.diffuse;
  return 0xFF000000u | (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

}  // namespace platform
