#include "platform/d3drm/Light.h"

namespace platform::d3drm {

bool IsLightType(D3DRMLIGHTTYPE Type) {
  return Type <= D3DRMLIGHT_PARALLELPOINT;
}

Light* Light::Create(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) {
  return new Light(Type, Red, Green, Blue);
}

Light* Light::From(IDirect3DRMLight* Itf) {
  return dynamic_cast<Light*>(Itf);
}

Light::Light(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue)
    : RMObject("Light"), type_(Type), red_(Red), green_(Green), blue_(Blue) {}

HRESULT Light::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMLight) return Answer(static_cast<IDirect3DRMLight*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT Light::SetType(D3DRMLIGHTTYPE Type) {
  if (!IsLightType(Type)) return D3DRMERR_BADVALUE;
  type_ = Type;
  return D3DRM_OK;
}

HRESULT Light::SetColor(D3DCOLOR Color) {
  red_ = static_cast<D3DVALUE>(RGBA_GETRED(Color)) / 255.0f;
  green_ = static_cast<D3DVALUE>(RGBA_GETGREEN(Color)) / 255.0f;
  blue_ = static_cast<D3DVALUE>(RGBA_GETBLUE(Color)) / 255.0f;
  return D3DRM_OK;
}

HRESULT Light::SetColorRGB(D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) {
  red_ = Red;
  green_ = Green;
  blue_ = Blue;
  return D3DRM_OK;
}

D3DCOLOR Light::GetColor() {
  return D3DRGB(red_, green_, blue_);
}

D3DRMLIGHTTYPE Light::GetType() {
  return type_;
}

}  // namespace platform::d3drm
