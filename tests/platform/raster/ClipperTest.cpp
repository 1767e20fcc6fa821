// The clipper: classification against a rectangle and Sutherland-Hodgman clipping.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d/raster/Clipper.h"

namespace platform::raster {
namespace {

RasterVertex At(float x, float y, float red = 0.0f) {
  RasterVertex v;
  v.x = x;
  v.y = y;
  v.attr[kAttrRed] = red;
  v.attr[kAttrZ] = x / 100.0f;
  return v;
}

const ClipRect kRect{0.0f, 0.0f, 10.0f, 10.0f};

TEST(ClipperTest, ClassifiesInsideOutsideAndCrossing) {
  EXPECT_EQ(Classify({At(1, 1), At(9, 1), At(1, 9)}, kRect), ClipRelation::Inside);
  EXPECT_EQ(Classify({At(0, 0), At(10, 0), At(0, 10)}, kRect), ClipRelation::Inside);
  EXPECT_EQ(Classify({At(-5, 1), At(-1, 3), At(-2, 9)}, kRect), ClipRelation::Outside);
  EXPECT_EQ(Classify({At(1, 11), At(9, 12), At(5, 30)}, kRect), ClipRelation::Outside);
  EXPECT_EQ(Classify({At(-5, 5), At(5, 5), At(5, 8)}, kRect), ClipRelation::Crossing);
  // Outside two different sides is not "wholly outside": it may still cross the corner.
  EXPECT_EQ(Classify({At(-5, 5), At(5, -5), At(-5, -5)}, kRect), ClipRelation::Crossing);
}

TEST(ClipperTest, ClippedPolygonLiesInTheRectangleWithInterpolatedAttributes) {
  RasterVertex out[kMaxClippedVertices];
  const int count = ClipTriangle({At(-10, 5, 0), At(20, 5, 300), At(5, -20, 150)}, kRect, out);
  ASSERT_GE(count, 3);
  for (int i = 0; i < count; ++i) {
    EXPECT_GE(out[i].x, kRect.left);
    EXPECT_LE(out[i].x, kRect.right);
    EXPECT_GE(out[i].y, kRect.top);
    EXPECT_LE(out[i].y, kRect.bottom);
    // Red was 10 per pixel of x along the bottom edge y = 5 and z = x / 100 everywhere.
    EXPECT_NEAR(out[i].attr[kAttrZ], out[i].x / 100.0f, 1e-5f);
    if (out[i].y == 5.0f) {
      EXPECT_NEAR(out[i].attr[kAttrRed], (out[i].x + 10.0f) * 10.0f, 1e-3f);
    }
  }
}

TEST(ClipperTest, TriangleCoveringTheRectangleBecomesTheRectangle) {
  RasterVertex out[kMaxClippedVertices];
  const int count = ClipTriangle({At(-100, -100), At(300, -100), At(-100, 300)}, kRect, out);
  ASSERT_EQ(count, 4);
  int corners = 0;
  for (int i = 0; i < count; ++i) {
    corners += (out[i].x == 0.0f || out[i].x == 10.0f) && (out[i].y == 0.0f || out[i].y == 10.0f);
  }
  EXPECT_EQ(corners, 4);
}

TEST(ClipperTest, SharedEdgeIsCutAtTheSamePointFromEitherSide) {
  // Two triangles share the edge from (-3.3, 1.7) to (7.9, 13.1); each walks it the other way.
  const RasterVertex a = At(-3.3f, 1.7f, 17.0f), b = At(7.9f, 13.1f, 91.0f);
  RasterVertex first[kMaxClippedVertices], second[kMaxClippedVertices];
  const int n1 = ClipTriangle({a, b, At(9, 1)}, kRect, first);
  const int n2 = ClipTriangle({b, a, At(-20, 40)}, kRect, second);
  int shared = 0;
  for (int i = 0; i < n1; ++i) {
    for (int j = 0; j < n2; ++j) {
      shared += std::memcmp(&first[i], &second[j], sizeof(RasterVertex)) == 0;
    }
  }
  EXPECT_EQ(shared, 2);  // the two cut points, bit for bit
}

TEST(ClipperTest, TriangleBesideACornerLeavesNothing) {
  RasterVertex out[kMaxClippedVertices];
  EXPECT_EQ(ClipTriangle({At(-5, 0), At(0, -5), At(-5, -5)}, kRect, out), 0);
}

}  // namespace
}  // namespace platform::raster
