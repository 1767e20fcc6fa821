#include "render/TransformPass.h"

#include <algorithm>
#include <cmath>

#include "scene/Texdata.h"

namespace {

enum class BoxClass { Whole, Out, Partial };

constexpr float kScreenDepthScale = 0.002f;  // camera depth 0..500 -> screen depth 0..1
constexpr float kNearDepth = 0.01f;          // below this depth the projection factor is fixed
constexpr float kFarClipDepth = 500.0f;      // far bound of the per-vertex screen test

struct ScreenBox {
  float sxlo = 1e30f, sxhi = -1e30f, sylo = 1e30f, syhi = -1e30f;
  float zlo = 1e30f, zhi = -1e30f;
};

ScreenBox ProjectBox(const TKorRenderer& R, const Matrix4& W, const TKorObject& obj) {
  ScreenBox box;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector3 p{(corner & 1) ? obj.BoxMax.x : obj.BoxMin.x,
                    (corner & 2) ? obj.BoxMax.y : obj.BoxMin.y,
                    (corner & 4) ? obj.BoxMax.z : obj.BoxMin.z};
    const Vector3 q = TransformPoint(W, p);
    box.zlo = std::min(box.zlo, q.z);
    box.zhi = std::max(box.zhi, q.z);
    const float k = std::fabs(q.z) <= kNearDepth ? 100.0f * R.Zoom : std::fabs(R.Zoom / q.z);
    const float sx = q.x * k + R.HalfWidth, sy = q.y * k + R.HalfHeight;
    box.sxlo = std::min(box.sxlo, sx);
    box.sxhi = std::max(box.sxhi, sx);
    box.sylo = std::min(box.sylo, sy);
    box.syhi = std::max(box.syhi, sy);
  }
  return box;
}

BoxClass Classify(const TKorRenderer& R, const ScreenBox& box) {
  const float dlo = kScreenDepthScale * box.zlo, dhi = kScreenDepthScale * box.zhi;
  if (box.sxlo > 0 && box.sxhi < R.ScreenRight && box.sylo > 0 && box.syhi < R.ScreenBottom &&
      dlo > 0 && dhi < 1) {
    return BoxClass::Whole;
  }
  if (box.sxhi < 0 || box.sxlo > R.ScreenRight || box.syhi < 0 || box.sylo > R.ScreenBottom ||
      dhi < 0 || dlo > 1) {
    return BoxClass::Out;
  }
  return BoxClass::Partial;
}

// Scales the red, green and blue bytes of an ARGB colour by I, keeping alpha.
uint32_t ShadeColor(uint32_t color, float I) {
  const auto scale = [I](uint32_t byte) { return static_cast<uint32_t>(byte * I) & 0xFFu; };
  return (color & 0xFF000000u) | (scale((color >> 16) & 0xFFu) << 16) |
         (scale((color >> 8) & 0xFFu) << 8) | scale(color & 0xFFu);
}

uint32_t SpecularColor(float I, float fog) {
  const auto alpha = static_cast<uint32_t>(255.0f * (1.0f - fog));
  const float grey = std::clamp((I - 0.25f) * 0.5f * 255.0f, 0.0f, 255.0f);
  const auto g = static_cast<uint32_t>(grey);
  return (alpha << 24) | (g << 16) | (g << 8) | g;
}

// ClipFlags of a vertex whose results are not all finite (from a NaN or huge coordinate,
// normal, matrix, light or zoom): no polygon naming it is drawn.
constexpr int32_t kNotFinite = 2;

bool IsFinite(const D3DTLVERTEX& v, float shade) {
  return std::isfinite(v.sx) && std::isfinite(v.sy) && std::isfinite(v.sz) &&
         std::isfinite(v.rhw) && std::isfinite(v.tu) && std::isfinite(v.tv) && std::isfinite(shade);
}

// Transforms, projects, shades and fogs every vertex of obj into the vertex buffer; returns
// how many of them were not finite (each counted in the losses and marked kNotFinite).
int32_t TransformVertices(TKorRenderer& R, const Matrix4& W, const Matrix4& N, TKorObject& obj,
                          bool partial) {
  int32_t notFinite = 0;
  obj.FirstIndex = R.VertexFill;
  D3DTLVERTEX* out = R.VertexBuffer.data() + R.VertexFill;
  const float screenWidth = static_cast<float>(R.ScreenWidth);
  const float screenHeight = static_cast<float>(R.ScreenHeight);
  for (int32_t i = 0; i < obj.VertexCount; ++i, ++out) {
    TKorVertex& v = obj.Vertices[static_cast<size_t>(i)];
    const Vector3 p = TransformPoint(W, {v.X, v.Y, v.Z});
    const Vector3 n = TransformDirection(N, {v.NX, v.NY, v.NZ});
    const float shade = (n.x * R.Light.x + n.y * R.Light.y + n.z * R.Light.z) * 0.25f + 0.5f;
    const float k = std::fabs(p.z) > kNearDepth ? R.Zoom / p.z : 100.0f;
    out->sx = p.x * k + R.HalfWidth;
    out->sy = p.y * k + R.HalfHeight;
    out->sz = kScreenDepthScale * p.z;
    out->rhw = k;
    out->tu = v.U;
    out->tv = v.V;
    const bool finite = IsFinite(*out, shade);
    // Normals and light need not be unit length; keep the intensity within a byte's range.
    // A vertex that is not finite is never drawn, but its colours are still made from a
    // number in range, as every float-to-integer conversion here must be.
    const float I = finite ? std::clamp(shade, 0.0f, 1.0f) : 0.0f;
    const float fog = finite && out->sz > 0.4f ? std::min((out->sz - 0.4f) * 2.0f, 1.0f) : 0.0f;
    out->color = ShadeColor(v.Color, I);
    out->specular = SpecularColor(I, fog);
    v.ClipFlags = partial && out->sx > 0 && out->sx < screenWidth && out->sy > 0 &&
                          out->sy < screenHeight && out->sz > kNearDepth && out->sz < kFarClipDepth
                      ? 1
                      : 0;
    if (!finite) {
      v.ClipFlags = kNotFinite;
      ++notFinite;
    }
  }
  R.VertexFill += obj.VertexCount;
  R.Losses.Vertices += notFinite;
  return notFinite;
}

// A polygon the frame pass can draw without reading outside its owner's vertices.
bool PolygonIsWellFormed(const TKorPolygon& p, const TKorObject& obj) {
  if (p.Count < 3 || static_cast<size_t>(p.Count) > p.Indices.size()) return false;
  for (int32_t i = 0; i < p.Count; ++i) {
    if (p.Indices[static_cast<size_t>(i)] >= obj.VertexCount) return false;
  }
  return p.TexRef != nullptr && p.TexRef->Number >= 0 && p.TexRef->Number < TextureQueueCount;
}

void Queue(TKorRenderer& R, TKorPolygon& p) {
  // Leave room for the two sentinels the frame pass puts around any one queue.
  if (R.NodeFill > R.MaxPolygons - 3) {
    ++R.Losses.Polygons;
    return;
  }
  BucketNode& node = R.BucketNodes[static_cast<size_t>(R.NodeFill)];
  BucketNode*& head = R.Buckets[static_cast<size_t>(p.TexRef->Number)];
  node.Polygon = &p;
  node.NextNode = head;
  head = &node;
  ++R.NodeFill;
}

// False when the polygon's first four (or three) transformed vertices lie wholly off screen.
bool MayShow(const TKorRenderer& R, const TKorPolygon& p, const TKorObject& obj) {
  const int32_t tested = p.Count < 4 ? 3 : 4;
  float sxlo = 1e30f, sxhi = -1e30f, sylo = 1e30f, syhi = -1e30f, szlo = 1e30f, szhi = -1e30f;
  for (int32_t i = 0; i < tested; ++i) {
    const D3DTLVERTEX& v =
        R.VertexBuffer[static_cast<size_t>(obj.FirstIndex + p.Indices[static_cast<size_t>(i)])];
    sxlo = std::min(sxlo, v.sx);
    sxhi = std::max(sxhi, v.sx);
    sylo = std::min(sylo, v.sy);
    syhi = std::max(syhi, v.sy);
    szlo = std::min(szlo, v.sz);
    szhi = std::max(szhi, v.sz);
  }
  return !(sxlo > R.ScreenRight || sxhi < 0 || sylo > R.ScreenBottom || syhi < 0 || szlo > 1 ||
           szhi < 0);
}

bool AllVerticesInside(const TKorPolygon& p, const TKorObject& obj) {
  for (int32_t i = 0; i < p.Count; ++i) {
    if (obj.Vertices[p.Indices[static_cast<size_t>(i)]].ClipFlags != 1) return false;
  }
  return true;
}

bool NamesAVertexNotFinite(const TKorPolygon& p, const TKorObject& obj) {
  for (int32_t i = 0; i < p.Count; ++i) {
    if (obj.Vertices[p.Indices[static_cast<size_t>(i)]].ClipFlags == kNotFinite) return true;
  }
  return false;
}

void QueuePolygons(TKorRenderer& R, TKorObject& obj, bool partial, bool anyNotFinite) {
  for (int32_t f = 0; f < obj.FaceCount; ++f) {
    TKorPolygon& p = obj.Faces[static_cast<size_t>(f)];
    if (!PolygonIsWellFormed(p, obj) || (anyNotFinite && NamesAVertexNotFinite(p, obj))) {
      ++R.Losses.Polygons;
      continue;
    }
    if (partial) {
      if (!MayShow(R, p, obj)) continue;
      p.ClipState = AllVerticesInside(p, obj) ? 2 : 0;
    } else {
      p.ClipState = 2;
    }
    Queue(R, p);
  }
}

void TransformObject(TKorRenderer& R, const Matrix4& W, const Matrix4& N, TKorObject& obj) {
  const BoxClass kind = Classify(R, ProjectBox(R, W, obj));
  if (kind == BoxClass::Out) return;
  if (obj.VertexCount > VertexLimit(R) - R.VertexFill) {
    ++R.Losses.Objects;
    return;
  }
  const bool partial = kind == BoxClass::Partial;
  const int32_t notFinite = TransformVertices(R, W, N, obj, partial);
  QueuePolygons(R, obj, partial, notFinite > 0);
}

}  // namespace

void TransformTree(TKorRenderer& R, const Matrix4& ParentMatrix, const Matrix4& ParentNormal,
                   TKorObject* Obj) {
  // Siblings share the parent's matrices and are walked in a loop; children recurse. A hidden
  // object ends the walk of its sibling chain, hiding its descendants and later siblings.
  for (TKorObject* obj = Obj; obj != nullptr && obj->Visible == 1; obj = obj->Next) {
    Matrix4 W, N;
    MatrixMultiply(obj->Local, obj->Base, W);
    MatrixMultiply(W, ParentMatrix, W);
    MatrixMultiply(obj->Local, ParentNormal, N);
    obj->Combined = W;
    TransformObject(R, W, N, *obj);
    if (obj->FirstChild != nullptr) TransformTree(R, W, N, obj->FirstChild);
  }
}
