// IDirect3DMaterial2: a material record with handles on devices. The device uses a material's
// diffuse colour as a viewport's background.
#pragma once

#include <memory>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"

namespace platform {

class DeviceCore;

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
  std::vector<std::pair<std::weak_ptr<DeviceCore>, D3DMATERIALHANDLE>> handles_;
};

}  // namespace platform
