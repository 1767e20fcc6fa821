// Shared helpers of the retained-mode tests: vector comparison, and a fixture that makes the
// retained-mode object and checks that every platform object a test made is given back.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "platform/com/ComPtr.h"
#include "platform/d3drm/Direct3DRM.h"
#include "platform/d3drm/RMMath.h"

namespace testsupport {

inline ::testing::AssertionResult VectorNear(const D3DVECTOR& Actual, const D3DVECTOR& Expected,
                                             float Tolerance = 1e-5f) {
  if (std::fabs(Actual.x - Expected.x) <= Tolerance &&
      std::fabs(Actual.y - Expected.y) <= Tolerance &&
      std::fabs(Actual.z - Expected.z) <= Tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << Actual.x << ", " << Actual.y << ", " << Actual.z << ") is not (" << Expected.x
         << ", " << Expected.y << ", " << Expected.z << ")";
}

class RMTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = platform::LiveObjectCount();
    ASSERT_EQ(Direct3DRMCreate(rm.Put()), D3DRM_OK);
    ASSERT_EQ(rm.As(IID_IDirect3DRM2, rm2), D3DRM_OK);
  }
  void TearDown() override {
    rm.Reset();
    rm2.Reset();
    EXPECT_EQ(platform::LiveObjectCount(), baseline_) << "objects were not given back";
  }

  // A new frame under Parent (a scene root for nullptr).
  ComPtr<IDirect3DRMFrame2> NewFrame(IDirect3DRMFrame* Parent) {
    ComPtr<IDirect3DRMFrame2> frame;
    EXPECT_EQ(rm2->CreateFrame(Parent, frame.Put()), D3DRM_OK);
    return frame;
  }

  ComPtr<IDirect3DRM> rm;
  ComPtr<IDirect3DRM2> rm2;

 private:
  long baseline_ = 0;
};

}  // namespace testsupport
