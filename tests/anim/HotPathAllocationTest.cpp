// The per-frame routines of the scene core work on storage made at creation: once a joint
// tree and a skin exist, updating and skinning allocate nothing.
#include <gtest/gtest.h>

#include "anim/Skin.h"
#include "tests/support/AllocationCounter.h"

namespace {

using testsupport::AllocationsDuring;

TEST(HotPaths, MatrixProductsJointUpdatesAndSkinningAllocateNothing) {
  TKorJoint *lower = nullptr, *upper = nullptr;
  NewJoint(lower, 0.5f, 0.5f);
  NewJoint(upper, 0.5f, 0.5f);
  SetJoint(lower, IdentityMatrix, 17, 3.4f);
  SetJoint(upper, IdentityMatrix, 17, 3.4f);
  LinkJoint(lower, upper);
  TKorObject* mesh = nullptr;
  NewObject(mesh, 100, 0, 0, 0);
  for (int i = 0; i < 100; ++i) {
    AddVertex(mesh, 0xFFFFFFFFu, 0.1f, 0, 0.068f * static_cast<float>(i), 1, 0, 0, 0, 0);
  }
  TKorSkin* skin = nullptr;
  NewSkin(skin, mesh, lower);

  Matrix4 m = IdentityMatrix;
  const std::uint64_t allocations = AllocationsDuring([&] {
    for (int frame = 0; frame < 10; ++frame) {
      MatrixMultiply(m, lower->Base, m);
      upper->Bend = {0, -0.1f * static_cast<float>(frame), 0};
      UpdateRootJoint(lower);
      ApplySkin(skin);
    }
  });
  EXPECT_EQ(allocations, 0u);
  EXPECT_LT(mesh->Vertices[99].X, 0.0f);  // the work was done: the top leans over

  FreeSkin(skin);
  FreeObject(mesh);
  FreeJoint(lower);
}

}  // namespace
