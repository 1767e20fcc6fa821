#pragma once
// The software rasteriser behind the Direct3D device stand-in. It knows nothing of COM or
// DirectDraw: the device wrapper hands it plain views of its surfaces and forwards the render
// states and draw calls it receives.
//
// Usage by a device: SetRenderTarget (and SetDepthBuffer) once the surfaces are known;
// SetViewport from the current viewport; forward every SetRenderState; when the texture handle
// changes, SetTexture with a view of that texture (DetachTexture for handle 0); Clear for the
// viewport's Clear; DrawIndexedPrimitive for each batch. Nothing is allocated while drawing.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/d3d/D3DTypes.h"
#include "platform/d3d/raster/DepthBuffer.h"
#include "platform/d3d/raster/FastSpan.h"
#include "platform/d3d/raster/PixelStage.h"
#include "platform/d3d/raster/RasterVertex.h"
#include "platform/d3d/raster/RenderStates.h"
#include "platform/d3d/raster/RowBands.h"
#include "platform/d3d/raster/Sampler.h"
#include "platform/d3d/raster/Targets.h"
#include "platform/d3d/raster/TriangleSetup.h"
#include "platform/d3d/raster/WorkerPool.h"

namespace platform::raster {

enum class DrawResult {
  Ok,
  InvalidParams,  // unsupported primitive, missing arrays, an index past the vertex count, or
                  // an index count that is not a whole number of triangles: nothing was drawn
  NoTarget,       // no render target is set: nothing was drawn
};

// Running counts of what the triangle stage did, for tests and tuning.
struct RasterStats {
  std::uint64_t triangles = 0;  // triangles submitted
  std::uint64_t culled = 0;     // removed by the cull mode or for having no area
  std::uint64_t rejected = 0;   // wholly outside the clip rectangle, or not finite
  std::uint64_t clipped = 0;    // cut by the clipper
};

// The thread count devices draw with unless told otherwise: the processor's cores up to
// kDefaultRasterThreadCap where kThreadsByDefault, else 1.
int DefaultThreadCount();

class Rasterizer {
 public:
  Rasterizer();
  ~Rasterizer();
  Rasterizer(const Rasterizer&) = delete;
  Rasterizer& operator=(const Rasterizer&) = delete;

  // Render states keep the DirectX numbering; see RenderStateBlock for what is refused.
  bool SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value);
  bool GetRenderState(D3DRENDERSTATETYPE state, std::uint32_t* value) const;
  const PipelineState& Pipeline() const { return states_.Pipeline(); }

  // Surfaces are validated when set (std::invalid_argument naming the fault) and read or written
  // directly while drawing; their memory must outlive its use here.
  void SetRenderTarget(const RenderTargetView& target);
  void SetDepthBuffer(const DepthBufferView& depth);
  void DetachDepthBuffer();
  void SetTexture(const TextureView& texture);
  void DetachTexture();

  // The viewport in target pixels, (x1, y1) inclusive, (x2, y2) exclusive. Drawing and clearing
  // never leave viewport, target or depth buffer, whatever the vertices say. Until one is set
  // (or after ResetViewport) the viewport is the whole target.
  void SetViewport(const D3DRECT& rect);
  void ResetViewport();

  // Fills the rectangles (each clipped to the viewport and target) with the colour
  // (D3DCLEAR_TARGET, no dither) and/or the depth z (D3DCLEAR_ZBUFFER; 1.0 is the far value;
  // nothing happens to depth when no depth buffer is bound).
  DrawResult Clear(std::uint32_t count, const D3DRECT* rects, std::uint32_t flags, D3DCOLOR color,
                   float z = 1.0f);

  // Draws an indexed triangle list of pre-transformed vertices with the current states. Without
  // D3DDP_DONOTCLIP triangles are clipped to the viewport; with it the caller promises they lie
  // inside, and the rasteriser still keeps every pixel within viewport and target.
  DrawResult DrawIndexedPrimitive(D3DPRIMITIVETYPE type, const D3DTLVERTEX* vertices,
                                  std::uint32_t vertex_count, const std::uint16_t* indices,
                                  std::uint32_t index_count, std::uint32_t flags);

  // How many threads draw (the caller and count - 1 workers of the rasteriser's own), clamped
  // to [1, kMaxRasterThreads]; 1 (the default) draws in the calling thread alone. Every call
  // still returns only when its pixels are written, and the pixels are the same whatever the
  // count. The workers sleep between draw calls and are joined by the destructor.
  void SetThreadCount(int count);
  int ThreadCount() const { return pool_ ? pool_->Size() : 1; }

  // Whether draw calls may use the specialised fast span (kFastSpans by default), and which
  // copy of its kernels; off, every pixel goes through the general span. For tests and
  // benchmarks that compare them.
  void SetFastSpans(bool enabled, SimdLevel level = SimdLevel::Best) {
    fast_spans_ = enabled;
    simd_level_ = level;
  }

  const RasterStats& Stats() const { return stats_; }
  void ResetStats() { stats_ = {}; }

 private:
  struct Batch;
  struct Lane;
  class BandJob;

  PixelRect Scissor(bool with_depth) const;
  PixelRect ClearRect(const D3DRECT& rect, std::int32_t rows) const;
  template <typename Emit>
  void CullAndClip(const Batch& batch, Lane& lane, const D3DTLVERTEX* vertices,
                   const std::uint16_t* index, Emit&& emit);
  void PrepareTriangle(const Batch& batch, Lane& lane, const D3DTLVERTEX* vertices,
                       const std::uint16_t* index, bool perspective);
  void DrawSerially(const Batch& batch, const D3DTLVERTEX* vertices, const std::uint16_t* indices,
                    std::uint32_t index_count);
  void DrawInBands(const Batch& batch, const D3DTLVERTEX* vertices, const std::uint16_t* indices,
                   std::uint32_t index_count);
  void ForgetConvertedVertices();
  // The sets of bands work is split into: kBandSetsPerThread per thread, each taken whole by
  // whichever thread is free (one lane each).
  int BandSets() const { return static_cast<int>(lanes_.size()); }
  static bool WorthBands(const PixelRect& scissor, const D3DTLVERTEX* vertices,
                         const std::uint16_t* indices, std::uint32_t index_count);
  static void Shade(const Batch& batch, const TriangleSetup& setup, bool perspective);

  RenderStateBlock states_;
  std::optional<RenderTargetView> target_;
  std::optional<DepthBufferView> depth_;
  std::optional<TextureView> texture_;
  std::optional<PixelRect> viewport_;
  Sampler sampler_;
  RasterStats stats_;
  bool fast_spans_ = kFastSpans;
  SimdLevel simd_level_ = SimdLevel::Best;
  std::uint32_t draw_number_ = 0;  // 1..0xFFFF, tags the lanes' converted vertices

  // What each set of bands keeps of its own while a thread draws it (lane 0 is the caller's):
  // converted vertices and scratch triangles.
  std::vector<std::unique_ptr<Lane>> lanes_;
  // The workers, when more than one thread draws.
  std::unique_ptr<WorkerPool> pool_;
  // The chunks of the draw call being drawn in bands with their set-up triangles, grown as a
  // larger call needs them.
  std::unique_ptr<SetupChunk[]> chunks_;
  std::uint32_t chunk_capacity_ = 0;
  std::uint32_t band_draw_stamp_ = 0;  // the stamp of the current call's chunks, never 0
};

}  // namespace platform::raster
