// DepthClipper: cuts a convex polygon given in camera coordinates to the slab between the
// viewport's front and back clipping planes (Front <= z <= Back), carrying the lit colour and
// the texture coordinates along. The viewport's renderer (RMRenderer.h) sends it the faces that
// cross a plane; faces wholly inside are drawn without it, faces wholly outside are dropped.
//
// Screen-space clipping to the viewport's rectangle is the immediate-mode device's work; only
// the depth planes are cut here, because a vertex at or behind the eye cannot be projected.
//
// A cut point is computed from the edge's two ends taken in a fixed order (nearer end first),
// whichever way round the polygon walks the edge, so two faces that share an edge get the same
// point and no crack opens between them.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/d3drm/RMTypes.h"

namespace platform::d3drm {

// One corner of a face on its way to the screen.
struct ClipVertex {
  D3DVECTOR position;                     // camera coordinates: x right, y up, z ahead
  D3DVALUE red = 0, green = 0, blue = 0;  // lit colour, each 0 to 1
  D3DVALUE alpha = 1;
  D3DVALUE tu = 0, tv = 0;
};

class DepthClipper {
 public:
  // Clips the polygon of Count corners (in order, either winding) to Front <= z <= Back. The
  // result keeps the winding; it is empty when less than a triangle is left. The returned
  // vector is the clipper's own, valid until the next call; its storage is reused, so a clipper
  // allocates only when it meets a larger polygon than before.
  const std::vector<ClipVertex>& Clip(const ClipVertex* Polygon, std::size_t Count, D3DVALUE Front,
                                      D3DVALUE Back);

 private:
  // Keeps the part of In on the kept side of the plane z = Plane (KeepBeyond: z >= Plane,
  // else z <= Plane) in Out.
  static void ClipAgainst(const std::vector<ClipVertex>& In, D3DVALUE Plane, bool KeepBeyond,
                          std::vector<ClipVertex>& Out);

  std::vector<ClipVertex> first_;
  std::vector<ClipVertex> second_;
};

}  // namespace platform::d3drm
