// bench_frame: one demonstration frame split into its stages, on the demo figure at 512 x 386:
// the character's Animate, the transform pass, the device's drawing (time spent inside
// DrawIndexedPrimitive) and the whole DrawScene (clear, transform, clipping, drawing).
// Run from assets/ (it loads wisp2.kor and its bitmaps). Not run by ctest.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "platform/com/ComPtr.h"
#include "render/FramePass.h"
#include "render/TransformPass.h"
#include "tools/snapshot/HeadlessDemo.h"

namespace {

using Clock = std::chrono::steady_clock;

// Forwards every call to the real device and adds up the time spent drawing.
class TimingDevice final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  explicit TimingDevice(IDirect3DDevice2* inner) : inner_(inner) {}
  double drawSeconds = 0;

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    return inner_->QueryInterface(Iid, Object);
  }
  HRESULT GetDirect3D(IDirect3D2** D3D) override { return inner_->GetDirect3D(D3D); }
  HRESULT GetRenderTarget(IDirectDrawSurface** Target) override {
    return inner_->GetRenderTarget(Target);
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    return inner_->SetRenderState(State, Value);
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* Value) override {
    return inner_->GetRenderState(State, Value);
  }
  HRESULT SetLightState(D3DLIGHTSTATETYPE State, DWORD Value) override {
    return inner_->SetLightState(State, Value);
  }
  HRESULT GetLightState(D3DLIGHTSTATETYPE State, DWORD* Value) override {
    return inner_->GetLightState(State, Value);
  }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK Callback, LPVOID Arg) override {
    return inner_->EnumTextureFormats(Callback, Arg);
  }
  HRESULT AddViewport(IDirect3DViewport2* Viewport) override {
    return inner_->AddViewport(Viewport);
  }
  HRESULT DeleteViewport(IDirect3DViewport2* Viewport) override {
    return inner_->DeleteViewport(Viewport);
  }
  HRESULT SetCurrentViewport(IDirect3DViewport2* Viewport) override {
    return inner_->SetCurrentViewport(Viewport);
  }
  HRESULT GetCurrentViewport(IDirect3DViewport2** Viewport) override {
    return inner_->GetCurrentViewport(Viewport);
  }
  HRESULT BeginScene() override { return inner_->BeginScene(); }
  HRESULT EndScene() override { return inner_->EndScene(); }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, LPVOID Vertices,
                               DWORD VertexCount, WORD* Indices, DWORD IndexCount,
                               DWORD Flags) override {
    const auto start = Clock::now();
    const HRESULT result = inner_->DrawIndexedPrimitive(Type, VertexType, Vertices, VertexCount,
                                                        Indices, IndexCount, Flags);
    drawSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    return result;
  }

 private:
  ComPtr<IDirect3DDevice2> inner_;
};

THeadlessDemo& Demo() {
  static THeadlessDemo* demo = [] {
    if (!std::filesystem::exists("wisp2.kor") && std::filesystem::exists("assets/wisp2.kor")) {
      std::filesystem::current_path("assets");
    }
    auto* made = new THeadlessDemo;
    for (int frame = 0; frame < 10; ++frame) made->Scene().Tick();  // into the sway
    return made;
  }();
  return *demo;
}

void Animate(benchmark::State& state) {
  TWisp& character = *Demo().Scene().Character;
  for (auto _ : state) character.Animate(0.02f);
}
BENCHMARK(Animate)->Unit(benchmark::kMicrosecond);

void TransformTreePass(benchmark::State& state) {
  TDemoScene& scene = Demo().Scene();
  TKorRenderer& R = scene.Renderer;
  const Matrix4 M = ScreenMatrix(R);
  for (auto _ : state) {
    R.VertexFill = 0;
    R.NodeFill = 0;
    R.Buckets.fill(nullptr);
    TransformTree(R, M, IdentityMatrix, scene.SceneRoot);
  }
  R.Buckets.fill(nullptr);
  state.counters["vertices"] = R.VertexFill;
  state.counters["polygons"] = R.NodeFill;
}
BENCHMARK(TransformTreePass)->Unit(benchmark::kMicrosecond);

void DeviceDrawing(benchmark::State& state) {
  TDemoScene& scene = Demo().Scene();
  TKorvelRM& view = Demo().View();
  ComPtr<IDirect3DDevice2> real = view.D3DDevice;
  auto* timing = new TimingDevice(real.Get());
  view.D3DDevice.Attach(timing);
  for (auto _ : state) {
    timing->drawSeconds = 0;
    DrawScene(scene.Renderer, scene.SceneRoot, false);
    state.SetIterationTime(timing->drawSeconds);
  }
  view.D3DDevice = real;
}
BENCHMARK(DeviceDrawing)->UseManualTime()->Unit(benchmark::kMicrosecond);

void WholeDrawScene(benchmark::State& state) {
  TDemoScene& scene = Demo().Scene();
  for (auto _ : state) DrawScene(scene.Renderer, scene.SceneRoot, false);
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(WholeDrawScene)->Unit(benchmark::kMicrosecond);

void WholeFrameTick(benchmark::State& state) {
  TDemoScene& scene = Demo().Scene();
  for (auto _ : state) scene.Tick();
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(WholeFrameTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
