#include "platform/d3d/raster/Rasterizer.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/raster/Clipper.h"
#include "platform/d3d/raster/FastSpan.h"
#include "platform/d3d/raster/RasterConfig.h"
#include "platform/d3d/raster/TriangleSetup.h"
#include "platform/d3d/raster/Validation.h"

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
  for (std::uint32_t i = 0; i < count; ++i) {
    PixelRect rect = ToPixelRect(rects[i]);
    if (viewport_) rect = Intersect(rect, *viewport_);
    if (clear_target) FillTargetRect(*target_, rect, color);
    if (clear_depth) FillDepthRect(*depth_, rect, z);
  }
  return DrawResult::Ok;
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

  if (++draw_number_ > 0xFFFFu) {  // tags of 65,536 calls ago would match again: forget them
    for (CachedVertex& cached : vertex_cache_) cached.tag = 0;
    draw_number_ = 1;
  }
  for (std::uint32_t i = 0; i < index_count; i += 3) DrawTriangle(batch, vertices, indices + i);
  return DrawResult::Ok;
}

const RasterVertex& Rasterizer::Converted(const D3DTLVERTEX* vertices, std::uint16_t index) {
  CachedVertex& cached = vertex_cache_[index % kVertexCacheSize];
  const std::uint32_t tag = (draw_number_ << 16) | index;
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

void Rasterizer::DrawTriangle(const Batch& batch, const D3DTLVERTEX* vertices,
                              const std::uint16_t* index) {
  const D3DTLVERTEX& v0 = vertices[index[0]];
  const D3DTLVERTEX& v1 = vertices[index[1]];
  const D3DTLVERTEX& v2 = vertices[index[2]];
  ++stats_.triangles;
  if (!HasFinitePosition(v0) || !HasFinitePosition(v1) || !HasFinitePosition(v2)) {
    ++stats_.rejected;
    return;
  }
  const double area = ScreenArea(v0, v1, v2);
  if (!(area != 0.0) || IsCulled(batch.cull, area)) {
    ++stats_.culled;
    return;
  }

  // A vertex behind the eye or without a usable 1/w cannot be divided by; such a triangle is
  // drawn with affine texture coordinates instead.
  const bool perspective = batch.perspective && UsableForPerspective(v0) &&
                           UsableForPerspective(v1) && UsableForPerspective(v2);
  RasterVertex(&triangle)[3] = triangle_;
  PrepareTriangle(batch, vertices, index, perspective, triangle);

  switch (Classify(triangle, batch.clip_rect)) {
    case ClipRelation::Outside:
      ++stats_.rejected;
      return;
    case ClipRelation::Inside:
      RasterizeTriangle(batch, triangle[0], triangle[1], triangle[2], perspective);
      return;
    case ClipRelation::Crossing:
      break;
  }
  ++stats_.clipped;
  RasterVertex polygon[kMaxClippedVertices];
  const int count = ClipTriangle(triangle, batch.clip_rect, polygon);
  for (int i = 1; i + 1 < count; ++i) {
    RasterizeTriangle(batch, polygon[0], polygon[i], polygon[i + 1], perspective);
  }
}

void Rasterizer::PrepareTriangle(const Batch& batch, const D3DTLVERTEX* vertices,
                                 const std::uint16_t* index, bool perspective,
                                 RasterVertex (&out)[3]) {
  const PipelineState& state = states_.Pipeline();
  const D3DTLVERTEX* source[3] = {&vertices[index[0]], &vertices[index[1]], &vertices[index[2]]};
  const float shift_u = Sampler::RepeatShift(
      std::min({source[0]->tu, source[1]->tu, source[2]->tu}), state.address_u);
  const float shift_v = Sampler::RepeatShift(
      std::min({source[0]->tv, source[1]->tv, source[2]->tv}), state.address_v);
  for (int i = 0; i < 3; ++i) {
    RasterVertex& r = out[i];
    r = Converted(vertices, index[i]);
    const float w_factor = perspective ? r.attr[kAttrRhw] : 1.0f;
    r.attr[kAttrU] = (r.attr[kAttrU] - shift_u) * w_factor;
    r.attr[kAttrV] = (r.attr[kAttrV] - shift_v) * w_factor;
    // Flat shading takes both colours (and the vertex fog) of the first vertex.
    if (batch.flat && i > 0) {
      std::copy(out[0].attr + kAttrRed, out[0].attr + kAttrFog + 1, r.attr + kAttrRed);
    }
  }
}

void Rasterizer::RasterizeTriangle(const Batch& batch, const RasterVertex& v0,
                                   const RasterVertex& v1, const RasterVertex& v2,
                                   bool perspective) {
  TriangleSetup& setup = setup_;
  const AttributeMask used = perspective ? batch.used | (1u << kAttrRhw) : batch.used;
  if (!SetupTriangle(v0, v1, v2, batch.scissor, &setup, used)) return;
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

}  // namespace platform::raster
