#include "render/TransformPass.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "render/FramePass.h"
#include "scene/Texdata.h"

namespace {

// A 640 x 480 renderer with the start-up camera at (0, 0, -20) looking along +z; no view.
struct Frame {
  TKorRenderer R;
  std::vector<TKorObject*> roots;
  TKorTexdata texture{3, 0x33, 0x44, "t.bmp"};

  explicit Frame(int32_t maxPolygons = 64, int32_t maxVertices = 256) {
    NewRenderer(R, nullptr, 640, 480, maxPolygons, maxVertices, 2.0f);
    MakeMatrix(R.Camera, 0, 0, -20, 0, 0, 0);
  }
  ~Frame() {
    for (TKorObject*& root : roots) FreeObject(root);
    FreeRenderer(R);
  }
  TKorObject* Object(const std::vector<Vector3>& positions, int32_t faces = 0) {
    TKorObject* obj = nullptr;
    NewObject(obj, static_cast<int32_t>(positions.size()), faces, 0, 0);
    for (const Vector3& p : positions) AddVertex(obj, 0xFF808080u, p.x, p.y, p.z, 0, 0, 1, 0, 0);
    return obj;
  }
  TKorObject* Root(TKorObject* obj) {
    roots.push_back(obj);
    return obj;
  }
  void Run(TKorObject* root) {
    R.VertexFill = 0;
    R.NodeFill = 0;
    TransformTree(R, ScreenMatrix(R), IdentityMatrix, root);
  }
  int QueueLength(int b) const {
    int n = 0;
    for (BucketNode* node = R.Buckets[b]; node != nullptr; node = node->NextNode) ++n;
    return n;
  }
};

TEST(NewRenderer, TakesTheGivenSizeAndStartsWithDefaults) {
  TKorRenderer R;
  NewRenderer(R, nullptr, 641, 480, 10, 20, 2.0f);
  EXPECT_EQ(R.HalfWidth, 320.5f);
  EXPECT_EQ(R.HalfHeight, 240.0f);
  EXPECT_EQ(R.ScreenRight, 641.0f);
  EXPECT_EQ(R.ScreenBottom, 480.0f);
  EXPECT_EQ(R.Camera, IdentityMatrix);
  EXPECT_EQ(R.Light.z, 1.0f);
  EXPECT_EQ(R.FogColor, 0xFFDFDFEFu);
  for (BucketNode* head : R.Buckets) EXPECT_EQ(head, nullptr);
  EXPECT_EQ(R.IndexBuffer.size(), 10u * 2 * 3);
  EXPECT_EQ(R.VertexBuffer.size(), 20u);
  FreeRenderer(R);
  EXPECT_TRUE(R.VertexBuffer.empty());
}

TEST(TransformTree, ProjectsThroughTheStartUpCamera) {
  Frame f;
  TKorObject* obj =
      f.Root(f.Object({{0, 0, 0}, {1, 0, 0}, {0, 0, 255}, {0, 0, 117.5f}, {0, 0, 430}}));
  f.Run(obj);
  ASSERT_EQ(f.R.VertexFill, 5);
  // To the last bit: sz is the single nearest 0.04 (0.0399999991, not 0.0400000028 as a
  // single-precision 0.002 would give) and rhw the single nearest 0.1.
  const D3DTLVERTEX& origin = f.R.VertexBuffer[0];
  EXPECT_EQ(origin.sx, 320.0f);
  EXPECT_EQ(origin.sy, 240.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(origin.sz), std::bit_cast<uint32_t>(0.04f));
  EXPECT_EQ(std::bit_cast<uint32_t>(origin.rhw), std::bit_cast<uint32_t>(0.1f));
  EXPECT_EQ(f.R.VertexBuffer[1].sx, 352.0f);
  // Fog: depth 275 gives factor 0.3 (alpha 178), 450 full fog, 150 none.
  EXPECT_EQ(f.R.VertexBuffer[2].specular >> 24, 178u);
  EXPECT_EQ(f.R.VertexBuffer[4].specular >> 24, 0u);
  EXPECT_EQ(f.R.VertexBuffer[3].specular >> 24, 255u);
}

TEST(TransformTree, EveryVertexIsTheStatedFormulaRoundedOnce) {
  // Random placements and vertices, some behind the camera: each stored field is the formula
  // evaluated on the full-precision camera point and rounded once, to the last bit.
  std::mt19937 random(13);
  std::uniform_real_distribution<float> coordinate(-30.0f, 30.0f), angle(-3.2f, 3.2f);
  for (int round = 0; round < 20; ++round) {
    Frame f;
    std::vector<Vector3> positions;
    for (int i = 0; i < 50; ++i) {
      positions.push_back({coordinate(random), coordinate(random), coordinate(random)});
    }
    TKorObject* obj = f.Root(f.Object(positions));
    MakeMatrix(obj->Local, coordinate(random), coordinate(random), coordinate(random),
               angle(random), angle(random), angle(random));
    f.Run(obj);
    ASSERT_EQ(f.R.VertexFill, static_cast<int32_t>(positions.size()));
    for (size_t i = 0; i < positions.size(); ++i) {
      const Vector3d p = TransformPointExact(obj->Combined, positions[i]);
      const double k = std::fabs(p.z) > 0.01 ? 2.0 / p.z : 100.0;
      const D3DTLVERTEX& v = f.R.VertexBuffer[i];
      EXPECT_EQ(v.sx, static_cast<float>(p.x * k + 320.0)) << round << " " << i;
      EXPECT_EQ(v.sy, static_cast<float>(p.y * k + 240.0)) << round << " " << i;
      EXPECT_EQ(v.sz, static_cast<float>(0.002 * p.z)) << round << " " << i;
      EXPECT_EQ(v.rhw, static_cast<float>(k)) << round << " " << i;
    }
  }
}

TEST(TransformTree, ShadesByTheLightDirection) {
  Frame f;
  TKorObject* obj = nullptr;
  NewObject(obj, 2, 0, 0, 0);
  AddVertex(obj, 0xFF808080u, 0, 0, 0, 0, 0, 1, 0.25f, 0.5f);
  AddVertex(obj, 0xFF808080u, 0, 1, 0, 0, 0, -1, 0, 0);
  f.Root(obj);
  f.Run(obj);
  const D3DTLVERTEX& lit = f.R.VertexBuffer[0];
  EXPECT_EQ(lit.color, 0xFF606060u);  // 128 x 0.75 = 96
  EXPECT_EQ(lit.specular & 0xFFFFFFu, 0x3F3F3Fu);
  EXPECT_EQ(lit.tu, 0.25f);
  EXPECT_EQ(lit.tv, 0.5f);
  const D3DTLVERTEX& away = f.R.VertexBuffer[1];
  EXPECT_EQ(away.color, 0xFF202020u);  // 128 x 0.25 = 32
  EXPECT_EQ(away.specular & 0xFFFFFFu, 0u);
}

TEST(TransformTree, ClipFlagsAreStrictAtTheScreenEdgesAndNearDepth) {
  Frame f;
  f.R.Camera = IdentityMatrix;  // depth = world z
  // Depth 5 gives screen depth exactly 0.01 (the single nearest it); the next single above 5
  // gives the next screen depth above.
  const float justBeyond = std::nextafter(5.0f, 6.0f);
  // At depth 10: x = -5 projects to sx 0 and y = -3.75 to sy 0. The object reaches off screen,
  // so it is classified Partial and its vertices get their flags.
  TKorObject* obj = f.Root(f.Object(
      {{-5, 0, 10}, {0, -3.75f, 10}, {0, 0, 5}, {1, 1, 10}, {-40, 0, 10}, {0, 0, justBeyond}}));
  f.Run(obj);
  EXPECT_EQ(f.R.VertexBuffer[0].sx, 0.0f);
  EXPECT_EQ(f.R.VertexBuffer[1].sy, 0.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(f.R.VertexBuffer[2].sz), std::bit_cast<uint32_t>(0.01f));
  EXPECT_EQ(f.R.VertexBuffer[5].sz, std::nextafter(0.01f, 1.0f));
  EXPECT_EQ(obj->Vertices[0].ClipFlags, 0);
  EXPECT_EQ(obj->Vertices[1].ClipFlags, 0);
  EXPECT_EQ(obj->Vertices[2].ClipFlags, 0);
  EXPECT_EQ(obj->Vertices[3].ClipFlags, 1);
  EXPECT_EQ(obj->Vertices[4].ClipFlags, 0);
  EXPECT_EQ(obj->Vertices[5].ClipFlags, 1);
}

TEST(TransformTree, WholeObjectsQueueEveryPolygonAsUnclipped) {
  Frame f;
  TKorObject* obj = f.Root(f.Object({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, 2));
  const uint16_t tri[] = {0, 1, 2};
  AddFace(obj, tri, 3, 6, &f.texture);
  AddFace(obj, tri, 3, 6, &f.texture);
  f.Run(obj);
  EXPECT_EQ(f.QueueLength(3), 2);
  EXPECT_EQ(obj->Faces[0].ClipState, 2);
  EXPECT_EQ(obj->Vertices[0].ClipFlags, 0);
  // A queue is a stack: the polygon queued last comes first.
  EXPECT_EQ(f.R.Buckets[3]->Polygon, &obj->Faces[1]);
  EXPECT_EQ(f.R.Buckets[3]->NextNode->Polygon, &obj->Faces[0]);
}

TEST(TransformTree, PartialPolygonsAreTestedByTheirFirstFourVertices) {
  Frame f;
  // Four vertices left of the screen and a fifth on screen: not queued. A triangle on screen
  // inside the same (partial) object is queued with ClipState 2.
  TKorObject* obj = f.Root(f.Object(
      {{-60, 0, 0}, {-50, 1, 0}, {-55, 2, 0}, {-52, 3, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, 2));
  const uint16_t five[] = {0, 1, 2, 3, 4};
  const uint16_t onScreen[] = {4, 5, 6};
  AddFace(obj, five, 5, 6, &f.texture);
  AddFace(obj, onScreen, 3, 6, &f.texture);
  f.Run(obj);
  ASSERT_EQ(f.QueueLength(3), 1);
  EXPECT_EQ(f.R.Buckets[3]->Polygon, &obj->Faces[1]);
  EXPECT_EQ(obj->Faces[1].ClipState, 2);
}

TEST(TransformTree, HiddenObjectHidesDescendantsAndLaterSiblings) {
  Frame f;
  TKorObject* root = f.Root(f.Object({}));
  TKorObject* first = f.Object({{0, 0, 0}});
  TKorObject* hidden = f.Object({{0, 0, 0}});
  TKorObject* grandchild = f.Object({{0, 0, 0}});
  TKorObject* later = f.Object({{0, 0, 0}});
  AttachObject(root, later);
  AttachObject(root, hidden);
  AttachObject(root, first);  // root -> first, hidden, later
  AttachObject(hidden, grandchild);
  hidden->Visible = 0;
  hidden->Combined[0] = 42;
  f.Run(root);
  EXPECT_EQ(f.R.VertexFill, 1);  // only "first"
  EXPECT_EQ(hidden->Combined[0], 42);
}

TEST(TransformTree, ObjectsBehindTheCameraStillWalkTheirChildren) {
  Frame f;
  TKorObject* behind = f.Root(f.Object({{0, 0, -30}, {1, 0, -31}}, 1));
  const uint16_t tri[] = {0, 1, 1};
  AddFace(behind, tri, 3, 6, &f.texture);
  TKorObject* child = f.Object({{0, 0, 0}});
  child->Local[14] = 30;  // back in front of the camera
  AttachObject(behind, child);
  behind->FirstIndex = -7;
  f.Run(behind);
  EXPECT_EQ(behind->FirstIndex, -7);  // Out: no vertices, FirstIndex untouched
  EXPECT_EQ(f.QueueLength(3), 0);
  EXPECT_EQ(f.R.VertexFill, 1);
  EXPECT_EQ(child->FirstIndex, 0);
}

TEST(TransformTree, EmptyObjectQueuesNothing) {
  Frame f;
  TKorObject* empty = f.Root(f.Object({}));
  f.Run(empty);
  EXPECT_EQ(f.R.VertexFill, 0);
  EXPECT_EQ(f.R.NodeFill, 0);
}

TEST(TransformTree, WhatDoesNotFitIsLeftOutAndCounted) {
  Frame f(/*maxPolygons=*/4, /*maxVertices=*/5);
  TKorObject* root = f.Root(f.Object({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, 5));
  const uint16_t tri[] = {0, 1, 2};
  const uint16_t bad[] = {0, 1, 9};
  TKorTexdata outOfRange{300, 0, 0, "x"};
  for (int k = 0; k < 3; ++k) AddFace(root, tri, 3, 6, &f.texture);
  AddFace(root, bad, 3, 6, &f.texture);   // index beyond the object's vertices
  AddFace(root, tri, 3, 6, &outOfRange);  // texture number outside 0..255
  TKorObject* tooBig = f.Object({{0, 0, 0}, {0, 1, 0}, {0, 2, 0}});
  AttachObject(root, tooBig);  // 3 + 3 vertices exceed the buffer of 5
  f.Run(root);
  EXPECT_EQ(f.R.VertexFill, 3);
  EXPECT_EQ(f.R.Losses.Objects, 1);
  // Two of the three good polygons fit (two slots stay free for the sentinels).
  EXPECT_EQ(f.R.NodeFill, 2);
  EXPECT_EQ(f.R.Losses.Polygons, 3);
}

// Each way a vertex's results stop being finite, whatever set it: the vertex is counted, every
// polygon naming it is left out and counted, and the rest of the object still draws. (The
// sanitizer build checks that no float-to-integer conversion sees the NaN on the way.)
TEST(TransformTree, VerticesThatAreNotFiniteAreLeftOutWithTheirPolygons) {
  const float nan = std::nanf(""), inf = INFINITY;
  struct Case {
    const char* what;
    Vector3 position;      // of vertex 3
    Vector3 normal;        // of vertex 3
    float u;               // of vertex 3
    Vector3 light;         // of the renderer
    float zoom;            // of the renderer
    int32_t lostVertices;  // of 4
    int32_t lostPolygons;  // of 2: (0, 1, 2) and (0, 2, 3)
  };
  const Case cases[] = {
      {"NaN normal", {0, 1, 0}, {nan, 0, 1}, 0, {0, 0, 1}, 2, 1, 1},
      {"infinite position", {0, inf, 0}, {0, 0, 1}, 0, {0, 0, 1}, 2, 1, 1},
      {"position whose projection overflows", {0, 3e38f, 0}, {0, 0, 1}, 0, {0, 0, 1}, 2, 1, 1},
      {"NaN texture coordinate", {0, 1, 0}, {0, 0, 1}, nan, {0, 0, 1}, 2, 1, 1},
      {"NaN light", {0, 1, 0}, {0, 0, 1}, 0, {nan, 0, 1}, 2, 4, 2},
      {"NaN zoom", {0, 1, 0}, {0, 0, 1}, 0, {0, 0, 1}, nan, 4, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Frame f;
    f.R.Light = c.light;
    f.R.Zoom = c.zoom;
    TKorObject* obj = nullptr;
    NewObject(obj, 4, 2, 0, 0);
    f.Root(obj);
    AddVertex(obj, 0xFF808080u, 0, 0, 0, 0, 0, 1, 0, 0);
    AddVertex(obj, 0xFF808080u, 1, 0, 0, 0, 0, 1, 0, 0);
    AddVertex(obj, 0xFF808080u, 1, 1, 0, 0, 0, 1, 0, 0);
    AddVertex(obj, 0xFF808080u, c.position.x, c.position.y, c.position.z, c.normal.x, c.normal.y,
              c.normal.z, c.u, 0);
    const uint16_t first[] = {0, 1, 2}, second[] = {0, 2, 3};
    AddFace(obj, first, 3, 6, &f.texture);
    AddFace(obj, second, 3, 6, &f.texture);
    f.R.Losses = {};
    f.Run(obj);
    EXPECT_EQ(f.R.Losses.Vertices, c.lostVertices);
    EXPECT_EQ(f.R.Losses.Polygons, c.lostPolygons);
    EXPECT_EQ(f.QueueLength(3), 2 - c.lostPolygons);
    for (int32_t i = 0; i < f.R.VertexFill; ++i) {
      const D3DTLVERTEX& v = f.R.VertexBuffer[static_cast<size_t>(i)];
      if (obj->Vertices[static_cast<size_t>(i)].ClipFlags == 2) continue;
      EXPECT_TRUE(std::isfinite(v.sx) && std::isfinite(v.sy) && std::isfinite(v.rhw)) << i;
    }
  }
}

}  // namespace
