#include "platform/d3drm/RMViewport.h"

#include "platform/d3d/Direct3D.h"
#include "platform/d3drm/Frame.h"
#include "platform/d3drm/RMDevice.h"

namespace platform::d3drm {
namespace {
// Frames carried as visuals may carry frames in turn; a loop of them must not recurse
// forever.
constexpr int kDeepestInstance = 32;
}  // namespace

HRESULT RMViewport::Create(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X, DWORD Y,
                           DWORD Width, DWORD Height, RMViewport** Out) {
  if (!Out) return D3DRMERR_BADVALUE;
  *Out = nullptr;
  if (!Device || !Camera) return D3DRMERR_BADOBJECT;
  if (Width == 0 || Height == 0) return D3DRMERR_BADVALUE;
  auto* viewport = new RMViewport(Device, Camera, X, Y, Width, Height);
  viewport->AttachImmediateViewport();
  *Out = viewport;
  return D3DRM_OK;
}

RMViewport* RMViewport::From(IDirect3DRMViewport* Itf) {
  return dynamic_cast<RMViewport*>(Itf);
}

RMViewport::RMViewport(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X, DWORD Y,
                       DWORD Width, DWORD Height)
    : RMObject("Viewport"),
      device_(Device),
      camera_(Camera),
      x_(X),
      y_(Y),
      width_(Width),
      height_(Height) {}

RMViewport::~RMViewport() {
  if (immediate_ && immediateDevice_) immediateDevice_->DeleteViewport(immediate_.Get());
}

void RMViewport::AttachImmediateViewport() {
  RMDevice* device = RMDevice::From(device_.Get());
  IDirect3D2* direct3D = device ? device->Direct3D() : nullptr;
  IDirect3DDevice2* immediateDevice = device ? device->Device() : nullptr;
  if (!direct3D || !immediateDevice) return;
  ComPtr<IDirect3DViewport2> viewport;
  if (FAILED(direct3D->CreateViewport(viewport.Put(), nullptr)) || !viewport) return;
  D3DVIEWPORT2 data;
  data.dwSize = sizeof(D3DVIEWPORT2);
  data.dwX = x_;
  data.dwY = y_;
  data.dwWidth = width_;
  data.dwHeight = height_;
  const D3DVALUE aspect = static_cast<D3DVALUE>(height_) / static_cast<D3DVALUE>(width_);
  data.dvClipX = -1.0f;
  data.dvClipY = aspect;
  data.dvClipWidth = 2.0f;
  data.dvClipHeight = 2.0f * aspect;
  data.dvMinZ = 0.0f;
  data.dvMaxZ = 1.0f;
  if (FAILED(viewport->SetViewport2(&data))) return;
  if (FAILED(immediateDevice->AddViewport(viewport.Get()))) return;
  immediate_ = std::move(viewport);
  immediateDevice_ = ComPtr<IDirect3DDevice2>(immediateDevice);
}

HRESULT RMViewport::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMViewport)
    return Answer(static_cast<IDirect3DRMViewport*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT RMViewport::Clear() {
  if (!immediate_) return D3DRMERR_BADDEVICE;
  D3DRECT rect{static_cast<std::int32_t>(x_), static_cast<std::int32_t>(y_),
               static_cast<std::int32_t>(x_ + width_), static_cast<std::int32_t>(y_ + height_)};
  return immediate_->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
}

void RMViewport::Gather(const Frame& Node, const Matrix& ParentWorld, int InstanceDepth) {
  const Matrix world = Multiply(Node.LocalMatrix(), ParentWorld);
  for (const auto& light : Node.Lights()) lights_.push_back({light.Get(), world});
  for (const auto& visual : Node.Visuals()) {
    const Frame* instance = dynamic_cast<const Frame*>(visual.Get());
    if (!instance) {
      items_.push_back({visual.Get(), world});
    } else if (InstanceDepth < kDeepestInstance) {
      Gather(*instance, world, InstanceDepth + 1);
    }
  }
  for (const auto& child : Node.Children()) Gather(*child, world, InstanceDepth);
}

HRESULT RMViewport::Render(IDirect3DRMFrame* Scene) {
  const Frame* scene = Frame::From(Scene);
  const Frame* camera = Frame::From(camera_.Get());
  if (!scene || !camera) return D3DRMERR_BADOBJECT;
  // The camera has to be in the scene being drawn.
  const auto rootOf = [](const Frame* f) {
    while (f->Parent()) f = f->Parent();
    return f;
  };
  if (rootOf(scene) != rootOf(camera)) return D3DRMERR_BADVALUE;
  if (!InvertAffine(camera->WorldMatrix(), view_)) return D3DRMERR_BADVALUE;
  items_.clear();
  lights_.clear();
  const Frame* parent = scene->Parent();
  Gather(*scene, parent ? parent->WorldMatrix() : Matrix{}, 0);
  if (projection_ != D3DRMPROJECT_PERSPECTIVE) return D3DRMERR_NOTDONEYET;
  if (!immediate_ || !immediateDevice_) return D3DRMERR_BADDEVICE;
  return DrawGathered();
}

HRESULT RMViewport::DrawGathered() {
  HRESULT result = immediateDevice_->SetCurrentViewport(immediate_.Get());
  if (FAILED(result)) return result;
  result = immediateDevice_->BeginScene();
  if (FAILED(result)) return result;
  const ViewVolume volume{static_cast<D3DVALUE>(x_),
                          static_cast<D3DVALUE>(y_),
                          static_cast<D3DVALUE>(width_),
                          static_cast<D3DVALUE>(height_),
                          front_,
                          back_,
                          field_};
  result = renderer_.Draw(immediateDevice_.Get(), items_, lights_, view_, volume);
  const HRESULT ended = immediateDevice_->EndScene();
  return FAILED(result) ? result : ended;
}

HRESULT RMViewport::SetFront(D3DVALUE Front) {
  if (!(Front > 0) || !(Front < back_)) return D3DRMERR_BADVALUE;
  front_ = Front;
  return D3DRM_OK;
}

HRESULT RMViewport::SetBack(D3DVALUE Back) {
  if (!(Back > front_)) return D3DRMERR_BADVALUE;
  back_ = Back;
  return D3DRM_OK;
}

HRESULT RMViewport::SetField(D3DVALUE Field) {
  if (!(Field > 0)) return D3DRMERR_BADVALUE;
  field_ = Field;
  return D3DRM_OK;
}

HRESULT RMViewport::SetCamera(IDirect3DRMFrame* Camera) {
  if (!Camera) return D3DRMERR_BADOBJECT;
  camera_ = ComPtr<IDirect3DRMFrame>(Camera);
  return D3DRM_OK;
}

HRESULT RMViewport::SetProjection(D3DRMPROJECTIONTYPE Type) {
  if (Type > D3DRMPROJECT_ORTHOGRAPHIC) return D3DRMERR_BADVALUE;
  projection_ = Type;
  return D3DRM_OK;
}

HRESULT RMViewport::GetCamera(IDirect3DRMFrame** Camera) {
  if (!Camera) return D3DRMERR_BADVALUE;
  *Camera = camera_.Get();
  (*Camera)->AddRef();
  return D3DRM_OK;
}

HRESULT RMViewport::GetDevice(IDirect3DRMDevice** Device) {
  if (!Device) return D3DRMERR_BADVALUE;
  *Device = device_.Get();
  (*Device)->AddRef();
  return D3DRM_OK;
}

HRESULT RMViewport::GetDirect3DViewport(IDirect3DViewport** Viewport) {
  if (!Viewport) return D3DRMERR_BADVALUE;
  *Viewport = immediate_.Get();
  if (!*Viewport) return D3DRMERR_BADDEVICE;
  (*Viewport)->AddRef();
  return D3DRM_OK;
}

}  // namespace platform::d3drm
