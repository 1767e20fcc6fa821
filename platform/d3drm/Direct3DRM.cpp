#include "platform/d3drm/Direct3DRM.h"

#include <string>

#include "platform/d3drm/Frame.h"
#include "platform/d3drm/Light.h"
#include "platform/d3drm/Mesh.h"
#include "platform/d3drm/MeshBuilder.h"
#include "platform/d3drm/RMDevice.h"
#include "platform/d3drm/RMViewport.h"
#include "platform/d3drm/Texture.h"
#include "platform/d3drm/Wrap.h"

namespace platform::d3drm {
namespace {

class Direct3DRMObject final : public RefCounted<IDirect3DRM, IDirect3DRM2> {
 public:
  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3DRM)
      return Answer(static_cast<IDirect3DRM*>(this), Object);
    if (Iid == IID_IDirect3DRM2) return Answer(static_cast<IDirect3DRM2*>(this), Object);
    return NoInterface(Object);
  }

  HRESULT CreateFrame(IDirect3DRMFrame* Parent, IDirect3DRMFrame** Out) override {
    return MakeFrame(Parent, Out);
  }
  HRESULT CreateFrame(IDirect3DRMFrame* Parent, IDirect3DRMFrame2** Out) override {
    return MakeFrame(Parent, Out);
  }

  HRESULT CreateMesh(IDirect3DRMMesh** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = Mesh::Create();
    return D3DRM_OK;
  }

  HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = MeshBuilder::Create();
    return D3DRM_OK;
  }
  HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder2** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = MeshBuilder::Create();
    return D3DRM_OK;
  }

  HRESULT CreateLight(D3DRMLIGHTTYPE Type, D3DCOLOR Color, IDirect3DRMLight** Out) override {
    const HRESULT result = CreateLightRGB(Type, 0, 0, 0, Out);
    if (SUCCEEDED(result)) (*Out)->SetColor(Color);
    return result;
  }
  HRESULT CreateLightRGB(D3DRMLIGHTTYPE Type, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue,
                         IDirect3DRMLight** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = nullptr;
    if (!IsLightType(Type)) return D3DRMERR_BADVALUE;
    *Out = Light::Create(Type, Red, Green, Blue);
    return D3DRM_OK;
  }

  HRESULT CreateDeviceFromD3D(IDirect3D2* Direct3D, IDirect3DDevice2* Device,
                              IDirect3DRMDevice2** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = nullptr;
    if (!Device) return D3DRMERR_BADDEVICE;
    *Out = RMDevice::Create(Direct3D, Device);
    return D3DRM_OK;
  }

  HRESULT CreateViewport(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X, DWORD Y,
                         DWORD Width, DWORD Height, IDirect3DRMViewport** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    RMViewport* viewport = nullptr;
    const HRESULT result = RMViewport::Create(Device, Camera, X, Y, Width, Height, &viewport);
    *Out = viewport;
    return result;
  }

  HRESULT CreateWrap(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy,
                     D3DVALUE Oz, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux, D3DVALUE Uy,
                     D3DVALUE Uz, D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su, D3DVALUE Sv,
                     IDirect3DRMWrap** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    Wrap* wrap = nullptr;
    const HRESULT result =
        Wrap::Create(Type, Ref, Ox, Oy, Oz, Dx, Dy, Dz, Ux, Uy, Uz, Ou, Ov, Su, Sv, &wrap);
    *Out = wrap;
    return result;
  }

  HRESULT LoadTexture(const char* FileName, IDirect3DRMTexture** Out) override {
    return MakeTexture(FileName, Out, lastError_);
  }
  HRESULT LoadTexture(const char* FileName, IDirect3DRMTexture2** Out) override {
    return MakeTexture(FileName, Out, lastError_);
  }
  const char* LastError() override { return lastError_.c_str(); }

 private:
  template <class FrameInterface>
  static HRESULT MakeFrame(IDirect3DRMFrame* Parent, FrameInterface** Out) {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = nullptr;
    ComPtr<Frame> frame;
    frame.Attach(Frame::Create());
    if (Parent) {
      const HRESULT result = Parent->AddChild(frame.Get());
      if (FAILED(result)) return result;
    }
    *Out = frame.Detach();
    return D3DRM_OK;
  }

  template <class TextureInterface>
  static HRESULT MakeTexture(const char* FileName, TextureInterface** Out, std::string& Error) {
    Error = "LoadTexture: no file name or no place for the texture given";
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = nullptr;
    if (!FileName) return D3DRMERR_BADVALUE;
    Error.clear();
    Texture* texture = nullptr;
    const HRESULT result = Texture::LoadBMP(FileName, &texture, Error);
    *Out = texture;
    return result;
  }

  std::string lastError_;
};

}  // namespace
}  // namespace platform::d3drm

HRESULT Direct3DRMCreate(IDirect3DRM** Direct3DRM) {
  if (!Direct3DRM) return D3DRMERR_BADVALUE;
  *Direct3DRM = new platform::d3drm::Direct3DRMObject;
  return D3DRM_OK;
}
