#include "render/TransformPass.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "scene/Texdata.h"

namespace {

enum class BoxClass { Whole, Out, Partial };

// The arithmetic runs in double and is rounded to single once, where the vertex buffer stores
// it; the constants are the decimals at that precision, so that camera depth 20 lands on the
// single nearest screen depth 0.04 and depth 5 on the one nearest 0.01.
constexpr double kScreenDepthScale = 0.002;  // camera depth 0..500 -> screen depth 0..1
constexpr double kNearDepth = 0.01;          // below this depth the projection factor is fixed
constexpr double kFarClipDepth = 500.0;      // far bound of the per-vertex screen test
constexpr double kFogStart = 0.4;            // screen depth where vertex fog begins

struct ScreenBox {
  double sxlo = 1e300, sxhi = -1e300, sylo = 1e300, syhi = -1e300;
  double zlo = 1e300, zhi = -1e300;
};

ScreenBox ProjectBox(const TKorRenderer& R, const Matrix4& W, const TKorObject& obj) {
  ScreenBox box;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector3 p{(corner & 1) ? obj.BoxMax.x : obj.BoxMin.x,
                    (corner & 2) ? obj.BoxMax.y : obj.BoxMin.y,
                    (corner & 4) ? obj.BoxMax.z : obj.BoxMin.z};
    const Vector3d q = TransformPointExact(W, p);
    box.zlo = std::min(box.zlo, q.z);
    box.zhi = std::max(box.zhi, q.z);
    const double zoom = R.Zoom;
    const double k = std::fabs(q.z) <= kNearDepth ? 100.0 * zoom : std::fabs(zoom / q.z);
    const double sx = q.x * k + R.HalfWidth, sy = q.y * k + R.HalfHeight;
    box.sxlo = std::min(box.sxlo, sx);
    box.sxhi = std::max(box.sxhi, sx);
    box.sylo = std::min(box.sylo, sy);
    box.syhi = std::max(box.syhi, sy);
  }
  return box;
}

BoxClass Classify(const TKorRenderer& R, const ScreenBox& box) {
  const double dlo = kScreenDepthScale * box.zlo, dhi = kScreenDepthScale * box.zhi;
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
uint32_t ShadeColor(uint32_t color, double I) {
  const auto scale = [I](uint32_t byte) { return static_cast<uint32_t>(byte * I) & 0xFFu; };
  return (color & 0xFF000000u) | (scale((color >> 16) & 0xFFu) << 16) |
         (scale((color >> 8) & 0xFFu) << 8) | scale(color & 0xFFu);
}

uint32_t SpecularColor(double I, double fog) {
  const auto alpha = static_cast<uint32_t>(255.0 * (1.0 - fog));
  const double grey = std::clamp((I - 0.25) * 0.5 * 255.0, 0.0, 255.0);
  const auto g = static_cast<uint32_t>(grey);
  return (alpha << 24) | (g << 16) | (g << 8) | g;
}

// The fog factor of a stored screen depth: 0 up to 0.4, then rising to 1 at 0.9.
double FogFactor(float sz) {
  return sz > kFogStart ? std::min((sz - kFogStart) * 2.0, 1.0) : 0.0;
}

// A matrix's first three columns widened to double once per object. Widening is exact, so
// the sums are those of TransformPointExact and TransformDirectionExact; the vertex loop then
// converts only the vertex.
struct WideMatrix {
  std::array<double, 16> m;
  explicit WideMatrix(const Matrix4& M) {
    for (size_t i = 0; i < m.size(); ++i) m[i] = M.m[i];
  }
  Vector3d Direction(double x, double y, double z) const {
    return {x * m[0] + y * m[4] + z * m[8], x * m[1] + y * m[5] + z * m[9],
            x * m[2] + y * m[6] + z * m[10]};
  }
  Vector3d Point(double x, double y, double z) const {
    return {x * m[0] + y * m[4] + z * m[8] + m[12], x * m[1] + y * m[5] + z * m[9] + m[13],
            x * m[2] + y * m[6] + z * m[10] + m[14]};
  }
};

// ClipFlags of a vertex whose results are not all finite (from a NaN or huge coordinate,
// normal, matrix, light or zoom): no polygon naming it is drawn.
constexpr int32_t kNotFinite = 2;

bool IsFinite(const D3DTLVERTEX& v, double shade) {
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
  const double screenWidth = R.ScreenWidth;
  const double screenHeight = R.ScreenHeight;
  const double zoom = R.Zoom, halfWidth = R.HalfWidth, halfHeight = R.HalfHeight;
  const Vector3d light{R.Light.x, R.Light.y, R.Light.z};
  const WideMatrix toScreen(W), toShading(N);
  for (int32_t i = 0; i < obj.VertexCount; ++i, ++out) {
    TKorVertex& v = obj.Vertices[static_cast<size_t>(i)];
    // Position, normal, factor and intensity stay in double; only what the vertex buffer
    // stores is rounded to single.
    const Vector3d p = toScreen.Point(v.X, v.Y, v.Z);
    const Vector3d n = toShading.Direction(v.NX, v.NY, v.NZ);
    const double shade = (n.x * light.x + n.y * light.y + n.z * light.z) * 0.25 + 0.5;
    const double k = std::fabs(p.z) > kNearDepth ? zoom / p.z : 100.0;
    out->sx = static_cast<float>(p.x * k + halfWidth);
    out->sy = static_cast<float>(p.y * k + halfHeight);
    out->sz = static_cast<float>(kScreenDepthScale * p.z);
    out->rhw = static_cast<float>(k);
    out->tu = v.U;
    out->tv = v.V;
    const bool finite = IsFinite(*out, shade);
    // Normals and light need not be unit length; keep the intensity within a byte's range.
    // A vertex that is not finite is never drawn, but its colours are still made from a
    // number in range, as every float-to-integer conversion here must be.
    const double I = finite ? std::clamp(shade, 0.0, 1.0) : 0.0;
    out->color = ShadeColor(v.Color, I);
    out->specular = SpecularColor(I, finite ? FogFactor(out->sz) : 0.0);
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
