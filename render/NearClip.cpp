#include "render/NearClip.h"

#include <bit>

namespace {

struct Corner {
  Vector3d camera;            // position in screen-scaled camera space, not rounded
  const D3DTLVERTEX* vertex;  // its transformed vertex
  int32_t index;              // its index in the vertex buffer
};

// Each of the four bytes interpolated and truncated toward zero.
uint32_t LerpBytes(uint32_t a, uint32_t b, double t) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double from = (a >> shift) & 0xFFu;
    const double to = (b >> shift) & 0xFFu;
    result |= (static_cast<uint32_t>(from * (1.0 - t) + to * t) & 0xFFu) << shift;
  }
  return result;
}

// Writes the vertex where edge (e, f) crosses the near plane; returns its index, or -1 when
// the edge is parallel to the plane or the buffer has no room. t and the interpolation run in
// double; each field is rounded to single once, as it is stored.
int32_t CrossingVertex(TKorRenderer& R, const Corner& e, const Corner& f) {
  const double d = e.camera.z - f.camera.z;
  if (d == 0.0) return -1;
  if (R.VertexFill >= VertexLimit(R)) return -1;
  const double t = (e.camera.z - NearPlaneDepth) / d;
  D3DTLVERTEX& out = R.VertexBuffer[static_cast<size_t>(R.VertexFill)];
  const double rhw = R.Zoom * 100.0;  // the reciprocal depth at the plane, scaled like k
  const double tuE = e.vertex->tu, tvE = e.vertex->tv;
  out.rhw = static_cast<float>(rhw);
  out.sx = static_cast<float>((e.camera.x - (e.camera.x - f.camera.x) * t) * rhw + R.HalfWidth);
  out.sy = static_cast<float>((e.camera.y - (e.camera.y - f.camera.y) * t) * rhw + R.HalfHeight);
  out.sz = std::bit_cast<float>(0x37A7C5ACu);  // the screen depth of camera depth 0.01
  out.tu = static_cast<float>(tuE - (tuE - f.vertex->tu) * t);
  out.tv = static_cast<float>(tvE - (tvE - f.vertex->tv) * t);
  out.color = LerpBytes(e.vertex->color, f.vertex->color, t);
  out.specular = LerpBytes(e.vertex->specular, f.vertex->specular, t);
  return R.VertexFill++;
}

}  // namespace

void AppendTriangle(TKorRenderer& R, int32_t& TriangleCount, int32_t i0, int32_t i1, int32_t i2) {
  const auto base = static_cast<size_t>(TriangleCount) * 3;
  if (base + 3 > R.IndexBuffer.size()) {
    ++R.Losses.Triangles;
    return;
  }
  R.IndexBuffer[base] = static_cast<uint16_t>(i0);
  R.IndexBuffer[base + 1] = static_cast<uint16_t>(i1);
  R.IndexBuffer[base + 2] = static_cast<uint16_t>(i2);
  ++TriangleCount;
}

void ClipFanTriangle(TKorRenderer& R, const TKorPolygon& p, int32_t second, int32_t third,
                     int32_t& TriangleCount) {
  const TKorObject& owner = *p.Owner;
  const int32_t positions[3] = {0, second, third};
  ClipCorner corners[3];
  for (int c = 0; c < 3; ++c) {
    const uint16_t local = p.Indices[static_cast<size_t>(positions[c])];
    const TKorVertex& v = owner.Vertices[local];
    corners[c].Camera = TransformPointExact(owner.Combined, {v.X, v.Y, v.Z});
    corners[c].Index = owner.FirstIndex + local;
  }
  ClipTriangle(R, corners, TriangleCount);
}

void ClipTriangle(TKorRenderer& R, const ClipCorner (&Corners)[3], int32_t& TriangleCount) {
  Corner corners[3];
  for (int c = 0; c < 3; ++c) {
    corners[c].camera = Corners[c].Camera;
    corners[c].index = Corners[c].Index;
    corners[c].vertex = &R.VertexBuffer[static_cast<size_t>(Corners[c].Index)];
  }

  int32_t output[6];  // never more than four are used; the slack costs nothing
  int count = 0;
  bool lostVertex = false;
  const auto appendCrossing = [&](const Corner& e, const Corner& f) {
    if (e.camera.z == f.camera.z) return;  // parallel: nothing to add
    const int32_t index = CrossingVertex(R, e, f);
    if (index < 0) {
      lostVertex = true;
      return;
    }
    output[count++] = index;
  };
  for (int e = 0; e < 3; ++e) {
    const Corner& from = corners[e];
    const Corner& to = corners[(e + 1) % 3];
    if (from.camera.z > NearPlaneDepth) {
      output[count++] = from.index;
      if (to.camera.z < NearPlaneDepth) appendCrossing(from, to);
    } else if (to.camera.z > NearPlaneDepth) {
      appendCrossing(from, to);
    }
  }
  // At most two corners are kept and at most two edges cross, so count never exceeds four.
  if (lostVertex) {
    ++R.Losses.Triangles;
    return;
  }
  if (count >= 3) AppendTriangle(R, TriangleCount, output[0], output[1], output[2]);
  if (count == 4) AppendTriangle(R, TriangleCount, output[0], output[2], output[3]);
}
