// Recording fakes of the immediate-mode interfaces the retained-mode layer calls:
// IDirect3D2 (CreateViewport), IDirect3DDevice2 (AddViewport, DeleteViewport) and
// IDirect3DViewport2 (SetViewport2, Clear). Every other method answers E_NOTIMPL.
#pragma once

#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3d/Direct3D.h"

namespace d3drm_test {

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

class FakeDevice final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  static FakeDevice* Create() { return new FakeDevice; }
  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT GetDirect3D(IDirect3D2**) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(IDirectDrawSurface**) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetLightState(D3DLIGHTSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK, LPVOID) override { return E_NOTIMPL; }
  HRESULT AddViewport(IDirect3DViewport2* Viewport) override;
  HRESULT DeleteViewport(IDirect3DViewport2* Viewport) override;
  HRESULT SetCurrentViewport(IDirect3DViewport2*) override { return E_NOTIMPL; }
  HRESULT GetCurrentViewport(IDirect3DViewport2**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override { return E_NOTIMPL; }
  HRESULT EndScene() override { return E_NOTIMPL; }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, D3DVERTEXTYPE, LPVOID, DWORD, WORD*, DWORD,
                               DWORD) override {
    return E_NOTIMPL;
  }

  bool failAddViewport = false;
  // The viewports added and not deleted, each held as a real device holds them.
  std::vector<ComPtr<IDirect3DViewport2>> viewports;
  int deleteCalls = 0;

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

}  // namespace d3drm_test
