// Recording fakes of the immediate-mode interfaces the retained-mode layer calls:
// IDirect3D2 (CreateViewport), IDirect3DDevice2 (AddViewport, DeleteViewport, render states,
// SetCurrentViewport, BeginScene, EndScene, DrawIndexedPrimitive) and IDirect3DViewport2
// (SetViewport2, Clear). Every other method answers E_NOTIMPL; so does GetDirect3D, which
// leaves the device without DirectDraw textures.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3d/Direct3D.h"

namespace testsupport {

class FakeViewport final : public platform::RefCounted<IDirect3DViewport2> {
 public:
  static FakeViewport* Create() { return new FakeViewport; }
  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT SetBackground(D3DMATERIALHANDLE) override { return E_NOTIMPL; }
  HRESULT Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags) override;
  HRESULT SetViewport2(const D3DVIEWPORT2* Data) override;
  HRESULT GetViewport2(D3DVIEWPORT2*) override { return E_NOTIMPL; }

  // Reference count as it stands (AddRef then Release, which leaves it unchanged).
  ULONG References() {
    AddRef();
    return Release();
  }

  int setViewportCalls = 0;
  D3DVIEWPORT2 data;
  std::vector<D3DRECT> clearedRects;
  std::vector<DWORD> clearFlags;

 private:
  FakeViewport() = default;
};

// One DrawIndexedPrimitive call: the vertices and indices it was given, its flags, and the
// texture and perspective states it was drawn with.
struct DrawCall {
  std::vector<D3DTLVERTEX> vertices;
  std::vector<WORD> indices;
  DWORD flags = 0;
  DWORD textureHandle = 0;
  DWORD perspective = 0;
};

class FakeDevice final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  static FakeDevice* Create() { return new FakeDevice; }
  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT GetDirect3D(IDirect3D2**) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(IDirectDrawSurface**) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* Value) override;
  HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetLightState(D3DLIGHTSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK, LPVOID) override { return E_NOTIMPL; }
  HRESULT AddViewport(IDirect3DViewport2* Viewport) override;
  HRESULT DeleteViewport(IDirect3DViewport2* Viewport) override;
  HRESULT SetCurrentViewport(IDirect3DViewport2* Viewport) override;
  HRESULT GetCurrentViewport(IDirect3DViewport2**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, LPVOID Vertices,
                               DWORD VertexCount, WORD* Indices, DWORD IndexCount,
                               DWORD Flags) override;

  bool failAddViewport = false;
  bool failDraw = false;  // DrawIndexedPrimitive answers DDERR_SURFACELOST
  // The viewports added and not deleted, each held as a real device holds them.
  std::vector<ComPtr<IDirect3DViewport2>> viewports;
  int deleteCalls = 0;
  IDirect3DViewport2* current = nullptr;  // not owned
  std::map<DWORD, DWORD> states;          // render states as set
  // The calls in order: "SetCurrentViewport", "BeginScene", "SetRenderState 1 0", "Draw",
  // "EndScene".
  std::vector<std::string> calls;
  std::vector<DrawCall> draws;

 private:
  FakeDevice() = default;
};

class FakeDirect3D final : public platform::RefCounted<IDirect3D2> {
 public:
  static FakeDirect3D* Create() { return new FakeDirect3D; }
  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK, LPVOID) override { return E_NOTIMPL; }
  HRESULT CreateMaterial(IDirect3DMaterial2**, IUnknown*) override { return E_NOTIMPL; }
  HRESULT CreateViewport(IDirect3DViewport2** Viewport, IUnknown* Outer) override;
  HRESULT CreateDevice(REFCLSID, IDirectDrawSurface*, IDirect3DDevice2**) override {
    return E_NOTIMPL;
  }

  bool failCreateViewport = false;
  int createViewportCalls = 0;
  FakeViewport* lastViewport = nullptr;  // not owned

 private:
  FakeDirect3D() = default;
};

}  // namespace testsupport
