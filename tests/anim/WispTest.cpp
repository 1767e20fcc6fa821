#include "anim/Wisp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "model/LoadModel.h"
#include "model/TextureRecorder.h"
#include "tests/support/TempDirectory.h"

namespace {

// The committed demo assets.
const std::filesystem::path AssetsDir = KOR_ASSETS_DIR;

// Each test runs in a working directory of its choice and returns to the old one.
class WispTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(AssetsDir);
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    EXPECT_EQ(TKorObject::LiveCount(), objectsBefore);
  }
  // The character's model is the caller's to free when it is not attached to a scene.
  static void Free(TWisp& wisp) { FreeObject(wisp.Model); }

  TKorTextureRecorder maker;
  std::filesystem::path previous;
  int64_t objectsBefore = TKorObject::LiveCount();
};

std::vector<TKorVertex> VerticesOf(const TKorObject& object) {
  return {object.Vertices.begin(), object.Vertices.begin() + object.VertexCount};
}

TEST_F(WispTest, ConstructionLoadsTheModelAndBuildsTheJointChain) {
  TWisp wisp(&maker);
  EXPECT_EQ(wisp.Placement, IdentityMatrix);
  EXPECT_EQ(wisp.Phase, 0.0f);
  ASSERT_NE(wisp.Model, nullptr);
  ASSERT_NE(wisp.Skin, nullptr);
  EXPECT_EQ(wisp.Skin->Mesh, wisp.Model);
  // The textures come from the view, read from the working directory.
  ASSERT_EQ(maker.Calls().size(), 2u);
  EXPECT_EQ(maker.Calls()[0].Path, maker.Calls()[0].Name);
  const auto& [lower, middle, upper] = wisp.Joints;
  EXPECT_EQ(lower->Parent, nullptr);
  EXPECT_EQ(lower->FirstChild, middle);
  EXPECT_EQ(middle->FirstChild, upper);
  EXPECT_EQ(upper->FirstChild, nullptr);
  EXPECT_EQ(lower->Length, 3.4f);
  EXPECT_EQ(middle->Length, 1.7f);
  EXPECT_EQ(upper->Length, 3.4f);
  for (const TKorJoint* joint : wisp.Joints) {
    EXPECT_EQ(joint->Radius, 17.0f);
    EXPECT_EQ(joint->Base, IdentityMatrix);
  }
  EXPECT_EQ(lower->Shape[0], 0.5f);
  EXPECT_EQ(upper->Shape[0], 1.0f / 3.0f);
  EXPECT_EQ(upper->Shape[1], 2.0f / 3.0f);
  Free(wisp);
}

TEST_F(WispTest, FirstAnimateBendsTheMiddleJointByMinusOne) {
  TWisp wisp(&maker);
  const std::vector<TKorVertex> rest = VerticesOf(*wisp.Model);
  wisp.Animate(0.02f);
  EXPECT_EQ(wisp.Joints[1]->Bend.y, -1.0f);
  EXPECT_EQ(wisp.Joints[1]->Bend.x, 0.0f);
  EXPECT_EQ(wisp.Joints[1]->Bend.z, 0.0f);
  EXPECT_EQ(wisp.Joints[0]->Bend.y, 0.0f);
  EXPECT_EQ(wisp.Joints[2]->Bend.y, 0.0f);
  EXPECT_EQ(wisp.Phase, 0.02f);
  // The lower joint is not bent, so its part of the body stays; the top swings away.
  float lowMove = 0, topMove = 0;
  for (size_t d = 0; d < rest.size(); ++d) {
    const TKorVertex& now = wisp.Model->Vertices[d];
    const float move = std::hypot(now.X - rest[d].X, now.Y - rest[d].Y, now.Z - rest[d].Z);
    if (rest[d].Z < 3.0f) lowMove = std::max(lowMove, move);
    if (rest[d].Z > 8.0f) topMove = std::max(topMove, move);
  }
  EXPECT_LT(lowMove, 1e-4f);
  EXPECT_GT(topMove, 2.0f);
  Free(wisp);
}

TEST_F(WispTest, PhaseReturnsToZeroAfterFiftyOneSteps) {
  TWisp wisp(&maker);
  int steps = 0;
  do {
    wisp.Animate(0.02f);
    ++steps;
    ASSERT_GE(wisp.Phase, 0.0f);
    ASSERT_LE(wisp.Phase, 1.0f);
  } while (wisp.Phase != 0.0f && steps < 100);
  EXPECT_EQ(steps, 51);
  Free(wisp);
}

TEST_F(WispTest, AtPhaseThreeQuartersBoundVerticesAreAtRest) {
  TWisp wisp(&maker);
  const std::vector<TKorVertex> rest = VerticesOf(*wisp.Model);
  wisp.Phase = 0.25f;  // fully bent first, so returning to rest means something
  wisp.Animate(0.02f);
  EXPECT_NEAR(wisp.Joints[1]->Bend.y, -2.0f, 1e-6f);
  wisp.Phase = 0.75f;
  wisp.Animate(0.02f);
  EXPECT_NEAR(wisp.Joints[1]->Bend.y, 0.0f, 1e-6f);
  for (size_t d = 0; d < rest.size(); ++d) {
    ASSERT_NE(wisp.Skin->VertexBones[d], nullptr);
    const TKorVertex& now = wisp.Model->Vertices[d];
    EXPECT_NEAR(now.X, rest[d].X, 1e-4f) << d;
    EXPECT_NEAR(now.Y, rest[d].Y, 1e-4f) << d;
    EXPECT_NEAR(now.Z, rest[d].Z, 1e-4f) << d;
    EXPECT_NEAR(now.NZ, rest[d].NZ, 1e-4f) << d;
  }
  Free(wisp);
}

TEST_F(WispTest, ANewPlacementMovesTheWholeModelOnTheNextAnimate) {
  TWisp wisp(&maker);
  wisp.Animate(0.02f);
  const std::vector<TKorVertex> before = VerticesOf(*wisp.Model);
  MakeMatrix(wisp.Placement, 1, 2, 3, 0, 0.5f, 0);
  EXPECT_EQ(wisp.Model->Local, IdentityMatrix);  // nothing moves until the next frame
  wisp.Phase = 0.0f;                             // the same pose again
  wisp.Animate(0.02f);
  EXPECT_EQ(wisp.Model->Local, wisp.Placement);
  // The deformation is the same; the whole tree, pedestal included, is placed by Local.
  for (size_t d = 0; d < before.size(); ++d) {
    EXPECT_EQ(wisp.Model->Vertices[d].X, before[d].X);
    EXPECT_EQ(wisp.Model->Vertices[d].Z, before[d].Z);
  }
  const TKorObject* pedestal = wisp.Model->FirstChild;
  ASSERT_NE(pedestal, nullptr);
  Matrix4 pedestalToModel, pedestalToWorld;
  MatrixMultiply(pedestal->Local, pedestal->Base, pedestalToModel);
  MatrixMultiply(pedestalToModel, wisp.Model->Local, pedestalToWorld);
  const Vector3 centre = TransformPoint(pedestalToWorld, {0, 0, 0});
  Vector3 expected = TransformPoint(wisp.Placement, {0, 0, pedestal->Base[14]});
  EXPECT_NEAR(centre.x, expected.x, 1e-5f);
  EXPECT_NEAR(centre.z, expected.z, 1e-5f);
  EXPECT_NE(centre.x, 0.0f);
  Free(wisp);
}

TEST_F(WispTest, AMissingModelFailsWithTheLoadersMessageAndKeepsNothing) {
  const testsupport::TempDirectory empty("wisp");
  std::filesystem::current_path(empty.Folder());
  try {
    TWisp wisp(&maker);
    Free(wisp);
    ADD_FAILURE() << "a character without its model";
  } catch (const EKorModelError& error) {
    // Named by the whole path tried, so the user sees which folder it looked in.
    EXPECT_EQ(error.FileName(), (empty.Folder() / "wisp2.kor").string());
  }
  EXPECT_TRUE(maker.Calls().empty());
  std::filesystem::current_path(previous);
}

TEST_F(WispTest, ABitmapThatCannotBeLoadedGivesBackTheFirstTexture) {
  maker.FailFor("wisp_base.bmp");
  EXPECT_THROW(TWisp wisp(&maker), EKorModelError);
  EXPECT_EQ(maker.LiveTextures(), 0);
  EXPECT_EQ(maker.DiscardedNumbers().size(), 1u);
}

}  // namespace
