// The viewer's arithmetic: bounds composed through the tree, the framing of bounds of any size
// and place, zooming limits and the renderer's capacities for a model.
#include "tools/korview/ModelFraming.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// An object holding the given points as vertices (its box grows with them).
TKorObject* ObjectWith(std::initializer_list<Vector3> Points, int Faces = 0, int FaceIndices = 3) {
  TKorObject* object = nullptr;
  NewObject(object, static_cast<int32_t>(Points.size()), Faces, 0, 0);
  for (const Vector3& p : Points) AddVertex(object, 0xFFFFFFFF, p.x, p.y, p.z, 0, 0, 1, 0, 0);
  std::vector<uint16_t> indices(static_cast<size_t>(FaceIndices), 0);
  for (int f = 0; f < Faces; ++f) AddFace(object, indices.data(), FaceIndices, 6, nullptr);
  return object;
}

TEST(ModelFramingTest, BoundsFollowEachObjectThroughItsParents) {
  TKorObject* root = ObjectWith({{-1, -1, -1}, {1, 1, 1}});
  MakeMatrix(root->Local, 100, 0, 0, 0, 0, 0);  // the whole tree moves by 100 along x
  TKorObject* child = ObjectWith({{0, 0, 0}, {2, 4, 6}});
  child->Base[0] = child->Base[5] = child->Base[10] = 10;  // scaled by 10 in its own space
  child->Base[13] = -50;
  AttachObject(root, child);
  TKorObject* empty = ObjectWith({});  // no vertices: no box
  AttachObject(root, empty);

  const TModelBounds bounds = TreeBounds(root);
  ASSERT_FALSE(bounds.Empty);
  EXPECT_FLOAT_EQ(bounds.Min.x, 99);
  EXPECT_FLOAT_EQ(bounds.Max.x, 120);
  EXPECT_FLOAT_EQ(bounds.Min.y, -50);
  EXPECT_FLOAT_EQ(bounds.Max.y, 1);
  EXPECT_FLOAT_EQ(bounds.Min.z, -1);
  EXPECT_FLOAT_EQ(bounds.Max.z, 60);
  EXPECT_TRUE(TreeBounds(empty).Empty);
  FreeObject(root);
}

// Every corner of Bounds, framed, lands on the screen of a Width x Height view at the framed
// distance, in front of the camera and short of the fog.
void ExpectFramedOnScreen(const TModelBounds& Bounds, int Width, int Height) {
  const TFraming framing = FrameModel(Bounds, Width, Height, 2.0f);
  float farthest = 0;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector3 p =
        TransformPoint(framing.FrameBase, {(corner & 1) ? Bounds.Max.x : Bounds.Min.x,
                                           (corner & 2) ? Bounds.Max.y : Bounds.Min.y,
                                           (corner & 4) ? Bounds.Max.z : Bounds.Min.z});
    farthest = std::max(farthest, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    const float depth = framing.Distance + p.z;
    ASSERT_GT(depth, 1.0f);
    ASSERT_LT(depth, 200.0f);
    const float k = Width * 0.5f * 2.0f / depth;
    EXPECT_LT(std::fabs(p.x * k), Width * 0.5f);
    EXPECT_LT(std::fabs(p.y * k), Height * 0.5f);
  }
  // Within 1%: a box 0.02 across at 1000 from the origin is held to about 0.3% by floats.
  EXPECT_NEAR(farthest, FramedRadius, FramedRadius * 1e-2f);
}

TEST(ModelFramingTest, BoundsOfAnySizeAndPlaceFillTheView) {
  ExpectFramedOnScreen({{-1, -1, -1}, {1, 1, 1}, false}, 512, 386);
  ExpectFramedOnScreen({{999.99f, -500.01f, 200}, {1000.01f, -499.99f, 200.02f}, false}, 512, 386);
  ExpectFramedOnScreen({{-5e4f, -2e4f, -1.5e5f}, {5e4f, 2e4f, -5e4f}, false}, 512, 386);
  ExpectFramedOnScreen({{0, 0, 0}, {10, 1, 1}, false}, 200, 800);  // a tall, narrow view
}

TEST(ModelFramingTest, EmptyOrFlatBoundsStillFrameSomething) {
  const TFraming empty = FrameModel({}, 512, 386, 2.0f);
  EXPECT_GT(empty.Distance, FramedRadius);
  const TFraming point = FrameModel({{5, 5, 5}, {5, 5, 5}, false}, 512, 386, 2.0f);
  EXPECT_TRUE(std::isfinite(point.FrameBase[0]));
  const Vector3 centre = TransformPoint(point.FrameBase, {5, 5, 5});
  EXPECT_FLOAT_EQ(centre.x, 0);
}

TEST(ModelFramingTest, ZoomStepsBackAndForthAndStopsAtItsLimits) {
  EXPECT_LT(ZoomedDistance(30, 120), 30);
  EXPECT_NEAR(ZoomedDistance(ZoomedDistance(30, 120), -120), 30, 1e-4);
  EXPECT_FLOAT_EQ(ZoomedDistance(30, 120 * 200), NearestDistance);
  EXPECT_FLOAT_EQ(ZoomedDistance(30, -120 * 200), FarthestDistance);
}

TEST(ModelFramingTest, CapacityHoldsEveryFaceAndItsCutTriangles) {
  TKorObject* root = ObjectWith({{0, 0, 0}, {1, 1, 1}}, 10, 3);  // 10 triangles
  AttachObject(root, ObjectWith({{0, 0, 0}}, 2, 128));           // 2 fans of 126 triangles
  const TRendererCapacity capacity = RendererCapacityFor(root);
  EXPECT_EQ(capacity.Vertices, 3);
  EXPECT_EQ(capacity.Faces, 12);
  EXPECT_EQ(capacity.Triangles, 10 + 2 * 126);
  // Two index-buffer triangles per polygon slot: every triangle, cut in two, fits.
  EXPECT_EQ(capacity.MaxPolygons, 262);
  EXPECT_EQ(capacity.MaxVertices, 3 + 2 * 262);
  FreeObject(root);

  const TRendererCapacity none = RendererCapacityFor(nullptr);
  EXPECT_GE(none.MaxPolygons, 3);  // room for the sentinels
  EXPECT_GT(none.MaxVertices, 0);
}

}  // namespace
