#include "scene/FloatingPoint.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

namespace {

TEST(ResetFloatingPoint, RestoresRoundToNearestAndClearsFlags) {
  std::fesetround(FE_UPWARD);
  std::feraiseexcept(FE_INEXACT | FE_OVERFLOW);
  ResetFloatingPoint();
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
}

TEST(ResetFloatingPoint, LeavesExceptionsMasked) {
  ResetFloatingPoint();
  // A masked division by zero yields infinity instead of trapping.
  volatile float zero = 0.0f;
  volatile float result = 1.0f / zero;
  EXPECT_TRUE(std::isinf(result));
  ResetFloatingPoint();
}

}  // namespace
