#include "platform/d3d/D3DViewport.h"

#include "platform/d3d/D3DMaterial.h"
#include "platform/d3d/DeviceCore.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DDrawErrors.h"

namespace platform {

HRESULT ViewportObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDirect3DViewport || Iid == IID_IDirect3DViewport2)
    return Answer(static_cast<IDirect3DViewport2*>(this), Object);
  return NoInterface(Object);
}

HRESULT ViewportObject::SetBackground(D3DMATERIALHANDLE Material) {
  background_ = Material;
  return D3D_OK;
}

HRESULT ViewportObject::Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags) {
  const std::shared_ptr<DeviceCore> core = core_.lock();
  if (!core) return DDERR_INVALIDOBJECT;  // not on any device
  if (Count > 0 && !Rects) return DDERR_INVALIDPARAMS;
  // Clearing stays within the viewport, as drawing does.
  if (hasRect_) core->Raster().SetViewport(Rect());
  const MaterialObject* material = core->FindMaterial(background_);
  const D3DCOLOR color = material ? material->DiffuseColor() : 0xFF000000u;
  return core->Clear(Count, Rects, Flags, color);
}

HRESULT ViewportObject::SetViewport2(const D3DVIEWPORT2* Data) {
  if (!Data || Data->dwSize != sizeof(D3DVIEWPORT2)) return DDERR_INVALIDPARAMS;
  data_ = *Data;
  hasRect_ = true;
  return D3D_OK;
}

HRESULT ViewportObject::GetViewport2(D3DVIEWPORT2* Data) {
  if (!Data) return DDERR_INVALIDPARAMS;
  *Data = data_;
  Data->dwSize = sizeof(D3DVIEWPORT2);
  return D3D_OK;
}

D3DRECT ViewportObject::Rect() const {
  return {static_cast<std::int32_t>(data_.dwX), static_cast<std::int32_t>(data_.dwY),
          static_cast<std::int32_t>(data_.dwX + data_.dwWidth),
          static_cast<std::int32_t>(data_.dwY + data_.dwHeight)};
}

}  // namespace platform
