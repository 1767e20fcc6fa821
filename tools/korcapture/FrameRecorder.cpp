#include "tools/korcapture/FrameRecorder.h"

#include <cstring>

#include "platform/d3d/D3DMaterial.h"
#include "platform/d3d/D3DTexture.h"
#include "platform/d3d/DeviceCore.h"
#include "platform/d3d/SurfaceAccess.h"

namespace framecapture {

namespace {

// The render states a device is asked for when a frame starts (texture handle first, so the
// texture is kept before anything draws with it).
constexpr D3DRENDERSTATETYPE FirstRenderState = D3DRENDERSTATE_TEXTUREHANDLE;
constexpr D3DRENDERSTATETYPE LastRenderState = D3DRENDERSTATE_FLUSHBATCH;

// Forwards every call to the device; records the ones that change the picture.
class RecordingDevice final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  RecordingDevice(IDirect3DDevice2* inner, FrameRecorder& recorder)
      : inner_(inner), recorder_(recorder) {}

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3DDevice2)
      return Answer(static_cast<IDirect3DDevice2*>(this), Object);
    return inner_->QueryInterface(Iid, Object);
  }
  HRESULT GetDirect3D(IDirect3D2** D3D) override { return inner_->GetDirect3D(D3D); }
  HRESULT GetRenderTarget(IDirectDrawSurface** Target) override {
    return inner_->GetRenderTarget(Target);
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    const HRESULT result = inner_->SetRenderState(State, Value);
    if (result == D3D_OK) recorder_.RenderState(State, Value);
    return result;
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* Value) override {
    return inner_->GetRenderState(State, Value);
  }
  HRESULT SetLightState(D3DLIGHTSTATETYPE State, DWORD Value) override {
    const HRESULT result = inner_->SetLightState(State, Value);
    if (result == D3D_OK) recorder_.LightState(State, Value);
    return result;
  }
  HRESULT GetLightState(D3DLIGHTSTATETYPE State, DWORD* Value) override {
    return inner_->GetLightState(State, Value);
  }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK Callback, LPVOID Arg) override {
    return inner_->EnumTextureFormats(Callback, Arg);
  }
  HRESULT AddViewport(IDirect3DViewport2* Viewport) override {
    return inner_->AddViewport(Unwrapped(Viewport));
  }
  HRESULT DeleteViewport(IDirect3DViewport2* Viewport) override {
    return inner_->DeleteViewport(Unwrapped(Viewport));
  }
  HRESULT SetCurrentViewport(IDirect3DViewport2* Viewport) override {
    const HRESULT result = inner_->SetCurrentViewport(Unwrapped(Viewport));
    if (result == D3D_OK) recorder_.Viewport(Unwrapped(Viewport));
    return result;
  }
  HRESULT GetCurrentViewport(IDirect3DViewport2** Viewport) override {
    return inner_->GetCurrentViewport(Viewport);
  }
  HRESULT BeginScene() override {
    recorder_.Scene(true);
    return inner_->BeginScene();
  }
  HRESULT EndScene() override {
    recorder_.Scene(false);
    return inner_->EndScene();
  }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, LPVOID Vertices,
                               DWORD VertexCount, WORD* Indices, DWORD IndexCount,
                               DWORD Flags) override {
    recorder_.Draw(Type, VertexType, Vertices, VertexCount, Indices, IndexCount, Flags);
    return inner_->DrawIndexedPrimitive(Type, VertexType, Vertices, VertexCount, Indices,
                                        IndexCount, Flags);
  }

  static IDirect3DViewport2* Unwrapped(IDirect3DViewport2* viewport);

 private:
  ComPtr<IDirect3DDevice2> inner_;
  FrameRecorder& recorder_;
};

// The immediate-mode viewport of the view: records its clears with the background they use.
class RecordingViewport final : public platform::RefCounted<IDirect3DViewport2> {
 public:
  RecordingViewport(IDirect3DViewport2* inner, FrameRecorder& recorder)
      : inner_(inner), recorder_(recorder) {}

  IDirect3DViewport2* Inner() const { return inner_.Get(); }

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3DViewport || Iid == IID_IDirect3DViewport2)
      return Answer(static_cast<IDirect3DViewport2*>(this), Object);
    return inner_->QueryInterface(Iid, Object);
  }
  HRESULT SetBackground(D3DMATERIALHANDLE Material) override {
    background_ = Material;
    return inner_->SetBackground(Material);
  }
  HRESULT Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags) override {
    const HRESULT result = inner_->Clear(Count, Rects, Flags);
    if (result == D3D_OK) recorder_.Clear(inner_.Get(), background_, Count, Rects, Flags);
    return result;
  }
  HRESULT SetViewport2(const D3DVIEWPORT2* Data) override { return inner_->SetViewport2(Data); }
  HRESULT GetViewport2(D3DVIEWPORT2* Data) override { return inner_->GetViewport2(Data); }

 private:
  ComPtr<IDirect3DViewport2> inner_;
  FrameRecorder& recorder_;
  D3DMATERIALHANDLE background_ = 0;
};

IDirect3DViewport2* RecordingDevice::Unwrapped(IDirect3DViewport2* viewport) {
  auto* recording = dynamic_cast<RecordingViewport*>(viewport);
  return recording ? recording->Inner() : viewport;
}

// The view's retained-mode viewport: hands out its immediate-mode viewport wrapped.
class RecordingRMViewport final : public platform::RefCounted<IDirect3DRMViewport> {
 public:
  RecordingRMViewport(IDirect3DRMViewport* inner, FrameRecorder& recorder)
      : inner_(inner), recorder_(recorder) {}

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    return inner_->QueryInterface(Iid, Object);
  }
  HRESULT SetAppData(DWORD Data) override { return inner_->SetAppData(Data); }
  DWORD GetAppData() override { return inner_->GetAppData(); }
  HRESULT SetName(const char* Name) override { return inner_->SetName(Name); }
  HRESULT GetName(DWORD* Size, char* Name) override { return inner_->GetName(Size, Name); }
  HRESULT GetClassName(DWORD* Size, char* Name) override {
    return inner_->GetClassName(Size, Name);
  }
  HRESULT Clear() override { return inner_->Clear(); }
  HRESULT Render(IDirect3DRMFrame* Frame) override { return inner_->Render(Frame); }
  HRESULT SetFront(D3DVALUE Front) override { return inner_->SetFront(Front); }
  HRESULT SetBack(D3DVALUE Back) override { return inner_->SetBack(Back); }
  HRESULT SetField(D3DVALUE Field) override { return inner_->SetField(Field); }
  HRESULT SetCamera(IDirect3DRMFrame* Camera) override { return inner_->SetCamera(Camera); }
  HRESULT SetProjection(D3DRMPROJECTIONTYPE Type) override { return inner_->SetProjection(Type); }
  HRESULT GetCamera(IDirect3DRMFrame** Camera) override { return inner_->GetCamera(Camera); }
  HRESULT GetDevice(IDirect3DRMDevice** Device) override { return inner_->GetDevice(Device); }
  LONG GetX() override { return inner_->GetX(); }
  LONG GetY() override { return inner_->GetY(); }
  DWORD GetWidth() override { return inner_->GetWidth(); }
  DWORD GetHeight() override { return inner_->GetHeight(); }
  D3DVALUE GetField() override { return inner_->GetField(); }
  D3DVALUE GetBack() override { return inner_->GetBack(); }
  D3DVALUE GetFront() override { return inner_->GetFront(); }
  D3DRMPROJECTIONTYPE GetProjection() override { return inner_->GetProjection(); }
  HRESULT GetDirect3DViewport(IDirect3DViewport** Viewport) override {
    if (!Viewport) return E_POINTER;
    *Viewport = nullptr;
    if (!wrapped_) {
      ComPtr<IDirect3DViewport> viewport;
      const HRESULT result = inner_->GetDirect3DViewport(viewport.Put());
      if (result != D3D_OK) return result;
      ComPtr<IDirect3DViewport2> viewport2;
      if (viewport.As(IID_IDirect3DViewport2, viewport2) != S_OK) return E_NOINTERFACE;
      wrapped_.Attach(new RecordingViewport(viewport2.Get(), recorder_));
    }
    *Viewport = ComPtr<IDirect3DViewport>(wrapped_.Get()).Detach();
    return D3D_OK;
  }

 private:
  ComPtr<IDirect3DRMViewport> inner_;
  FrameRecorder& recorder_;
  ComPtr<RecordingViewport> wrapped_;
};

CaptureTarget TargetOf(IDirect3DDevice2* device) {
  CaptureTarget target;
  ComPtr<IDirectDrawSurface> surface;
  if (device->GetRenderTarget(surface.Put()) != D3D_OK || !surface) return target;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  if (surface->GetSurfaceDesc(&desc) != DD_OK) return target;
  target.Width = desc.dwWidth;
  target.Height = desc.dwHeight;
  target.BitCount = desc.ddpfPixelFormat.dwRGBBitCount;
  target.RedMask = desc.ddpfPixelFormat.dwRBitMask;
  target.GreenMask = desc.ddpfPixelFormat.dwGBitMask;
  target.BlueMask = desc.ddpfPixelFormat.dwBBitMask;
  if (ComPtr<IDirectDrawSurface> z = platform::AttachedZBuffer(surface.Get())) {
    DDSURFACEDESC zdesc{};
    zdesc.dwSize = sizeof(zdesc);
    if (z->GetSurfaceDesc(&zdesc) == DD_OK) target.DepthBits = zdesc.dwZBufferBitDepth;
  }
  return target;
}

D3DVIEWPORT2 ViewportData(IDirect3DViewport2* viewport) {
  D3DVIEWPORT2 data{};
  data.dwSize = sizeof(data);
  if (viewport) viewport->GetViewport2(&data);
  return data;
}

// The texture's pixels as the device samples them: its surface's rows and the palette the
// texture object last read.
bool ReadTexture(platform::TextureObject& object, CaptureTexture& texture) {
  platform::SurfaceLock lock(object.Surface());
  if (!lock.Locked()) return false;
  const DDSURFACEDESC& desc = lock.Desc();
  const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  texture.Width = desc.dwWidth;
  texture.Height = desc.dwHeight;
  texture.BitCount = format.dwRGBBitCount;
  texture.Palettised = (format.dwFlags & DDPF_PALETTEINDEXED8) != 0;
  texture.RedMask = format.dwRBitMask;
  texture.GreenMask = format.dwGBitMask;
  texture.BlueMask = format.dwBBitMask;
  texture.AlphaMask = (format.dwFlags & DDPF_ALPHAPIXELS) ? format.dwRGBAlphaBitMask : 0;
  if (texture.Palettised) texture.Palette.assign(object.Palette(), object.Palette() + 256);
  const std::size_t row = std::size_t{desc.dwWidth} * (format.dwRGBBitCount / 8);
  texture.Pixels.resize(row * desc.dwHeight);
  for (DWORD y = 0; y < desc.dwHeight; ++y) {
    std::memcpy(texture.Pixels.data() + row * y,
                static_cast<const std::uint8_t*>(desc.lpSurface) + std::ptrdiff_t{desc.lPitch} * y,
                row);
  }
  return true;
}

}  // namespace

void FrameRecorder::Start(const std::string& Label) {
  frame_ = FrameCapture{};
  textures_.clear();
  materials_.clear();
  frame_.Target = TargetOf(device_);
  frame_.Label = Label;
  recording_ = true;
  for (std::uint32_t type = FirstRenderState; type <= LastRenderState; ++type) {
    DWORD value = 0;
    const auto state = static_cast<D3DRENDERSTATETYPE>(type);
    if (device_->GetRenderState(state, &value) == D3D_OK) RenderState(state, value);
  }
  for (std::uint32_t type = D3DLIGHTSTATE_MATERIAL; type <= D3DLIGHTSTATE_FOGDENSITY; ++type) {
    DWORD value = 0;
    const auto state = static_cast<D3DLIGHTSTATETYPE>(type);
    if (device_->GetLightState(state, &value) == D3D_OK) LightState(state, value);
  }
}

FrameCapture FrameRecorder::Finish() {
  recording_ = false;
  return std::move(frame_);
}

void FrameRecorder::RenderState(D3DRENDERSTATETYPE Type, DWORD Value) {
  if (!recording_) return;
  if (Type == D3DRENDERSTATE_TEXTUREHANDLE) KeepTexture(Value);
  CaptureCommand command;
  command.Kind = CommandKind::RenderState;
  command.Type = Type;
  command.Value = Value;
  frame_.Commands.push_back(std::move(command));
}

void FrameRecorder::LightState(D3DLIGHTSTATETYPE Type, DWORD Value) {
  if (!recording_) return;
  if (Type == D3DLIGHTSTATE_MATERIAL) KeepMaterial(Value);
  CaptureCommand command;
  command.Kind = CommandKind::LightState;
  command.Type = Type;
  command.Value = Value;
  frame_.Commands.push_back(std::move(command));
}

void FrameRecorder::Viewport(IDirect3DViewport2* Viewport) {
  if (!recording_) return;
  CaptureCommand command;
  command.Kind = CommandKind::Viewport;
  command.Viewport = ViewportData(Viewport);
  frame_.Commands.push_back(std::move(command));
}

void FrameRecorder::Clear(IDirect3DViewport2* Viewport, D3DMATERIALHANDLE Background, DWORD Count,
                          const D3DRECT* Rects, DWORD Flags) {
  if (!recording_) return;
  KeepMaterial(Background);
  CaptureCommand command;
  command.Kind = CommandKind::Clear;
  command.Viewport = ViewportData(Viewport);
  command.Value = Background;
  command.Flags = Flags;
  command.Rects.assign(Rects, Rects + Count);
  frame_.Commands.push_back(std::move(command));
}

void FrameRecorder::Draw(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, const void* Vertices,
                         DWORD VertexCount, const WORD* Indices, DWORD IndexCount, DWORD Flags) {
  // Only what the file can hold is kept: transformed, lit vertices.
  if (!recording_ || VertexType != D3DVT_TLVERTEX || !Vertices || !Indices) return;
  CaptureCommand command;
  command.Kind = CommandKind::Draw;
  command.Type = Type;
  command.Value = VertexType;
  command.Flags = Flags;
  const auto* vertices = static_cast<const D3DTLVERTEX*>(Vertices);
  command.Vertices.assign(vertices, vertices + VertexCount);
  command.Indices.assign(Indices, Indices + IndexCount);
  frame_.Commands.push_back(std::move(command));
}

void FrameRecorder::Scene(bool Begin) {
  if (!recording_) return;
  CaptureCommand command;
  command.Kind = Begin ? CommandKind::BeginScene : CommandKind::EndScene;
  frame_.Commands.push_back(std::move(command));
}

void FrameRecorder::KeepTexture(D3DTEXTUREHANDLE Handle) {
  if (Handle == 0 || !textures_.insert(Handle).second) return;
  const std::shared_ptr<platform::DeviceCore> core = platform::CoreOf(device_);
  platform::TextureObject* object = core ? core->FindTexture(Handle) : nullptr;
  CaptureTexture texture;
  texture.Id = Handle;
  if (object && ReadTexture(*object, texture)) frame_.Textures.push_back(std::move(texture));
}

void FrameRecorder::KeepMaterial(D3DMATERIALHANDLE Handle) {
  if (Handle == 0 || !materials_.insert(Handle).second) return;
  const std::shared_ptr<platform::DeviceCore> core = platform::CoreOf(device_);
  platform::MaterialObject* object = core ? core->FindMaterial(Handle) : nullptr;
  CaptureMaterial material;
  material.Id = Handle;
  if (object && object->GetMaterial(&material.Material) == D3D_OK)
    frame_.Materials.push_back(material);
}

ViewRecording::ViewRecording(TKorvelRM& View)
    : view_(View), device_(View.D3DDevice), viewport_(View.Viewport) {
  recorder_ = std::make_unique<FrameRecorder>(device_.Get());
  if (device_) view_.D3DDevice.Attach(new RecordingDevice(device_.Get(), *recorder_));
  if (viewport_) view_.Viewport.Attach(new RecordingRMViewport(viewport_.Get(), *recorder_));
}

ViewRecording::~ViewRecording() {
  view_.D3DDevice = device_;
  view_.Viewport = viewport_;
}

}  // namespace framecapture
