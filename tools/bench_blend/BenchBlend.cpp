// Throughput of the blend blits on the program's full-screen size: a windowed master
// TKorvelG of 640 x 480 (16-bit 5-6-5) blending a 640 x 480 source surface, through the
// component's published methods (locks included), and the bare pixel loops beside them.
// Reports Mpixels/s.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "components/BlendBlit.h"
#include "components/KorvelG.h"

namespace {

constexpr LONG kWidth = 640;
constexpr LONG kHeight = 480;
constexpr double kPixels = double{kWidth} * kHeight;

// A form with one windowed master panel and a source surface of varied colours.
class Setting {
 public:
  Setting() : form_(nullptr) {
    DrawDriverIndex = -1;
    form_.SetBounds(0, 0, kWidth, kHeight);
    panel_ = new TKorvelG(&form_);
    panel_->SetParent(&form_);
    panel_->SetBounds(0, 0, kWidth, kHeight);
    panel_->DDInit();
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = kWidth;
    desc.dwHeight = kHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    DirectDraw2->CreateSurface(&desc, source_.Put(), nullptr);
    Paint(source_.Get(), 0x9E37);
    Paint(panel_->Surface.Get(), 0x7F4A);
  }
  ~Setting() { source_.Reset(); }

  TKorvelG& Panel() { return *panel_; }
  IDirectDrawSurface* Source() { return source_.Get(); }

 private:
  static void Paint(IDirectDrawSurface* Surface, std::uint32_t Seed) {
    DDSURFACEDESC desc;
    desc.dwSize = sizeof desc;
    Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    for (LONG y = 0; y < kHeight; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                   y * desc.lPitch);
      for (LONG x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint16_t>(Seed * (x + 7 * y));
    }
    Surface->Unlock(nullptr);
  }

  TWinControl form_;
  TKorvelG* panel_ = nullptr;
  ComPtr<IDirectDrawSurface> source_;
};

void ReportPixels(benchmark::State& State) {
  State.counters["Mpixels/s"] = benchmark::Counter(
      kPixels * static_cast<double>(State.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_ADDBlt(benchmark::State& State) {
  Setting setting;
  for (auto _ : State) setting.Panel().ADDBlt(0, 0, setting.Source(), 0, 0, kWidth, kHeight);
  ReportPixels(State);
}
BENCHMARK(BM_ADDBlt)->Unit(benchmark::kMillisecond);

void BM_ADDBlt2(benchmark::State& State) {
  Setting setting;
  for (auto _ : State) setting.Panel().ADDBlt2(0, 0, setting.Source(), 0, 0, kWidth, kHeight);
  ReportPixels(State);
}
BENCHMARK(BM_ADDBlt2)->Unit(benchmark::kMillisecond);

void BM_Dark(benchmark::State& State) {
  Setting setting;
  for (auto _ : State) setting.Panel().Dark(0.25f);
  ReportPixels(State);
}
BENCHMARK(BM_Dark)->Unit(benchmark::kMillisecond);

// The bare pixel loops on plain memory, without locks: what the component adds shows as the
// difference.
struct Buffers {
  std::vector<std::uint16_t> dst = std::vector<std::uint16_t>(kWidth * kHeight, 0x7F4A);
  std::vector<std::uint16_t> src = std::vector<std::uint16_t>(kWidth * kHeight, 0x9E37);
  BlendSurface Dst() {
    return {reinterpret_cast<std::uint8_t*>(dst.data()), kWidth * 2, kWidth, kHeight};
  }
  BlendSurface Src() {
    return {reinterpret_cast<std::uint8_t*>(src.data()), kWidth * 2, kWidth, kHeight};
  }
};
constexpr ChannelMasks k565{0xF800, 0x07E0, 0x001F};
constexpr BlendRect kWhole{0, 0, 0, 0, kWidth, kHeight};

void BM_ScreenAddRect(benchmark::State& State) {
  Buffers b;
  for (auto _ : State) ScreenAddRect(b.Dst(), b.Src(), kWhole, k565);
  ReportPixels(State);
}
BENCHMARK(BM_ScreenAddRect)->Unit(benchmark::kMillisecond);

void BM_SaturatingAddRect(benchmark::State& State) {
  Buffers b;
  for (auto _ : State) SaturatingAddRect(b.Dst(), b.Src(), kWhole, k565);
  ReportPixels(State);
}
BENCHMARK(BM_SaturatingAddRect)->Unit(benchmark::kMillisecond);

void BM_DarkenSurface(benchmark::State& State) {
  Buffers b;
  const ChannelMasks decrements = DarkDecrements(k565, ChannelMasks{0x0800, 0x0020, 0x0001}, 0.25f);
  for (auto _ : State) DarkenSurface(b.Dst(), k565, decrements);
  ReportPixels(State);
}
BENCHMARK(BM_DarkenSurface)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
