// Drawing with several threads: the bands each worker owns, the worker pool, and whole frames of
// random triangles, states and state changes drawn with 1, 2, 3 and 5 threads, which must give
// the same pixels and depth values bit for bit (blending and the depth test make the order of
// triangles within a pixel visible, so a triangle shaded out of order shows).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "platform/d3d/raster/RowBands.h"
#include "platform/d3d/raster/WorkerPool.h"
#include "tests/platform/raster/RasterTestKit.h"
#include "tests/support/AllocationCounter.h"

namespace platform::raster::testing {
namespace {

TEST(RowBandsTest, WorkersShareEveryRowOnceInBandsOfTheirOwn) {
  for (int workers = 1; workers <= 5; ++workers) {
    for (std::int32_t first = 0; first < 70; first += 7) {
      for (std::int32_t last = first - 1; last < first + 90; last += 5) {
        std::vector<int> owner(200, -1);
        for (int worker = 0; worker < workers; ++worker) {
          const RowBands bands(worker, workers);
          std::int32_t previous = -1;
          bands.ForEach(first, last, [&](std::int32_t lo, std::int32_t hi) {
            EXPECT_LE(lo, hi);
            EXPECT_GT(lo, previous);                    // top to bottom
            EXPECT_EQ(lo / kBandRows, hi / kBandRows);  // within one band
            previous = hi;
            for (std::int32_t y = lo; y <= hi; ++y) {
              EXPECT_TRUE(bands.Owns(y));
              EXPECT_EQ(owner[static_cast<std::size_t>(y)], -1) << "row " << y << " twice";
              owner[static_cast<std::size_t>(y)] = worker;
            }
          });
        }
        for (std::int32_t y = 0; y < 200; ++y) {
          const bool inside = y >= first && y <= last;
          EXPECT_EQ(owner[static_cast<std::size_t>(y)] != -1, inside) << "row " << y;
        }
      }
    }
  }
}

// Jobs of fewer, as many and more indices than threads: each index runs exactly once per job.
TEST(WorkerPoolTest, RunsEveryIndexOnceAndWakesFromSleep) {
  WorkerPool pool(3);
  std::atomic<int> calls[7] = {};
  auto job = [&](int index) { calls[index].fetch_add(1); };
  for (int round = 0; round < 2000; ++round) pool.Run(job, 1 + round % 7);
  // Long enough for the threads to stop spinning and sleep; the next jobs must still run.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  for (int round = 0; round < 3; ++round) pool.Run(job, 7);
  for (int index = 0; index < 7; ++index) {
    int expected = 3;
    for (int round = 0; round < 2000; ++round) expected += index < 1 + round % 7;
    EXPECT_EQ(calls[index].load(), expected) << "index " << index;
  }
}

// Index 0 is the caller's; the others go to whichever thread claims them, each exactly once,
// even when every index but the last waits until all others have started (so they cannot all
// be run one after another by the caller).
TEST(WorkerPoolTest, IndexZeroRunsOnTheCallerAndTheRestRunTogether) {
  WorkerPool pool(3);
  for (int round = 0; round < 50; ++round) {
    std::thread::id ids[3];
    std::atomic<int> started{0};
    auto job = [&](int index) {
      ids[index] = std::this_thread::get_id();
      started.fetch_add(1);
      if (index != 2) {
        while (started.load() < 3) std::this_thread::yield();
      }
    };
    pool.Run(job, 3);
    EXPECT_EQ(ids[0], std::this_thread::get_id());
    EXPECT_NE(ids[1], ids[0]);
    EXPECT_NE(ids[1], ids[2]);
  }
}

// Waits, however long it takes, until the pool's threads have stopped spinning and sleep, then
// a while longer, past the brief spinning inside the atomic wait itself.
void WaitUntilAsleep(const WorkerPool& pool) {
  while (!pool.Asleep()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Waking sleeping threads with no work for them: they come out of sleep, take no index of an
// earlier or later job, and a pool woken again and again, woken while already awake, or woken
// and at once destroyed still runs every index of every job exactly once and stops (a thread
// left waiting would hang the test).
TEST(WorkerPoolTest, WakingWithoutWorkRousesSleepersAndLeavesJobsWhole) {
  std::atomic<int> calls[5] = {};
  auto job = [&](int index) { calls[index].fetch_add(1); };
  int runs = 0;
  {
    WorkerPool pool(3);
    for (int gap = 0; gap < 4; ++gap) {
      pool.Run(job, 5);
      ++runs;
      WaitUntilAsleep(pool);
      const std::uint64_t woken = pool.Wakeups();
      pool.Wake();
      while (pool.Wakeups() == woken) std::this_thread::yield();
      pool.Wake();  // while they spin: nothing to do
      if (gap % 2 == 1) {
        pool.Run(job, 5);
        ++runs;
      }
    }
    WaitUntilAsleep(pool);
    pool.Wake();  // destroyed as they wake
  }
  for (int index = 0; index < 5; ++index) EXPECT_EQ(calls[index].load(), runs) << "index " << index;
  WorkerPool alone(1);  // no threads to wake
  alone.Wake();
  EXPECT_FALSE(alone.Asleep());
  alone.Run(job, 5);
  for (int index = 0; index < 5; ++index) EXPECT_EQ(calls[index].load(), runs + 1);
}

constexpr int kWidth = 203;  // not a whole number of bands either way
constexpr int kHeight = 157;

// A target with a 32-bit and a 16-bit depth buffer, and a palettised and a 5-6-5 texture.
struct Scene {
  Scene() : target(kWidth, kHeight), depth32(kWidth, kHeight), depth16(kWidth, kHeight) {
    TestRandom random{77};
    for (std::uint8_t& texel : palettised) texel = static_cast<std::uint8_t>(random.Bits());
    for (D3DCOLOR& entry : palette) entry = random.Bits();
    for (std::uint16_t& texel : rgb) texel = static_cast<std::uint16_t>(random.Bits());
  }
  Surface16 target;
  Surface32 depth32;
  Surface16 depth16;
  std::vector<std::uint8_t> palettised = std::vector<std::uint8_t>(64 * 32);
  std::vector<D3DCOLOR> palette = std::vector<D3DCOLOR>(256);
  std::vector<std::uint16_t> rgb = std::vector<std::uint16_t>(16 * 16);
  // A draw call's arrays, kept from one call to the next.
  std::vector<D3DTLVERTEX> vertices;
  std::vector<std::uint16_t> indices;
};

// A coordinate, now and then not finite.
float Spoil(TestRandom& random, float value) {
  if (!random.Chance(2)) return value;
  return random.Pick(
      {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 3.0e38f});
}

void AddTriangle(TestRandom& random, std::vector<D3DTLVERTEX>* vertices) {
  const int kind = static_cast<int>(random.Bits() % 10);
  const float cx = random.Uniform(-10.0f, kWidth + 10.0f);
  const float cy = random.Uniform(-10.0f, kHeight + 10.0f);
  for (int i = 0; i < 3; ++i) {
    float x = cx + random.Uniform(-12.0f, 12.0f);  // small, as a figure's
    float y = cy + random.Uniform(-12.0f, 12.0f);
    if (kind == 7) {  // large, across many bands
      x = random.Uniform(-50.0f, kWidth + 50.0f);
      y = random.Uniform(-50.0f, kHeight + 50.0f);
    } else if (kind == 8) {  // huge, beyond the guard band now and then
      const float reach = random.Chance(50) ? 3000.0f : 30000.0f;
      x = random.Uniform(-reach, reach);
      y = random.Uniform(-reach, reach);
    } else if (kind == 9) {  // tall slivers
      x = cx + random.Uniform(-1.5f, 1.5f);
      y = cy + random.Uniform(-80.0f, 80.0f);
    }
    D3DTLVERTEX v{};
    v.sx = Spoil(random, x);
    v.sy = Spoil(random, y);
    v.sz = random.Uniform(-0.1f, 1.1f);
    v.rhw = random.Chance(3) ? -1.0f : random.Uniform(0.1f, 2.0f);
    v.color = random.Bits();
    v.specular = random.Bits();
    v.tu = random.Uniform(-3.0f, 3.0f);
    v.tv = random.Uniform(-3.0f, 3.0f);
    vertices->push_back(v);
  }
}

// Random states for the next draw call: the fast span's common ones most of the time, and
// blending, other depth functions, perspective, vertex fog and flat shading now and then (the
// general span).
void ChangeStates(TestRandom& random, Scene& scene, Rasterizer& raster) {
  const bool common = random.Chance(60);
  const std::pair<D3DRENDERSTATETYPE, std::uint32_t> states[] = {
      {D3DRENDERSTATE_ZENABLE, random.Chance(85) ? 1u : 0u},
      {D3DRENDERSTATE_ZWRITEENABLE, random.Chance(85) ? 1u : 0u},
      {D3DRENDERSTATE_ZFUNC,
       common ? D3DCMP_LESSEQUAL : random.Pick({D3DCMP_LESS, D3DCMP_GREATER, D3DCMP_ALWAYS})},
      {D3DRENDERSTATE_DITHERENABLE, random.Chance(70) ? 1u : 0u},
      {D3DRENDERSTATE_SPECULARENABLE, random.Chance(60) ? 1u : 0u},
      {D3DRENDERSTATE_FOGENABLE, random.Chance(60) ? 1u : 0u},
      {D3DRENDERSTATE_FOGTABLEMODE, common || random.Chance(50) ? D3DFOG_LINEAR : D3DFOG_NONE},
      {D3DRENDERSTATE_FOGCOLOR, random.Bits()},
      {D3DRENDERSTATE_FOGTABLESTART, RenderStateBlock::FloatBits(random.Uniform(0.0f, 0.5f))},
      {D3DRENDERSTATE_FOGTABLEEND, RenderStateBlock::FloatBits(random.Uniform(0.6f, 1.0f))},
      {D3DRENDERSTATE_SHADEMODE, random.Chance(15) ? D3DSHADE_FLAT : D3DSHADE_GOURAUD},
      {D3DRENDERSTATE_CULLMODE, random.Pick({D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW})},
      {D3DRENDERSTATE_TEXTUREPERSPECTIVE, common ? 0u : 1u},
      {D3DRENDERSTATE_ALPHABLENDENABLE, common ? 0u : 1u},
      {D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA},
      {D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA},
  };
  for (const auto& [state, value] : states) ASSERT_TRUE(raster.SetRenderState(state, value));
  const int texture = static_cast<int>(random.Bits() % 3);
  if (texture == 0) {
    raster.DetachTexture();
  } else if (texture == 1) {
    raster.SetTexture(
        {scene.palettised.data(), 64, 64, 32, TextureFormat::Palette8, scene.palette.data()});
  } else {
    raster.SetTexture({scene.rgb.data(), 32, 16, 16, TextureFormat::Rgb565});
  }
  if (random.Chance(20)) {
    raster.SetViewport({static_cast<std::int32_t>(random.Bits() % 40),
                        static_cast<std::int32_t>(random.Bits() % 40), kWidth - 20, kHeight - 7});
  } else {
    raster.ResetViewport();
  }
}

// Draws a frame: a clear, then draw calls of random sizes (some below the size drawn by one
// thread, some of thousands of triangles) with random state changes and clears between them.
// The same seed gives the same frame.
void DrawFrame(std::uint32_t seed, Scene& scene, Rasterizer& raster) {
  TestRandom random{seed};
  const bool depth16 = random.Chance(30);
  raster.SetRenderTarget(TargetOf(scene.target));
  if (depth16) {
    raster.SetDepthBuffer(
        {scene.depth16.Origin(), scene.depth16.Pitch(), kWidth, kHeight, DepthFormat::Depth16});
  } else {
    raster.SetDepthBuffer(
        {scene.depth32.Origin(), scene.depth32.Pitch(), kWidth, kHeight, DepthFormat::Depth32});
  }
  raster.ResetViewport();
  const D3DRECT all = {0, 0, kWidth, kHeight};
  raster.Clear(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x102030u);
  std::vector<D3DTLVERTEX>& vertices = scene.vertices;
  std::vector<std::uint16_t>& indices = scene.indices;
  for (int call = 0; call < 12; ++call) {
    ChangeStates(random, scene, raster);
    if (random.Chance(10)) {
      const D3DRECT part = {-5, static_cast<std::int32_t>(random.Bits() % kHeight), kWidth / 2,
                            kHeight + 9};
      raster.Clear(1, &part, D3DCLEAR_ZBUFFER | (random.Chance(50) ? D3DCLEAR_TARGET : 0u),
                   random.Bits(), random.Uniform(0.3f, 1.0f));
    }
    vertices.clear();
    indices.clear();
    const int triangles = random.Pick({1, 5, 40, 300, 2500});
    for (int t = 0; t < triangles; ++t) AddTriangle(random, &vertices);
    // Shared vertices in a shuffled order, as a mesh's, so the vertex caches are used.
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      indices.push_back(random.Chance(30)
                            ? static_cast<std::uint16_t>(random.Bits() % vertices.size())
                            : static_cast<std::uint16_t>(i));
    }
    const std::uint32_t flags = random.Chance(40) ? D3DDP_DONOTCLIP : 0u;
    ASSERT_EQ(raster.DrawIndexedPrimitive(
                  D3DPT_TRIANGLELIST, vertices.data(), static_cast<std::uint32_t>(vertices.size()),
                  indices.data(), static_cast<std::uint32_t>(indices.size()), flags),
              DrawResult::Ok);
  }
}

// Everything a frame wrote: target, both depth buffers (borders included) and the counts.
struct FrameResult {
  std::vector<std::uint16_t> target, depth16;
  std::vector<std::uint32_t> depth32;
  RasterStats stats;
  bool borders_untouched = false;
};

template <typename Pixel>
std::vector<Pixel> Pixels(const GuardedSurface<Pixel>& surface) {
  std::vector<Pixel> pixels;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) pixels.push_back(surface.At(x, y));
  }
  return pixels;
}

FrameResult DrawWithThreads(std::uint32_t seed, int threads, bool fast_spans = true) {
  Scene scene;
  Rasterizer raster;
  raster.SetThreadCount(threads);
  raster.SetFastSpans(fast_spans);
  DrawFrame(seed, scene, raster);
  return {Pixels(scene.target), Pixels(scene.depth16), Pixels(scene.depth32), raster.Stats(),
          scene.target.BorderUntouched() && scene.depth16.BorderUntouched() &&
              scene.depth32.BorderUntouched()};
}

// The first pixel where two pictures differ, as text, or empty.
template <typename Pixel>
std::string FirstDifference(const std::vector<Pixel>& a, const std::vector<Pixel>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      return "pixel (" + std::to_string(i % kWidth) + ", " + std::to_string(i / kWidth) + ")";
    }
  }
  return "";
}

void ExpectSameFrame(const FrameResult& one, const FrameResult& many, const std::string& what) {
  EXPECT_EQ(FirstDifference(one.target, many.target), "") << what << ": target";
  EXPECT_EQ(FirstDifference(one.depth16, many.depth16), "") << what << ": 16-bit depth";
  EXPECT_EQ(FirstDifference(one.depth32, many.depth32), "") << what << ": 32-bit depth";
  EXPECT_EQ(one.stats.triangles, many.stats.triangles) << what;
  EXPECT_EQ(one.stats.culled, many.stats.culled) << what;
  EXPECT_EQ(one.stats.rejected, many.stats.rejected) << what;
  EXPECT_EQ(one.stats.clipped, many.stats.clipped) << what;
  EXPECT_TRUE(many.borders_untouched) << what;
}

TEST(ThreadedDrawTest, RandomFramesGiveTheSamePixelsAndDepthWithAnyThreadCount) {
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    const bool fast_spans = seed % 4 != 0;  // now and then every pixel by the general span
    const FrameResult one = DrawWithThreads(seed, 1, fast_spans);
    // The frame must really draw something, or equality proves nothing.
    std::size_t drawn = 0;
    for (std::uint16_t pixel : one.target) drawn += pixel != one.target.front();
    EXPECT_GT(drawn, one.target.size() / 4) << "seed " << seed;
    for (int threads : {2, 3, 5}) {
      ExpectSameFrame(one, DrawWithThreads(seed, threads, fast_spans),
                      "seed " + std::to_string(seed) + ", " + std::to_string(threads) + " threads");
    }
  }
}

// A state, a texture, the viewport and the target itself changed between draw calls of more
// than one thread each: every call draws with what was set when it was made.
TEST(ThreadedDrawTest, ChangesBetweenDrawCallsAreHonoured) {
  Surface16 first(kWidth, kHeight);
  Surface16 second(kWidth, kHeight);
  Rasterizer raster;
  raster.SetThreadCount(2);
  raster.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  raster.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 0);
  raster.SetRenderTarget(TargetOf(first));
  // Many copies of one triangle covering the target, so the call is drawn by both threads.
  auto draw = [&](D3DCOLOR color) {
    std::vector<D3DTLVERTEX> vertices;
    for (int i = 0; i < 40; ++i) {
      vertices.insert(vertices.end(),
                      {Vertex(-10, -10, color), Vertex(500, -10, color), Vertex(-10, 500, color)});
    }
    ASSERT_EQ(DrawList(raster, vertices), DrawResult::Ok);
  };
  draw(0xFFFF0000u);
  const std::uint16_t texel = 0x07E0;  // green
  raster.SetTexture({&texel, 2, 1, 1, TextureFormat::Rgb565});
  raster.SetViewport({10, 20, 30, 40});
  draw(0xFFFFFFFFu);
  raster.DetachTexture();
  raster.ResetViewport();
  raster.SetRenderTarget(TargetOf(second));
  draw(0xFF0000FFu);
  raster.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);  // removes the triangle
  draw(0xFFFFFFFFu);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool in_viewport = x >= 10 && x < 30 && y >= 20 && y < 40;
      ASSERT_EQ(first.At(x, y), in_viewport ? 0x07E0 : 0xF800) << x << ", " << y;
      ASSERT_EQ(second.At(x, y), 0x001F) << x << ", " << y;
    }
  }
}

// Workers asleep between draw calls, thread counts changed while they sleep, and rasterisers
// destroyed with their workers asleep or never used: each draw must still be right, and
// destruction must return (a worker left waiting would hang the test).
TEST(ThreadedDrawTest, SleepingWorkersWakeForDrawsAndStopOnDestruction) {
  const FrameResult expected = DrawWithThreads(5, 1);
  {
    Rasterizer unused;
    unused.SetThreadCount(4);
  }
  Scene scene;
  Rasterizer raster;
  for (int threads : {3, 1, 2, 5}) {
    raster.SetThreadCount(threads);
    EXPECT_EQ(raster.ThreadCount(), threads);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    raster.ResetStats();
    DrawFrame(5, scene, raster);
    ExpectSameFrame(expected,
                    {Pixels(scene.target), Pixels(scene.depth16), Pixels(scene.depth32),
                     raster.Stats(), scene.target.BorderUntouched()},
                    std::to_string(threads) + " threads after sleeping");
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // destroyed asleep
  raster.SetThreadCount(0);
  EXPECT_EQ(raster.ThreadCount(), 1);
}

// Frames on a target large enough for its clear to be shared out, drawn back to back and after
// idle gaps in which the workers fall asleep (the clear is then done by the caller while they
// wake, and the draw finds them woken early): every clear covers the whole target and depth
// buffer, and every frame is the same as with one thread.
TEST(ThreadedDrawTest, FramesAfterIdleGapsGiveTheSamePixels) {
  constexpr int kWide = 320, kTall = 200;  // over the size of a shared clear
  std::vector<std::vector<std::uint32_t>> one_thread;
  for (int threads : {1, 2, 3}) {
    Surface16 target(kWide, kTall);
    Surface32 depth(kWide, kTall);
    Rasterizer raster;
    raster.SetThreadCount(threads);
    raster.SetRenderTarget(TargetOf(target));
    raster.SetDepthBuffer({depth.Origin(), depth.Pitch(), kWide, kTall, DepthFormat::Depth32});
    TestRandom random{31};
    auto uniform = [](const auto& pixels) {
      return std::count(pixels.begin(), pixels.end(), pixels.front()) ==
             static_cast<std::ptrdiff_t>(pixels.size());
    };
    for (int frame = 0; frame < 6; ++frame) {
      if (frame % 3 != 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const D3DRECT all = {0, 0, kWide, kTall};
      raster.Clear(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, random.Bits(),
                   random.Uniform(0.5f, 1.0f));
      const std::string what = std::to_string(threads) + " threads, frame " + std::to_string(frame);
      EXPECT_TRUE(uniform(Pixels(target)) && uniform(Pixels(depth))) << what << ": cleared";
      std::vector<D3DTLVERTEX> vertices;
      for (int t = 0; t < 300; ++t) AddTriangle(random, &vertices);
      ASSERT_EQ(DrawList(raster, vertices), DrawResult::Ok);
      const std::vector<std::uint16_t> colours = Pixels(target);
      std::vector<std::uint32_t> pixels = Pixels(depth);
      pixels.insert(pixels.end(), colours.begin(), colours.end());
      if (threads == 1) {
        EXPECT_FALSE(uniform(colours)) << what << ": nothing drawn";
        one_thread.push_back(pixels);
      } else {
        EXPECT_TRUE(pixels == one_thread[static_cast<std::size_t>(frame)]) << what;
      }
    }
    EXPECT_TRUE(target.BorderUntouched() && depth.BorderUntouched());
  }
}

// Once a frame has been drawn, drawing it again with several threads allocates nothing: the
// set-up stores and chunk records are kept, and handing a job to the workers takes no memory.
TEST(ThreadedDrawTest, AWarmFrameAllocatesNothing) {
  Scene scene;
  Rasterizer raster;
  raster.SetThreadCount(3);
  DrawFrame(9, scene, raster);
  EXPECT_EQ(testsupport::AllocationsDuring([&] { DrawFrame(9, scene, raster); }), 0u);
}

}  // namespace
}  // namespace platform::raster::testing
