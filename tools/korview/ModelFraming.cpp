#include "tools/korview/ModelFraming.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kFloor = 16;      // the smallest buffers a renderer is made with
constexpr float kMargin = 1.1f;     // room around the framed sphere
constexpr float kNotch = 120.0f;    // wheel delta of one notch
constexpr float kNotchStep = 0.9f;  // each notch brings the camera this much closer

bool HasBox(const TKorObject& Object) {
  return Object.VertexCount + Object.PointCount > 0 && Object.BoxMin.x <= Object.BoxMax.x &&
         Object.BoxMin.y <= Object.BoxMax.y && Object.BoxMin.z <= Object.BoxMax.z;
}

// Grows Bounds by Object's box and its descendants' (not by its later siblings).
void GrowByObject(const TKorObject& Object, const Matrix4& Parent, TModelBounds& Bounds) {
  Matrix4 world;
  MatrixMultiply(Object.Local, Object.Base, world);
  MatrixMultiply(world, Parent, world);
  if (HasBox(Object)) {
    for (int corner = 0; corner < 8; ++corner) {
      const Vector3 p = TransformPoint(world, {(corner & 1) ? Object.BoxMax.x : Object.BoxMin.x,
                                               (corner & 2) ? Object.BoxMax.y : Object.BoxMin.y,
                                               (corner & 4) ? Object.BoxMax.z : Object.BoxMin.z});
      if (Bounds.Empty) {
        Bounds.Min = Bounds.Max = p;
        Bounds.Empty = false;
      }
      Bounds.Min = {std::min(Bounds.Min.x, p.x), std::min(Bounds.Min.y, p.y),
                    std::min(Bounds.Min.z, p.z)};
      Bounds.Max = {std::max(Bounds.Max.x, p.x), std::max(Bounds.Max.y, p.y),
                    std::max(Bounds.Max.z, p.z)};
    }
  }
  for (const TKorObject* child = Object.FirstChild; child != nullptr; child = child->Next)
    GrowByObject(*child, world, Bounds);
}

}  // namespace

TModelBounds TreeBounds(const TKorObject* Root) {
  TModelBounds bounds;
  if (Root != nullptr) GrowByObject(*Root, IdentityMatrix, bounds);
  return bounds;
}

TFraming FrameModel(const TModelBounds& Bounds, int Width, int Height, float Zoom) {
  // Centre and radius in double: a model far from the origin keeps its small details.
  double centre[3] = {0, 0, 0};
  double radius = 1.0;
  if (!Bounds.Empty) {
    const double lo[3] = {Bounds.Min.x, Bounds.Min.y, Bounds.Min.z};
    const double hi[3] = {Bounds.Max.x, Bounds.Max.y, Bounds.Max.z};
    double squared = 0;
    for (int axis = 0; axis < 3; ++axis) {
      centre[axis] = (lo[axis] + hi[axis]) / 2;
      squared += (hi[axis] - lo[axis]) * (hi[axis] - lo[axis]);
    }
    radius = std::sqrt(squared) / 2;
    if (!(radius > 0) || !std::isfinite(radius)) radius = 1.0;
  }
  const double scale = FramedRadius / radius;
  TFraming framing;
  framing.FrameBase[0] = framing.FrameBase[5] = framing.FrameBase[10] = static_cast<float>(scale);
  for (int axis = 0; axis < 3; ++axis)
    framing.FrameBase[12 + axis] = static_cast<float>(-centre[axis] * scale);
  // The sphere fits when its silhouette's half-angle is within the narrower half-angle of the
  // view: tan = 1 / Zoom across, (Height / Width) / Zoom up and down.
  const double aspect = Width > 0 && Height > 0 ? static_cast<double>(Height) / Width : 1.0;
  const double tangent = std::min(1.0, aspect) / std::max(static_cast<double>(Zoom), 1e-3);
  const double sine = tangent / std::sqrt(1 + tangent * tangent);
  framing.Distance = std::clamp(static_cast<float>(kMargin * FramedRadius / sine), NearestDistance,
                                FarthestDistance);
  return framing;
}

float ZoomedDistance(float Distance, int WheelDelta) {
  const float factor = std::pow(kNotchStep, static_cast<float>(WheelDelta) / kNotch);
  return std::clamp(Distance * factor, NearestDistance, FarthestDistance);
}

namespace {

// Counts Object and its descendants (not its later siblings).
void CountObject(const TKorObject& Object, TRendererCapacity& Capacity) {
  Capacity.Vertices += Object.VertexCount;
  Capacity.Faces += Object.FaceCount;
  for (int32_t f = 0; f < Object.FaceCount; ++f)
    Capacity.Triangles += std::max(Object.Faces[static_cast<size_t>(f)].Count - 2, 1);
  for (const TKorObject* child = Object.FirstChild; child != nullptr; child = child->Next)
    CountObject(*child, Capacity);
}

}  // namespace

TRendererCapacity RendererCapacityFor(const TKorObject* Root) {
  TRendererCapacity capacity;
  if (Root != nullptr) CountObject(*Root, capacity);
  capacity.MaxPolygons = std::max({capacity.Triangles, capacity.Faces + 3, kFloor});
  capacity.MaxVertices = std::max(capacity.Vertices + 2 * capacity.Triangles, kFloor);
  return capacity;
}
