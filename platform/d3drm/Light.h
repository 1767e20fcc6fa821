// Light: a retained-mode light (IDirect3DRMLight) with a type and a colour. A frame carries
// it (AddLight); where the light points follows that frame: a directional light shines along
// the frame's z axis, as in DirectX. Range, attenuation and spot angles are not built.
#pragma once

#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

class Light final : public RMObject<IDirect3DRMLight> {
 public:
  // A new light; the caller owns its one reference.
  static Light* Create(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue);
  static Light* From(IDirect3DRMLight* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT SetType(D3DRMLIGHTTYPE Type) override;
  HRESULT SetColor(D3DCOLOR Color) override;
  HRESULT SetColorRGB(D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) override;
  D3DCOLOR GetColor() override;
  D3DRMLIGHTTYPE GetType() override;

  // The colour channels as set, unclamped, for lighting arithmetic.
  D3DVALUE Red() const { return red_; }
  D3DVALUE Green() const { return green_; }
  D3DVALUE Blue() const { return blue_; }

 private:
  Light(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue);

  D3DRMLIGHTTYPE type_;
  D3DVALUE red_, green_, blue_;
};

// Whether Type names one of the five light types.
bool IsLightType(D3DRMLIGHTTYPE Type);

}  // namespace platform::d3drm
