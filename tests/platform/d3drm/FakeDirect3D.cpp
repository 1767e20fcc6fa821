#include "tests/platform/d3drm/FakeDirect3D.h"

#include <algorithm>

namespace d3drm_test {

HRESULT FakeViewport::QueryInterface(REFIID Iid, void** Object) {
  if (Iid == IID_IUnknown || Iid == IID_IDirect3DViewport || Iid == IID_IDirect3DViewport2)
    return Answer(static_cast<IDirect3DViewport2*>(this), Object);
  return NoInterface(Object);
}

HRESULT FakeViewport::Clear(DWORD Count, const D3DRECT* Rects, DWORD Flags) {
  for (DWORD i = 0; i < Count; ++i) clearedRects.push_back(Rects[i]);
  clearFlags.push_back(Flags);
  return S_OK;
}

HRESULT FakeViewport::SetViewport2(const D3DVIEWPORT2* Data) {
  ++setViewportCalls;
  data = *Data;
  return S_OK;
}

HRESULT FakeDevice::QueryInterface(REFIID Iid, void** Object) {
  if (Iid == IID_IUnknown || Iid == IID_IDirect3DDevice2)
    return Answer(static_cast<IDirect3DDevice2*>(this), Object);
  return NoInterface(Object);
}

HRESULT FakeDevice::AddViewport(IDirect3DViewport2* Viewport) {
  if (failAddViewport) return E_FAIL;
  viewports.emplace_back(Viewport);
  return S_OK;
}

HRESULT FakeDevice::DeleteViewport(IDirect3DViewport2* Viewport) {
  ++deleteCalls;
  auto it = std::find_if(viewports.begin(), viewports.end(),
                         [&](const ComPtr<IDirect3DViewport2>& v) { return v == Viewport; });
  if (it == viewports.end()) return E_INVALIDARG;
  viewports.erase(it);
  return S_OK;
}

HRESULT FakeDirect3D::QueryInterface(REFIID Iid, void** Object) {
  if (Iid == IID_IUnknown || Iid == IID_IDirect3D2)
    return Answer(static_cast<IDirect3D2*>(this), Object);
  return NoInterface(Object);
}

HRESULT FakeDirect3D::CreateViewport(IDirect3DViewport2** Viewport, IUnknown*) {
  ++createViewportCalls;
  if (failCreateViewport) {
    *Viewport = nullptr;
    return E_FAIL;
  }
  lastViewport = FakeViewport::Create();
  *Viewport = lastViewport;
  return S_OK;
}

}  // namespace d3drm_test
