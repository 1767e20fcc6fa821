// Recording stand-ins for the device, the immediate-mode viewport and the retained-mode
// viewport a renderer draws through: every call lands in one shared log, so a test sees the
// order of a frame's calls and what each was given.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3drm/RMInterfaces.h"

namespace testsupport {

using Log = std::vector<std::string>;

// One draw call's triangles as absolute vertex indices.
struct Draw {
  DWORD vertexCount = 0;
  std::vector<WORD> indices;
  DWORD flags = 0;
};

class Viewport2 final : public platform::RefCounted<IDirect3DViewport2> {
 public:
  explicit Viewport2(Log& log) : log_(log) {}
  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (Iid == IID_IDirect3DViewport || Iid == IID_IDirect3DViewport2 || Iid == IID_IUnknown)
      return Answer(static_cast<IDirect3DViewport2*>(this), Object);
    return NoInterface(Object);
  }
  HRESULT SetBackground(D3DMATERIALHANDLE Material) override {
    log_.push_back("SetBackground " + std::to_string(Material));
    return 0;
  }
  HRESULT Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags) override {
    std::ostringstream s;
    s << "Clear " << Count << " (" << Rects[0].x1 << "," << Rects[0].y1 << "," << Rects[0].x2 << ","
      << Rects[0].y2 << ") " << Flags;
    log_.push_back(s.str());
    return 0;
  }
  HRESULT SetViewport2(const D3DVIEWPORT2*) override { return 0; }
  HRESULT GetViewport2(D3DVIEWPORT2*) override { return 0; }

 private:
  Log& log_;
};

class RMViewport final : public platform::RefCounted<IDirect3DRMViewport> {
 public:
  RMViewport(Log& log, IDirect3DViewport2* inner) : log_(log), inner_(inner) {}
  HRESULT QueryInterface(REFIID, void** Object) override { return NoInterface(Object); }
  HRESULT SetAppData(DWORD) override { return 0; }
  DWORD GetAppData() override { return 0; }
  HRESULT SetName(const char*) override { return 0; }
  HRESULT GetName(DWORD*, char*) override { return E_NOTIMPL; }
  HRESULT GetClassName(DWORD*, char*) override { return E_NOTIMPL; }
  HRESULT Clear() override { return 0; }
  HRESULT Render(IDirect3DRMFrame*) override { return 0; }
  HRESULT SetFront(D3DVALUE) override { return 0; }
  HRESULT SetBack(D3DVALUE) override { return 0; }
  HRESULT SetField(D3DVALUE) override { return 0; }
  HRESULT SetCamera(IDirect3DRMFrame*) override { return 0; }
  HRESULT SetProjection(D3DRMPROJECTIONTYPE) override { return 0; }
  HRESULT GetCamera(IDirect3DRMFrame**) override { return E_NOTIMPL; }
  HRESULT GetDevice(IDirect3DRMDevice**) override { return E_NOTIMPL; }
  LONG GetX() override { return 0; }
  LONG GetY() override { return 0; }
  DWORD GetWidth() override { return 0; }
  DWORD GetHeight() override { return 0; }
  D3DVALUE GetField() override { return 0; }
  D3DVALUE GetBack() override { return 0; }
  D3DVALUE GetFront() override { return 0; }
  D3DRMPROJECTIONTYPE GetProjection() override { return D3DRMPROJECT_PERSPECTIVE; }
  HRESULT GetDirect3DViewport(IDirect3DViewport** Viewport) override {
    log_.push_back("GetDirect3DViewport");
    *Viewport = ComPtr<IDirect3DViewport>(inner_.Get()).Detach();
    return 0;
  }

 private:
  Log& log_;
  ComPtr<IDirect3DViewport2> inner_;
};

class Device final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  explicit Device(Log& log) : log_(log) {}
  std::vector<Draw> draws;
  HRESULT result = 0;  // what every call that draws or sets state answers (a lost surface)

  HRESULT QueryInterface(REFIID, void** Object) override { return NoInterface(Object); }
  HRESULT GetDirect3D(IDirect3D2**) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(IDirectDrawSurface**) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    std::ostringstream s;
    s << "SetRenderState " << State << " 0x" << std::hex << std::uppercase << Value;
    log_.push_back(s.str());
    return result;
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetLightState(D3DLIGHTSTATETYPE State, DWORD Value) override {
    log_.push_back("SetLightState " + std::to_string(State) + " " + std::to_string(Value));
    return result;
  }
  HRESULT GetLightState(D3DLIGHTSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK, LPVOID) override { return 0; }
  HRESULT AddViewport(IDirect3DViewport2*) override { return 0; }
  HRESULT DeleteViewport(IDirect3DViewport2*) override { return 0; }
  HRESULT SetCurrentViewport(IDirect3DViewport2*) override {
    log_.push_back("SetCurrentViewport");
    return result;
  }
  HRESULT GetCurrentViewport(IDirect3DViewport2**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override {
    log_.push_back("BeginScene");
    return result;
  }
  HRESULT EndScene() override {
    log_.push_back("EndScene");
    return result;
  }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, LPVOID,
                               DWORD VertexCount, WORD* Indices, DWORD IndexCount,
                               DWORD Flags) override {
    log_.push_back("DrawIndexedPrimitive " + std::to_string(Type) + " " +
                   std::to_string(VertexType) + " " + std::to_string(IndexCount) + " " +
                   std::to_string(Flags));
    draws.push_back({VertexCount, std::vector<WORD>(Indices, Indices + IndexCount), Flags});
    return result;
  }

 private:
  Log& log_;
};

}  // namespace testsupport
