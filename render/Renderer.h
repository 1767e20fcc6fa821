// The immediate-mode renderer's record: camera, screen geometry, the per-frame vertex, index and
// queue buffers, and the 256 per-texture polygon queues. The record is the caller's storage;
// the renderer allocates only its buffers, once, at creation.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d/D3DTypes.h"
#include "scene/KorObject.h"

class TKorvelRM;

// One polygon queued for drawing in the current frame.
struct BucketNode {
  TKorPolygon* Polygon = nullptr;
  BucketNode* NextNode = nullptr;
};

constexpr int TextureQueueCount = 256;

// What a frame left out because it did not fit the renderer's buffers or was malformed. Each
// frame starts these at zero; a caller reads them after DrawScene.
struct TKorRenderLosses {
  int32_t Objects = 0;    // objects whose vertices did not fit the vertex buffer
  int32_t Polygons = 0;   // polygons beyond the queue capacity, with a bad texture, < 3 indices
                          // or a vertex that is not finite
  int32_t Triangles = 0;  // triangles beyond the index buffer or without room for clip vertices
  int32_t Vertices = 0;   // vertices whose results were not finite (their polygons are counted
                          // in Polygons)
};

struct TKorRenderer {
  Matrix4 Camera = IdentityMatrix;  // camera placement: rows 0-2 its axes, row 3 its position
  TKorvelRM* View = nullptr;        // the view drawn into; not owned
  Vector3 Light{0, 0, 1};           // shading direction in world space
  int32_t ScreenWidth = 0;
  int32_t ScreenHeight = 0;
  uint32_t FogColor = 0xFFDFDFEF;
  float HalfWidth = 0;
  float HalfHeight = 0;
  float Zoom = 2.0f;  // a point at depth z and offset x lands HalfWidth * Zoom * x / z from centre
  float ScreenRight = 0;
  float ScreenBottom = 0;
  std::vector<TKorPolygon*> SortList;     // one texture queue plus two sentinels, during drawing
  std::vector<BucketNode> BucketNodes;    // one node per polygon queued this frame
  std::vector<uint16_t> IndexBuffer;      // triangles of this frame, three indices each
  std::vector<D3DTLVERTEX> VertexBuffer;  // transformed vertices of this frame
  int32_t MaxPolygons = 0;
  int32_t NodeFill = 0;
  int32_t MaxVertices = 0;
  int32_t VertexFill = 0;
  std::array<BucketNode*, TextureQueueCount> Buckets{};  // head of each texture's queue
  TKorRenderLosses Losses;                               // what the last frame left out
  int32_t FailedCalls = 0;  // device and viewport calls of the last frame that failed (a lost
                            // surface fails every drawing call until it is restored)
};

// Vertices a frame may hold: the buffer's size, and never more than 16-bit indices address.
int32_t VertexLimit(const TKorRenderer& R);

// Initialises every field, allocates the buffers and sets the fog and specular states. A Width
// or Height that is not positive takes the view's size.
void NewRenderer(TKorRenderer& R, TKorvelRM* View, int32_t Width, int32_t Height,
                 int32_t MaxPolygons, int32_t MaxVertices, float Zoom);

// Frees the four buffers; the record and the view stay.
void FreeRenderer(TKorRenderer& R);

// Specular on and linear table fog from screen depth 0.2 to 0.4 in FogColor.
void SetRenderStates(TKorRenderer& R);
