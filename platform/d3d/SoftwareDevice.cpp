#include "platform/d3d/SoftwareDevice.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DTexture.h"
#include "platform/d3d/D3DViewport.h"
#include "platform/d3d/DeviceCore.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/SurfaceAccess.h"
#include "platform/ddraw/DDrawErrors.h"

namespace platform {
namespace {

DDSURFACEDESC FormatDesc(DWORD flags, DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_PIXELFORMAT;
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
  DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
  pf.dwSize = sizeof(pf);
  pf.dwFlags = flags;
  pf.dwRGBBitCount = bits;
  pf.dwRBitMask = r;
  pf.dwGBitMask = g;
  pf.dwBBitMask = b;
  pf.dwRGBAlphaBitMask = a;
  return desc;
}

const DDSURFACEDESC kTextureFormats[] = {
    FormatDesc(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0),
    FormatDesc(DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0),
    FormatDesc(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000),
    FormatDesc(DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000),
};

class SoftwareDevice final : public RefCounted<IDirect3DDevice2> {
 public:
  SoftwareDevice(IDirect3D2* Direct3D, IDirectDrawSurface* Target)
      : direct3D_(Direct3D), core_(std::make_shared<DeviceCore>(Target)) {}

  const std::shared_ptr<DeviceCore>& Core() const { return core_; }

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3DDevice2)
      return Answer(static_cast<IDirect3DDevice2*>(this), Object);
    return NoInterface(Object);
  }

  HRESULT GetDirect3D(IDirect3D2** Direct3D) override {
    if (!Direct3D) return DDERR_INVALIDPARAMS;
    *Direct3D = ComPtr<IDirect3D2>(direct3D_).Detach();
    return *Direct3D ? D3D_OK : DDERR_INVALIDOBJECT;
  }

  HRESULT GetRenderTarget(IDirectDrawSurface** Target) override {
    if (!Target) return DDERR_INVALIDPARAMS;
    *Target = ComPtr<IDirectDrawSurface>(core_->Target()).Detach();
    return D3D_OK;
  }

  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    return core_->Raster().SetRenderState(State, Value) ? D3D_OK : DDERR_INVALIDPARAMS;
  }

  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* Value) override {
    if (!Value) return DDERR_INVALIDPARAMS;
    return core_->Raster().GetRenderState(State, Value) ? D3D_OK : DDERR_INVALIDPARAMS;
  }

  // Light states only matter for untransformed vertices, which this device does not draw; they
  // are kept so that a caller reads back what it set.
  HRESULT SetLightState(D3DLIGHTSTATETYPE State, DWORD Value) override {
    if (State < D3DLIGHTSTATE_MATERIAL || State > D3DLIGHTSTATE_FOGDENSITY)
      return DDERR_INVALIDPARAMS;
    lightStates_[State] = Value;
    return D3D_OK;
  }

  HRESULT GetLightState(D3DLIGHTSTATETYPE State, DWORD* Value) override {
    if (!Value || State < D3DLIGHTSTATE_MATERIAL || State > D3DLIGHTSTATE_FOGDENSITY)
      return DDERR_INVALIDPARAMS;
    *Value = lightStates_[State];
    return D3D_OK;
  }

  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK Callback, LPVOID Context) override {
    if (!Callback) return DDERR_INVALIDPARAMS;
    for (int i = 0; i < TextureFormatCount(); ++i) {
      DDSURFACEDESC desc = TextureFormatDesc(i);  // a copy the callee may change
      if (Callback(&desc, Context) != D3DENUMRET_OK) break;
    }
    return D3D_OK;
  }

  HRESULT AddViewport(IDirect3DViewport2* Viewport) override {
    auto* viewport = dynamic_cast<ViewportObject*>(Viewport);
    if (!viewport) return DDERR_INVALIDPARAMS;
    viewport->BindTo(core_);
    if (std::find(viewports_.begin(), viewports_.end(), ComPtr<IDirect3DViewport2>(Viewport)) ==
        viewports_.end())
      viewports_.emplace_back(Viewport);
    return D3D_OK;
  }

  HRESULT DeleteViewport(IDirect3DViewport2* Viewport) override {
    const auto found =
        std::find(viewports_.begin(), viewports_.end(), ComPtr<IDirect3DViewport2>(Viewport));
    if (found == viewports_.end()) return DDERR_INVALIDPARAMS;
    if (current_ == *found) current_.Reset();
    viewports_.erase(found);
    return D3D_OK;
  }

  HRESULT SetCurrentViewport(IDirect3DViewport2* Viewport) override {
    auto* viewport = dynamic_cast<ViewportObject*>(Viewport);
    if (!viewport) return DDERR_INVALIDPARAMS;
    viewport->BindTo(core_);
    current_ = ComPtr<IDirect3DViewport2>(Viewport);
    if (viewport->HasRect()) {
      core_->Raster().SetViewport(viewport->Rect());
    } else {
      core_->Raster().ResetViewport();
    }
    return D3D_OK;
  }

  HRESULT GetCurrentViewport(IDirect3DViewport2** Viewport) override {
    if (!Viewport) return DDERR_INVALIDPARAMS;
    *Viewport = ComPtr<IDirect3DViewport2>(current_).Detach();
    return *Viewport ? D3D_OK : DDERR_INVALIDOBJECT;
  }

  HRESULT BeginScene() override {
    if (inScene_) return DDERR_INVALIDPARAMS;
    inScene_ = true;
    return D3D_OK;
  }

  HRESULT EndScene() override {
    if (!inScene_) return DDERR_INVALIDPARAMS;
    inScene_ = false;
    return D3D_OK;
  }

  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, LPVOID Vertices,
                               DWORD VertexCount, WORD* Indices, DWORD IndexCount,
                               DWORD Flags) override {
    if (Type != D3DPT_TRIANGLELIST || VertexType != D3DVT_TLVERTEX) return DDERR_UNSUPPORTED;
    return core_->Draw(static_cast<const D3DTLVERTEX*>(Vertices), VertexCount, Indices, IndexCount,
                       Flags);
  }

 private:
  ~SoftwareDevice() override = default;

  ComPtr<IDirect3D2> direct3D_;
  std::shared_ptr<DeviceCore> core_;
  std::vector<ComPtr<IDirect3DViewport2>> viewports_;
  ComPtr<IDirect3DViewport2> current_;
  DWORD lightStates_[D3DLIGHTSTATE_FOGDENSITY + 1] = {};
  bool inScene_ = false;
};

}  // namespace

std::shared_ptr<DeviceCore> CoreOf(IDirect3DDevice2* Device) {
  auto* device = dynamic_cast<SoftwareDevice*>(Device);
  return device ? device->Core() : nullptr;
}

HRESULT CreateSoftwareDevice(IDirect3D2* Direct3D, IDirectDrawSurface* Target,
                             IDirect3DDevice2** Device) {
  if (!Device) return E_POINTER;
  *Device = nullptr;
  if (!Target) return DDERR_INVALIDPARAMS;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  if (const HRESULT result = Target->GetSurfaceDesc(&desc); FAILED(result)) return result;
  desc.lpSurface = nullptr;
  if (!TargetView(desc)) return DDERR_INVALIDPIXELFORMAT;
  *Device = new SoftwareDevice(Direct3D, Target);
  return D3D_OK;
}

int TextureFormatCount() {
  return static_cast<int>(std::size(kTextureFormats));
}

DDSURFACEDESC TextureFormatDesc(int Index) {
  return kTextureFormats[Index];
}

}  // namespace platform
