// bench_rmscene: a frame of the retained-mode view on the sample torus (128 faces) at
// 512 x 386: the whole frame (RMClear, then Render: Move, the scene walk, transform, lighting,
// projection and drawing), plain and with a cylinder wrap of meta.bmp; and the geometry alone
// (the viewport's renderer handing its batches to a device that discards them).
#include <benchmark/benchmark.h>

#include "platform/d3drm/RMRenderer.h"
#include "platform/d3drm/RMViewport.h"
#include "tools/rmscene/SampleScene.h"

namespace {

using platform::d3drm::RMRenderer;
using platform::d3drm::RMViewport;

// A device that takes everything and draws nothing.
class DiscardingDevice final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  HRESULT QueryInterface(REFIID, void** Object) override { return NoInterface(Object); }
  HRESULT GetDirect3D(IDirect3D2**) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(IDirectDrawSurface**) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return S_OK; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return S_OK; }
  HRESULT GetLightState(D3DLIGHTSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK, LPVOID) override { return S_OK; }
  HRESULT AddViewport(IDirect3DViewport2*) override { return S_OK; }
  HRESULT DeleteViewport(IDirect3DViewport2*) override { return S_OK; }
  HRESULT SetCurrentViewport(IDirect3DViewport2*) override { return S_OK; }
  HRESULT GetCurrentViewport(IDirect3DViewport2**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override { return S_OK; }
  HRESULT EndScene() override { return S_OK; }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, D3DVERTEXTYPE, LPVOID Vertices, DWORD, WORD*,
                               DWORD, DWORD) override {
    benchmark::DoNotOptimize(Vertices);
    return S_OK;
  }
};

void Frame(benchmark::State& State, int32_t WrapType) {
  THeadlessView headless;
  TKorvelRM& view = headless.View();
  TKorvelFrame* sample = nullptr;
  LoadSampleScene(view, KOR_ASSETS_DIR, &sample);
  if (WrapType >= 0) WrapSample(view, sample, KOR_ASSETS_DIR, WrapType);
  SetSampleBackground(view);
  RenderSampleFrame(view);
  for (auto _ : State) RenderSampleFrame(view);
  const auto& counts = RMViewport::From(view.Viewport.Get())->Renderer().Counts();
  State.counters["triangles"] = counts.triangles;
}

void BM_SampleFramePlain(benchmark::State& State) {
  Frame(State, -1);
}
BENCHMARK(BM_SampleFramePlain)->Unit(benchmark::kMicrosecond);

void BM_SampleFrameCylinderWrap(benchmark::State& State) {
  Frame(State, 1);
}
BENCHMARK(BM_SampleFrameCylinderWrap)->Unit(benchmark::kMicrosecond);

void BM_SampleGeometryOnly(benchmark::State& State) {
  THeadlessView headless;
  TKorvelRM& view = headless.View();
  TKorvelFrame* sample = nullptr;
  LoadSampleScene(view, KOR_ASSETS_DIR, &sample);
  RenderSampleFrame(view);  // gathers the scene
  RMViewport& viewport = *RMViewport::From(view.Viewport.Get());
  const platform::d3drm::ViewVolume volume{
      0, 0, 512, 386, viewport.GetFront(), viewport.GetBack(), viewport.GetField()};
  ComPtr<DiscardingDevice> device;
  device.Attach(new DiscardingDevice);
  RMRenderer renderer;
  for (auto _ : State) {
    renderer.Draw(device.Get(), viewport.RenderItems(), viewport.RenderLights(),
                  viewport.ViewMatrix(), volume);
  }
  State.counters["triangles"] = renderer.Counts().triangles;
}
BENCHMARK(BM_SampleGeometryOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
