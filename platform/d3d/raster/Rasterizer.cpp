#include "platform/d3d/raster/Rasterizer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "platform/d3d/raster/Clipper.h"
#include "platform/d3d/raster/FastSpan.h"
#include "platform/d3d/raster/RasterConfig.h"
#include "platform/d3d/raster/TriangleSetup.h"
#include "platform/d3d/raster/Validation.h"
#include "platform/d3d/raster/WorkerPool.h"

namespace platform::raster {

// Everything a draw call fixes for all its triangles.
struct Rasterizer::Batch {
  PixelContext context;
  SpanFunction perspective_span = nullptr;
  SpanFunction affine_span = nullptr;
  TriangleFunction perspective_fast = nullptr;  // null where the fast span does not apply
  TriangleFunction affine_fast = nullptr;
  PixelRect scissor;
  ClipRect clip_rect;
  bool perspective = false;
  bool flat = false;
  AttributeMask used = 0;  // the attributes the states read, perspective's 1/w aside
  D3DCULL cull = D3DCULL_NONE;
};

// What one drawing thread keeps of its own. Lanes are allocated one by one and aligned, so two
// threads never write the same cache line.
struct alignas(64) Rasterizer::Lane {
  // Vertices already converted in this draw call (position, depth, 1/w and colours; texture
  // coordinates stay raw, as their shift depends on the triangle). Meshes share each vertex
  // among neighbouring triangles, so a small direct-mapped cache by index finds most again.
  // A tag is the draw call's number in the top 16 bits and the index in the low 16; 0 is empty.
  struct CachedVertex {
    std::uint32_t tag = 0;
    RasterVertex vertex;
  };
  static constexpr std::uint32_t kVertexCacheSize = 256;
  CachedVertex vertex_cache[kVertexCacheSize];
  RasterStats stats;
  // The triangle being prepared, kept here rather than cleared per triangle (every one of its
  // three vertices is written in full).
  RasterVertex triangle[3];
  // The set-up of the triangle being drawn by one thread, or the copy of a triangle narrowed to
  // one band. Set-up writes everything the states read; the attributes they do not read keep
  // the values of an earlier triangle and are never looked at.
  TriangleSetup setup;

  const RasterVertex& Converted(const D3DTLVERTEX* vertices, std::uint16_t index,
                                std::uint32_t draw_number);
};

namespace {

// Pixel centres are integers, so a viewport's pixels lie strictly inside the rectangle grown by
// half a pixel: its sides never pass through a pixel centre, and the scissor picks the pixels.
ClipRect PixelCentreBounds(const PixelRect& rect) {
  return {static_cast<float>(rect.left) - 0.5f, static_cast<float>(rect.top) - 0.5f,
          static_cast<float>(rect.right) - 0.5f, static_cast<float>(rect.bottom) - 0.5f};
}

ClipRect GuardBand(const PixelRect& rect) {
  return {static_cast<float>(rect.left) - kGuardBandPixels,
          static_cast<float>(rect.top) - kGuardBandPixels,
          static_cast<float>(rect.right) + kGuardBandPixels,
          static_cast<float>(rect.bottom) + kGuardBandPixels};
}

PixelRect ToPixelRect(const D3DRECT& rect) {
  return {rect.x1, rect.y1, rect.x2, rect.y2};
}

// Twice the signed area in screen space. With y pointing down, positive means the vertices run
// clockwise on screen; D3DCULL_CCW removes negative (counter-clockwise) triangles, D3DCULL_CW
// positive ones.
double ScreenArea(const D3DTLVERTEX& v0, const D3DTLVERTEX& v1, const D3DTLVERTEX& v2) {
  const double x1 = static_cast<double>(v1.sx) - v0.sx, y1 = static_cast<double>(v1.sy) - v0.sy;
  const double x2 = static_cast<double>(v2.sx) - v0.sx, y2 = static_cast<double>(v2.sy) - v0.sy;
  return x1 * y2 - x2 * y1;
}

bool IsCulled(D3DCULL mode, double area) {
  if (mode == D3DCULL_CCW) return area < 0.0;
  if (mode == D3DCULL_CW) return area > 0.0;
  return false;
}

// The attributes a draw call's states read: depth (for the depth test and table fog) and the
// diffuse colour always, the rest only with the states that use them.
AttributeMask UsedAttributes(const PixelContext& context) {
  AttributeMask used = (1u << kAttrZ) | (1u << kAttrRed) | (1u << kAttrGreen) | (1u << kAttrBlue);
  if (context.sampler != nullptr) used |= (1u << kAttrU) | (1u << kAttrV);
  if (context.alpha_test || context.alpha_blend) used |= 1u << kAttrAlpha;
  if (context.specular) {
    used |= (1u << kAttrSpecularRed) | (1u << kAttrSpecularGreen) | (1u << kAttrSpecularBlue);
  }
  if (context.fog == FogSource::Vertex) used |= 1u << kAttrFog;
  return used;
}

bool HasFinitePosition(const D3DTLVERTEX& v) {
  return std::isfinite(v.sx) && std::isfinite(v.sy);
}

bool UsableForPerspective(const D3DTLVERTEX& v) {
  return std::isfinite(v.rhw) && v.rhw > 0.0f;
}

void SetColorAttributes(D3DCOLOR color, D3DCOLOR specular, RasterVertex* out) {
  out->attr[kAttrRed] = static_cast<float>(RGBA_GETRED(color));
  out->attr[kAttrGreen] = static_cast<float>(RGBA_GETGREEN(color));
  out->attr[kAttrBlue] = static_cast<float>(RGBA_GETBLUE(color));
  out->attr[kAttrAlpha] = static_cast<float>(RGBA_GETALPHA(color));
  out->attr[kAttrSpecularRed] = static_cast<float>(RGBA_GETRED(specular));
  out->attr[kAttrSpecularGreen] = static_cast<float>(RGBA_GETGREEN(specular));
  out->attr[kAttrSpecularBlue] = static_cast<float>(RGBA_GETBLUE(specular));
  out->attr[kAttrFog] = static_cast<float>(RGBA_GETALPHA(specular));
}

}  // namespace

bool Rasterizer::SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) {
  return states_.Set(state, value);
}

bool Rasterizer::GetRenderState(D3DRENDERSTATETYPE state, std::uint32_t* value) const {
  return states_.Get(state, value);
}

void Rasterizer::SetRenderTarget(const RenderTargetView& target) {
  ValidateTarget(target);
  target_ = target;
}

void Rasterizer::SetDepthBuffer(const DepthBufferView& depth) {
  ValidateDepthBuffer(depth);
  depth_ = depth;
}

void Rasterizer::DetachDepthBuffer() {
  depth_.reset();
}

void Rasterizer::SetTexture(const TextureView& texture) {
  ValidateTexture(texture);
  texture_ = texture;
}

void Rasterizer::DetachTexture() {
  texture_.reset();
}

void Rasterizer::SetViewport(const D3DRECT& rect) {
  viewport_ = ToPixelRect(rect);
}

void Rasterizer::ResetViewport() {
  viewport_.reset();
}

PixelRect Rasterizer::Scissor(bool with_depth) const {
  PixelRect scissor{0, 0, target_->width, target_->height};
  if (viewport_) scissor = Intersect(scissor, *viewport_);
  if (with_depth) scissor = Intersect(scissor, {0, 0, depth_->width, depth_->height});
  return scissor;
}

DrawResult Rasterizer::Clear(std::uint32_t count, const D3DRECT* rects, std::uint32_t flags,
                             D3DCOLOR color, float z) {
  if (count > 0 && rects == nullptr) return DrawResult::InvalidParams;
  const bool clear_target = (flags & D3DCLEAR_TARGET) != 0;
  const bool clear_depth = (flags & D3DCLEAR_ZBUFFER) != 0 && depth_.has_value();
  if (clear_target && !target_) return DrawResult::NoTarget;
  if (!clear_target && !clear_depth) return DrawResult::Ok;
  // Rows below every bound surface are nobody's; cutting them off keeps the band walk short.
  std::int32_t rows = 0;
  if (clear_target) rows = target_->height;
  if (clear_depth) rows = std::max(rows, depth_->height);
  std::int64_t pixels = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const PixelRect rect = ClearRect(rects[i], rows);
    if (!rect.IsEmpty()) {
      pixels += std::int64_t{rect.right - rect.left} * (rect.bottom - rect.top);
    }
  }
  // Each worker clears its own bands, which it is about to draw into as well; a worker that has
  // not woken by the time the caller is done with its own bands leaves them to the caller. A
  // clear too small to share still wakes sleeping workers, so that they spin, ready, when the
  // frame's draws come (waking takes tens of microseconds).
  const bool in_bands = pool_ && pixels >= kMinParallelClearPixels;
  if (!in_bands && pool_ && pool_->Asleep()) pool_->Wake();
  auto clear = [&](int worker) {
    const RowBands bands(worker, in_bands ? BandSets() : 1);
    for (std::uint32_t i = 0; i < count; ++i) {
      const PixelRect rect = ClearRect(rects[i], rows);
      if (rect.IsEmpty()) continue;
      bands.ForEach(rect.top, rect.bottom - 1, [&](std::int32_t first, std::int32_t last) {
        const PixelRect part{rect.left, first, rect.right, last + 1};
        if (clear_target) FillTargetRect(*target_, part, color);
        if (clear_depth) FillDepthRect(*depth_, part, z);
      });
    }
  };
  if (in_bands) {
    pool_->Run(clear, BandSets());
  } else {
    clear(0);
  }
  return DrawResult::Ok;
}

// A clear rectangle within the viewport and rows [0, rows).
PixelRect Rasterizer::ClearRect(const D3DRECT& rect, std::int32_t rows) const {
  PixelRect clipped = Intersect(ToPixelRect(rect), {rect.x1, 0, rect.x2, rows});
  if (viewport_) clipped = Intersect(clipped, *viewport_);
  return clipped;
}

DrawResult Rasterizer::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, const D3DTLVERTEX* vertices,
                                            std::uint32_t vertex_count,
                                            const std::uint16_t* indices, std::uint32_t index_count,
                                            std::uint32_t flags) {
  if (!target_) return DrawResult::NoTarget;
  if (type != D3DPT_TRIANGLELIST || index_count % 3 != 0) return DrawResult::InvalidParams;
  if (index_count == 0) return DrawResult::Ok;
  if (vertices == nullptr || indices == nullptr) return DrawResult::InvalidParams;
  if (*std::max_element(indices, indices + index_count) >= vertex_count) {
    return DrawResult::InvalidParams;
  }

  const PipelineState& state = states_.Pipeline();
  if (texture_) sampler_.Bind(*texture_, state.address_u, state.address_v);
  Batch batch;
  const bool depth_used = state.z_enable && depth_.has_value();
  batch.context = MakePixelContext(state, *target_, depth_used ? &*depth_ : nullptr,
                                   texture_ ? &sampler_ : nullptr);
  batch.perspective_span = SelectSpanFunction(batch.context, true);
  batch.affine_span = SelectSpanFunction(batch.context, false);
  if (fast_spans_) {
    batch.perspective_fast = SelectFastTriangle(batch.context, true, simd_level_);
    batch.affine_fast = SelectFastTriangle(batch.context, false, simd_level_);
  }
  batch.scissor = Scissor(depth_used);
  if (batch.scissor.IsEmpty()) return DrawResult::Ok;
  batch.clip_rect =
      (flags & D3DDP_DONOTCLIP) != 0 ? GuardBand(batch.scissor) : PixelCentreBounds(batch.scissor);
  batch.perspective = state.perspective && texture_.has_value();
  batch.flat = state.shade_mode == D3DSHADE_FLAT;
  batch.cull = state.cull_mode;
  batch.used = UsedAttributes(batch.context);

  if (++draw_number_ > 0xFFFFu) ForgetConvertedVertices();
  if (pool_ && WorthBands(batch.scissor, vertices, indices, index_count)) {
    DrawInBands(batch, vertices, indices, index_count);
  } else {
    DrawSerially(batch, vertices, indices, index_count);
  }
  for (const std::unique_ptr<Lane>& lane : lanes_) {
    stats_.triangles += lane->stats.triangles;
    stats_.culled += lane->stats.culled;
    stats_.rejected += lane->stats.rejected;
    stats_.clipped += lane->stats.clipped;
    lane->stats = {};
  }
  return DrawResult::Ok;
}

// Whether a draw call has enough work to wake the workers for: many triangles, or a few whose
// bounding box covers many pixels over more than one band.
bool Rasterizer::WorthBands(const PixelRect& scissor, const D3DTLVERTEX* vertices,
                            const std::uint16_t* indices, std::uint32_t index_count) {
  if (index_count / 3 >= kMinParallelTriangles) return true;
  float left = vertices[indices[0]].sx, right = left;
  float top = vertices[indices[0]].sy, bottom = top;
  for (std::uint32_t i = 1; i < index_count; ++i) {
    const D3DTLVERTEX& v = vertices[indices[i]];
    left = std::min(left, v.sx);
    right = std::max(right, v.sx);
    top = std::min(top, v.sy);
    bottom = std::max(bottom, v.sy);
  }
  // Not-a-number coordinates fail every comparison below and keep such a call on one thread.
  const float width = std::min(right, static_cast<float>(scissor.right)) -
                      std::max(left, static_cast<float>(scissor.left));
  const float height = std::min(bottom, static_cast<float>(scissor.bottom)) -
                       std::max(top, static_cast<float>(scissor.top));
  return height > static_cast<float>(kBandRows) &&
         width * height >= static_cast<float>(kMinParallelPixels);
}

// Tags of 65,536 calls ago would match again: every lane forgets its vertices.
void Rasterizer::ForgetConvertedVertices() {
  for (const std::unique_ptr<Lane>& lane : lanes_) {
    for (Lane::CachedVertex& cached : lane->vertex_cache) cached.tag = 0;
  }
  draw_number_ = 1;
}

const RasterVertex& Rasterizer::Lane::Converted(const D3DTLVERTEX* vertices, std::uint16_t index,
                                                std::uint32_t draw_number) {
  CachedVertex& cached = vertex_cache[index % kVertexCacheSize];
  const std::uint32_t tag = (draw_number << 16) | index;
  if (cached.tag != tag) {
    const D3DTLVERTEX& v = vertices[index];
    RasterVertex& r = cached.vertex;
    r.x = v.sx;
    r.y = v.sy;
    r.attr[kAttrZ] = v.sz;
    r.attr[kAttrRhw] = v.rhw;
    r.attr[kAttrU] = v.tu;
    r.attr[kAttrV] = v.tv;
    SetColorAttributes(v.color, v.specular, &r);
    cached.tag = tag;
  }
  return cached.vertex;
}

// Culls, rejects and clips one triangle of the list and hands what is left to emit as
// (v0, v1, v2, perspective), once per triangle of the clipped fan, in order.
template <typename Emit>
void Rasterizer::CullAndClip(const Batch& batch, Lane& lane, const D3DTLVERTEX* vertices,
                             const std::uint16_t* index, Emit&& emit) {
  const D3DTLVERTEX& v0 = vertices[index[0]];
  const D3DTLVERTEX& v1 = vertices[index[1]];
  const D3DTLVERTEX& v2 = vertices[index[2]];
  ++lane.stats.triangles;
  if (!HasFinitePosition(v0) || !HasFinitePosition(v1) || !HasFinitePosition(v2)) {
    ++lane.stats.rejected;
    return;
  }
  const double area = ScreenArea(v0, v1, v2);
  if (!(area != 0.0) || IsCulled(batch.cull, area)) {
    ++lane.stats.culled;
    return;
  }

  // A vertex behind the eye or without a usable 1/w cannot be divided by; such a triangle is
  // drawn with affine texture coordinates instead.
  const bool perspective = batch.perspective && UsableForPerspective(v0) &&
                           UsableForPerspective(v1) && UsableForPerspective(v2);
  PrepareTriangle(batch, lane, vertices, index, perspective);
  const RasterVertex(&triangle)[3] = lane.triangle;

  switch (Classify(triangle, batch.clip_rect)) {
    case ClipRelation::Outside:
      ++lane.stats.rejected;
      return;
    case ClipRelation::Inside:
      emit(triangle[0], triangle[1], triangle[2], perspective);
      return;
    case ClipRelation::Crossing:
      break;
  }
  ++lane.stats.clipped;
  RasterVertex polygon[kMaxClippedVertices];
  const int count = ClipTriangle(triangle, batch.clip_rect, polygon);
  for (int i = 1; i + 1 < count; ++i) emit(polygon[0], polygon[i], polygon[i + 1], perspective);
}

void Rasterizer::PrepareTriangle(const Batch& batch, Lane& lane, const D3DTLVERTEX* vertices,
                                 const std::uint16_t* index, bool perspective) {
  const PipelineState& state = states_.Pipeline();
  const D3DTLVERTEX* source[3] = {&vertices[index[0]], &vertices[index[1]], &vertices[index[2]]};
  const float shift_u = Sampler::RepeatShift(
      std::min({source[0]->tu, source[1]->tu, source[2]->tu}), state.address_u);
  const float shift_v = Sampler::RepeatShift(
      std::min({source[0]->tv, source[1]->tv, source[2]->tv}), state.address_v);
  RasterVertex(&out)[3] = lane.triangle;
  for (int i = 0; i < 3; ++i) {
    RasterVertex& r = out[i];
    r = lane.Converted(vertices, index[i], draw_number_);
    const float w_factor = perspective ? r.attr[kAttrRhw] : 1.0f;
    r.attr[kAttrU] = (r.attr[kAttrU] - shift_u) * w_factor;
    r.attr[kAttrV] = (r.attr[kAttrV] - shift_v) * w_factor;
    // Flat shading takes both colours (and the vertex fog) of the first vertex.
    if (batch.flat && i > 0) {
      std::copy(out[0].attr + kAttrRed, out[0].attr + kAttrFog + 1, r.attr + kAttrRed);
    }
  }
}

// Shades every covered pixel of a set-up triangle in rows [setup.first_row, setup.last_row].
void Rasterizer::Shade(const Batch& batch, const TriangleSetup& setup, bool perspective) {
  if (const TriangleFunction fast = perspective ? batch.perspective_fast : batch.affine_fast) {
    fast(batch.context, setup);
    return;
  }
  const SpanFunction span = perspective ? batch.perspective_span : batch.affine_span;
  RowWalker rows(setup);
  for (std::int32_t y = setup.first_row; y <= setup.last_row; ++y, rows.Next()) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    if (rows.Span(&first, &last)) span(batch.context, setup, y, first, last);
  }
}

namespace {

AttributeMask SetupAttributes(AttributeMask used, bool perspective) {
  return perspective ? used | (1u << kAttrRhw) : used;
}

}  // namespace

void Rasterizer::DrawSerially(const Batch& batch, const D3DTLVERTEX* vertices,
                              const std::uint16_t* indices, std::uint32_t index_count) {
  Lane& lane = *lanes_[0];
  auto shade = [&](const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2,
                   bool perspective) {
    if (SetupTriangle(v0, v1, v2, batch.scissor, &lane.setup,
                      SetupAttributes(batch.used, perspective))) {
      Shade(batch, lane.setup, perspective);
    }
  };
  for (std::uint32_t i = 0; i < index_count; i += 3) {
    CullAndClip(batch, lane, vertices, indices + i, shade);
  }
}

// One worker's part of a draw call drawn in bands. Chunks of triangles are claimed in order
// from a shared counter and set up by the claiming worker (so a worker that wakes late sets up
// fewer); every worker shades its own bands of every chunk in order, and while the
// next chunk is not yet published it claims and sets up another rather than wait.
class Rasterizer::BandJob {
 public:
  BandJob(Rasterizer& raster, const Batch& batch, const D3DTLVERTEX* vertices,
          const std::uint16_t* indices, std::uint32_t triangles)
      : raster_(raster),
        batch_(batch),
        vertices_(vertices),
        indices_(indices),
        triangles_(triangles),
        chunk_count_((triangles + kSetupChunkTriangles - 1) / kSetupChunkTriangles),
        workers_(raster.BandSets()),
        stamp_(raster.band_draw_stamp_) {}

  void operator()(int worker) {
    Lane& lane = *raster_.lanes_[static_cast<std::size_t>(worker)];
    const RowBands bands(worker, workers_);
    for (std::uint32_t c = 0; c < chunk_count_; ++c) {
      const SetupChunk& chunk = raster_.chunks_[c];
      for (std::uint32_t spin = 1; chunk.ready.load(std::memory_order_acquire) != stamp_; ++spin) {
        if (next_chunk_.load(std::memory_order_relaxed) < chunk_count_) {
          const std::uint32_t claimed = next_chunk_.fetch_add(1, std::memory_order_relaxed);
          if (claimed < chunk_count_) SetUpChunk(lane, claimed);
        } else if (spin % 256 == 0) {
          std::this_thread::yield();  // the chunk's worker may have lost its core
        }
      }
      for (std::uint32_t t = 0; t < chunk.count; ++t) {
        ShadeOwnRows(lane, bands, chunk.rows[t], chunk.slots[t]);
      }
    }
  }

 private:
  void SetUpChunk(Lane& lane, std::uint32_t c) {
    SetupChunk& chunk = raster_.chunks_[c];
    chunk.count = 0;
    auto set_up = [&](const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2,
                      bool perspective) {
      SetUpTriangle& out = chunk.Next();
      if (SetupTriangle(v0, v1, v2, batch_.scissor, &out.setup,
                        SetupAttributes(batch_.used, perspective))) {
        out.perspective = perspective;
        chunk.Keep();
      }
    };
    const std::uint32_t first = c * kSetupChunkTriangles;
    const std::uint32_t end = std::min(first + kSetupChunkTriangles, triangles_);
    for (std::uint32_t t = first; t < end; ++t) {
      raster_.CullAndClip(batch_, lane, vertices_, indices_ + 3 * std::size_t{t}, set_up);
    }
    chunk.ready.store(stamp_, std::memory_order_release);
  }

  // Shades the rows of the triangle that lie in this worker's bands: the whole triangle when it
  // lies in one of them, else a copy narrowed to each band in turn (a pixel's values do not
  // depend on the row its triangle's walk starts at). The set-up is not read at all when no row
  // is this worker's.
  void ShadeOwnRows(Lane& lane, const RowBands& bands, RowSpan rows,
                    const SetUpTriangle& triangle) {
    bool copied = false;
    bands.ForEach(rows.first, rows.last, [&](std::int32_t first, std::int32_t last) {
      if (first == rows.first && last == rows.last) {
        Shade(batch_, triangle.setup, triangle.perspective);
        return;
      }
      if (!copied) lane.setup = triangle.setup;
      copied = true;
      lane.setup.first_row = first;
      lane.setup.last_row = last;
      Shade(batch_, lane.setup, triangle.perspective);
    });
  }

  Rasterizer& raster_;
  const Batch& batch_;
  const D3DTLVERTEX* vertices_;
  const std::uint16_t* indices_;
  std::uint32_t triangles_;
  std::uint32_t chunk_count_;
  int workers_;
  std::uint32_t stamp_;
  std::atomic<std::uint32_t> next_chunk_{0};  // the first chunk no worker has claimed
};

void Rasterizer::DrawInBands(const Batch& batch, const D3DTLVERTEX* vertices,
                             const std::uint16_t* indices, std::uint32_t index_count) {
  const std::uint32_t triangles = index_count / 3;
  const std::uint32_t chunks = (triangles + kSetupChunkTriangles - 1) / kSetupChunkTriangles;
  if (chunks > chunk_capacity_) {
    // The chunks' storage moves to the larger array (the workers are idle between calls).
    const std::uint32_t grown = std::max(chunks, 2 * chunk_capacity_);
    auto larger = std::make_unique<SetupChunk[]>(grown);
    for (std::uint32_t c = 0; c < chunk_capacity_; ++c) {
      larger[c].slots = std::move(chunks_[c].slots);
      larger[c].rows = std::move(chunks_[c].rows);
      larger[c].capacity = chunks_[c].capacity;
      larger[c].ready.store(chunks_[c].ready.load());
    }
    chunks_ = std::move(larger);
    chunk_capacity_ = grown;
  }
  if (++band_draw_stamp_ == 0) {  // stamps of 2^32 calls ago would match again
    for (std::uint32_t c = 0; c < chunk_capacity_; ++c) chunks_[c].ready.store(0);
    band_draw_stamp_ = 1;
  }
  BandJob job(*this, batch, vertices, indices, triangles);
  pool_->Run(job, BandSets());
}

int DefaultThreadCount() {
  if (!kThreadsByDefault) return 1;
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, kDefaultRasterThreadCap);
}

Rasterizer::Rasterizer() {
  lanes_.push_back(std::make_unique<Lane>());
}

Rasterizer::~Rasterizer() = default;

void Rasterizer::SetThreadCount(int count) {
  count = std::clamp(count, 1, kMaxRasterThreads);
  if (count == ThreadCount()) return;
  pool_.reset();
  const std::size_t lanes = static_cast<std::size_t>(count == 1 ? 1 : count * kBandSetsPerThread);
  while (lanes_.size() < lanes) lanes_.push_back(std::make_unique<Lane>());
  lanes_.resize(lanes);
  if (count > 1) pool_ = std::make_unique<WorkerPool>(count);
}

}  // namespace platform::raster
