#include <gtest/gtest.h>

#include "platform/com/Rect.h"

namespace {

using platform::Inside;
using platform::Intersect;

TEST(RectTest, IntersectionKeepsTheOverlapAndNeverHasANegativeSize) {
  EXPECT_EQ(Intersect(RECT{0, 0, 10, 10}, RECT{5, -5, 20, 8}), (RECT{5, 0, 10, 8}));
  // Apart: empty, at the corner where they would meet.
  EXPECT_EQ(Intersect(RECT{0, 0, 10, 10}, RECT{20, 30, 40, 50}), (RECT{20, 30, 20, 30}));
  // Touching edges share no pixel (half-open rectangles).
  const RECT touching = Intersect(RECT{0, 0, 10, 10}, RECT{10, 0, 20, 10});
  EXPECT_EQ(touching.right - touching.left, 0);
}

TEST(RectTest, InsideCountsTheEdgesAsInside) {
  EXPECT_TRUE(Inside(RECT{0, 0, 640, 480}, RECT{0, 0, 640, 480}));
  EXPECT_TRUE(Inside(RECT{1, 1, 2, 2}, RECT{0, 0, 640, 480}));
  EXPECT_FALSE(Inside(RECT{-1, 0, 10, 10}, RECT{0, 0, 640, 480}));
  EXPECT_FALSE(Inside(RECT{0, 0, 641, 10}, RECT{0, 0, 640, 480}));
}

}  // namespace
