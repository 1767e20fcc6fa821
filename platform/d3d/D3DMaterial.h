// IDirect3DMaterial2: a material record with handles on devices. The device uses a material's
// diffuse colour as a viewport's background.
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3d/DeviceHandles.h"

namespace platform {

class MaterialObject final : public RefCounted<IDirect3DMaterial2> {
 public:
  MaterialObject() = default;

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT SetMaterial(const D3DMATERIAL* Material) override;
  HRESULT GetMaterial(D3DMATERIAL* Material) override;
  HRESULT GetHandle(IDirect3DDevice2* Device, D3DMATERIALHANDLE* Handle) override;

  // The diffuse colour as ARGB, each channel scaled by 255 and clamped.
  D3DCOLOR DiffuseColor() const;

 private:
  ~MaterialObject() override;

  D3DMATERIAL material_{};
  DeviceHandles handles_;
};

}  // namespace platform
