#pragma once
// Clips triangles to a rectangle in screen space (Sutherland-Hodgman over its four sides).
// Because every attribute of a RasterVertex is linear in screen space (perspective-correct
// coordinates travel as u * rhw), clipping is plain linear interpolation.
//
// A new vertex on an edge is computed from the edge's endpoints in a fixed order that does not
// depend on the direction the edge is walked, so two triangles sharing an edge get bit-identical
// cut points and stay watertight after clipping.

#include "platform/d3d/raster/RasterConfig.h"
#include "platform/d3d/raster/RasterVertex.h"

namespace platform::raster {

struct ClipRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;
};

enum class ClipRelation {
  Inside,    // every vertex lies within the rectangle (on its border counts as within)
  Outside,   // every vertex lies beyond one and the same side: nothing to draw
  Crossing,  // the triangle must be clipped
};

ClipRelation Classify(const RasterVertex (&triangle)[3], const ClipRect& rect);

// Writes the clipped polygon (a convex fan, up to kMaxClippedVertices vertices, same winding as
// the triangle) to out and returns its vertex count; fewer than 3 means nothing is left.
int ClipTriangle(const RasterVertex (&triangle)[3], const ClipRect& rect,
                 RasterVertex (&out)[kMaxClippedVertices]);

}  // namespace platform::raster
