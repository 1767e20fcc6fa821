// Near-plane clipping of one fan triangle in software. Corners in front of the plane at camera
// depth 0.01 are kept; edges that cross it get a new vertex at the plane, appended to the
// renderer's vertex buffer; the result (three or four vertices) is appended as one or two
// triangles to the index buffer.
#pragma once

#include "render/Renderer.h"

// The near plane's camera depth, at full precision like the depths it is compared with.
constexpr double NearPlaneDepth = 0.01;

// Clips the triangle of p's index positions 0, second and third (a fan triangle) and appends the
// result at TriangleCount, which it advances. Triangles that do not fit the index buffer or
// whose crossing vertices do not fit the vertex buffer are left out and counted in R.Losses.
void ClipFanTriangle(TKorRenderer& R, const TKorPolygon& p, int32_t second, int32_t third,
                     int32_t& TriangleCount);

// A triangle corner as the clipper sees it: its camera point, at full precision, and the
// index of its transformed vertex in the renderer's vertex buffer.
struct ClipCorner {
  Vector3d Camera;
  int32_t Index = 0;
};

// Clips one triangle given by its corners in order; ClipFanTriangle hands its corners here.
void ClipTriangle(TKorRenderer& R, const ClipCorner (&Corners)[3], int32_t& TriangleCount);

// Appends (F + i0, F + i1, F + i2) unless the index buffer is full, in which case it is counted.
void AppendTriangle(TKorRenderer& R, int32_t& TriangleCount, int32_t i0, int32_t i1, int32_t i2);
