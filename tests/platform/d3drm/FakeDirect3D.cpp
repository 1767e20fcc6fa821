#include "tests/platform/d3drm/FakeDirect3D.h"

#include <algorithm>

#include "platform/ddraw/DDrawErrors.h"

namespace testsupport {

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

HRESULT FakeDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  calls.push_back("SetRenderState " + std::to_string(State) + " " + std::to_string(Value));
  states[State] = Value;
  return S_OK;
}

HRESULT FakeDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* Value) {
  const auto found = states.find(State);
  *Value = found == states.end() ? 0 : found->second;
  return S_OK;
}

HRESULT FakeDevice::SetCurrentViewport(IDirect3DViewport2* Viewport) {
  calls.push_back("SetCurrentViewport");
  current = Viewport;
  return S_OK;
}

HRESULT FakeDevice::BeginScene() {
  calls.push_back("BeginScene");
  return S_OK;
}

HRESULT FakeDevice::EndScene() {
  calls.push_back("EndScene");
  return S_OK;
}

HRESULT FakeDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType,
                                         LPVOID Vertices, DWORD VertexCount, WORD* Indices,
                                         DWORD IndexCount, DWORD Flags) {
  calls.push_back("Draw");
  if (Type != D3DPT_TRIANGLELIST || VertexType != D3DVT_TLVERTEX) return E_INVALIDARG;
  if (failDraw) return DDERR_SURFACELOST;
  const auto* vertices = static_cast<const D3DTLVERTEX*>(Vertices);
  DrawCall call;
  call.vertices.assign(vertices, vertices + VertexCount);
  call.indices.assign(Indices, Indices + IndexCount);
  call.flags = Flags;
  call.textureHandle = states[D3DRENDERSTATE_TEXTUREHANDLE];
  call.perspective = states[D3DRENDERSTATE_TEXTUREPERSPECTIVE];
  draws.push_back(std::move(call));
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

}  // namespace testsupport
