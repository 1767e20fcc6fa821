#include "render/NearClip.h"

#include <bit>

namespace {

struct Corner {
  Vector3 camera;             // position in screen-scaled camera space
  const D3DTLVERTEX* vertex;  // its transformed vertex
  int32_t index;              // its index in the vertex buffer
};

// Each of the four bytes interpolated and truncated toward zero.
uint32_t LerpBytes(uint32_t a, uint32_t b, float t) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float from = static_cast<float>((a >> shift) & 0xFFu);
    const float to = static_cast<float>((b >> shift) & 0xFFu);
    result |= (static_cast<uint32_t>(from * (1.0f - t) + to * t) & 0xFFu) << shift;
  }
  return result;
}

// Writes the vertex where edge (e, f) crosses the near plane; returns its index, or -1 when
// the edge is parallel to the plane or the buffer has no room.
int32_t CrossingVertex(TKorRenderer& R, const Corner& e, const Corner& f) {
  const float d = e.camera.z - f.camera.z;
  if (d == 0.0f) return -1;
  if (R.VertexFill >= VertexLimit(R)) return -1;
  const float t = (e.camera.z - NearPlaneDepth) / d;
  D3DTLVERTEX& out = R.VertexBuffer[static_cast<size_t>(R.VertexFill)];
  out.rhw = R.Zoom * 100.0f;
  out.sx = (e.camera.x - (e.camera.x - f.camera.x) * t) * out.rhw + R.HalfWidth;
  out.sy = (e.camera.y - (e.camera.y - f.camera.y) * t) * out.rhw + R.HalfHeight;
  out.sz = std::bit_cast<float>(0x37A7C5ACu);  // the screen depth of camera depth 0.01
  out.tu = e.vertex->tu - (e.vertex->tu - f.vertex->tu) * t;
  out.tv = e.vertex->tv - (e.vertex->tv - f.vertex->tv) * t;
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
  Corner corners[3];
  for (int c = 0; c < 3; ++c) {
    const uint16_t local = p.Indices[static_cast<size_t>(positions[c])];
    const TKorVertex& v = owner.Vertices[local];
    corners[c].camera = TransformPoint(owner.Combined, {v.X, v.Y, v.Z});
    corners[c].index = owner.FirstIndex + local;
    corners[c].vertex = &R.VertexBuffer[static_cast<size_t>(corners[c].index)];
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
