// How the model viewer frames a model: its bounds from the objects' boxes, the scale and
// distance that fit it in the view whatever its size and position, and the renderer's
// capacities for it. Pure arithmetic on the model tree; nothing is drawn here.
#pragma once

#include <cstdint>

#include "scene/KorObject.h"

// The box around every object's box, in the space of the tree's root parent (each box
// carried through Local x Base x the parent's matrix, as the transform pass composes them).
struct TModelBounds {
  Vector3 Min{0, 0, 0};
  Vector3 Max{0, 0, 0};
  bool Empty = true;  // no object has a vertex or a point
};
TModelBounds TreeBounds(const TKorObject* Root);

// The radius a framed model has in the viewer's world, whatever its own size: the camera
// distances, near clipping and fog (which begins at camera depth 200) are set for this scale.
inline constexpr float FramedRadius = 10.0f;

struct TFraming {
  // Moves the bounds' centre to the origin and scales the model to FramedRadius; it goes in
  // the Base of the object the model hangs under, so the model's normals are not scaled.
  Matrix4 FrameBase = IdentityMatrix;
  float Distance = 0;  // camera distance from the centre at which the model fills the view
};

// Framing for a view of Width x Height pixels and the renderer's Zoom (a point at depth z and
// offset x lands HalfWidth * Zoom * x / z from the centre, in x and y alike). Empty or flat
// bounds frame a sphere of radius 1 about their centre.
TFraming FrameModel(const TModelBounds& Bounds, int Width, int Height, float Zoom);

// The nearest and farthest camera distances zooming allows: the framed model stays in front of
// the camera's near plane at one end and within the depth the renderer draws (500) at the other.
inline constexpr float NearestDistance = 1.5f;
inline constexpr float FarthestDistance = 480.0f;
// The camera distance after WheelDelta (120 a notch; positive comes closer) from Distance.
float ZoomedDistance(float Distance, int WheelDelta);

struct TRendererCapacity {
  int32_t MaxPolygons = 0;
  int32_t MaxVertices = 0;
  int32_t Vertices = 0;   // in the tree
  int32_t Faces = 0;      // textured faces in the tree
  int32_t Triangles = 0;  // of their fans
};
// What the renderer needs to draw the whole tree in one frame: a queue node for every face
// (and the two sentinels), room for every fan triangle twice in the index buffer (a triangle
// cut by the near plane becomes two), every vertex, and two new vertices for every cut
// triangle. Never below the small floor a renderer needs to exist.
TRendererCapacity RendererCapacityFor(const TKorObject* Root);
