#include "anim/Skin.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A chain of three joints along z with the character's lengths 3.4, 1.7, 3.4.
struct Chain {
  TKorJoint* lower = nullptr;
  TKorJoint* middle = nullptr;
  TKorJoint* upper = nullptr;

  Chain() {
    NewJoint(lower, 0.5f, 0.5f);
    NewJoint(middle, 0.5f, 0.5f);
    NewJoint(upper, 1.0f / 3.0f, 2.0f / 3.0f);
    SetJoint(lower, IdentityMatrix, 17, 3.4f);
    SetJoint(middle, IdentityMatrix, 17, 1.7f);
    SetJoint(upper, IdentityMatrix, 17, 3.4f);
    LinkJoint(lower, middle);
    LinkJoint(middle, upper);
    UpdateRootJoint(lower);
  }
  ~Chain() { FreeJoint(lower); }
};

TKorObject* MeshWithVertices(const std::vector<Vector3>& positions) {
  TKorObject* mesh = nullptr;
  NewObject(mesh, static_cast<int32_t>(positions.size()), 0, static_cast<int32_t>(positions.size()),
            0);
  for (const Vector3& p : positions) {
    AddVertex(mesh, 0xFFFFFFFFu, p.x, p.y, p.z, 1, 0, 0, 0.5f, 0.25f);
    AddPoint(mesh, p.x, p.y, p.z);
  }
  return mesh;
}

TEST(NewSkin, BindsByHeightAlongTheJointsWithStrictBounds) {
  Chain chain;
  // At the lower joint's end, past the last joint, at the root, below it, outside the radius,
  // inside the lower, middle and upper joints.
  TKorObject* mesh = MeshWithVertices({{0, 0, 3.4f},
                                       {0, 0, 9},
                                       {0, 0, 0},
                                       {0, 0, -1},
                                       {17, 0, 1},
                                       {0, 0, 0.5f},
                                       {1, 1, 4},
                                       {0, 2, 8}});
  TKorSkin* skin = nullptr;
  NewSkin(skin, mesh, chain.lower);
  // The boundary between two joints binds to neither; so do points outside every joint.
  for (int d = 0; d < 5; ++d) EXPECT_EQ(skin->VertexBones[d], nullptr) << "vertex " << d;
  // z' = 0.5 lies below Offset[1] (about 0.634): segment 0, local z 0.5.
  EXPECT_EQ(skin->VertexBones[5], &chain.lower->SegmentWorld[0]);
  EXPECT_EQ(skin->LocalVertices[5].Z, 0.5f);
  // z = 4 is 0.6 into the middle joint (past its segment 2 start 0.560).
  EXPECT_EQ(skin->VertexBones[6], &chain.middle->SegmentWorld[2]);
  // Formed in double from the stored singles and rounded once.
  EXPECT_EQ(skin->LocalVertices[6].Z,
            static_cast<float>(4.0 - double{chain.lower->Length} - chain.middle->Offset[2]));
  // z = 8 is 2.9 into the upper joint, whose segments are 3.4/7 long: segment 5.
  EXPECT_EQ(skin->VertexBones[7], &chain.upper->SegmentWorld[5]);
  EXPECT_EQ(skin->PointBones[7], &chain.upper->SegmentWorld[5]);
  EXPECT_EQ(skin->PointBones[0], nullptr);
  EXPECT_EQ(skin->LocalVertices[7].U, 0.5f);  // texture coordinates stay as copied
  FreeSkin(skin);
  FreeObject(mesh);
}

TEST(ApplySkin, UnbentJointsReproduceTheRestPose) {
  Chain chain;
  std::vector<Vector3> rest;
  for (int i = 0; i < 40; ++i) {
    rest.push_back(
        {0.5f * static_cast<float>(i % 5) - 1, 0.3f, 0.21f * static_cast<float>(i) + 0.1f});
  }
  TKorObject* mesh = MeshWithVertices(rest);
  TKorSkin* skin = nullptr;
  NewSkin(skin, mesh, chain.lower);
  ApplySkin(skin);
  for (size_t d = 0; d < rest.size(); ++d) {
    EXPECT_NEAR(mesh->Vertices[d].X, rest[d].x, 1e-5f);
    EXPECT_NEAR(mesh->Vertices[d].Y, rest[d].y, 1e-5f);
    EXPECT_NEAR(mesh->Vertices[d].Z, rest[d].z, 1e-5f);
    EXPECT_NEAR(mesh->Vertices[d].NX, 1.0f, 1e-6f);
  }
  FreeSkin(skin);
  FreeObject(mesh);
}

TEST(ApplySkin, BentJointMovesVerticesAboveItAndTheBoxNeverShrinks) {
  Chain chain;
  TKorObject* mesh = MeshWithVertices({{0, 0, 1}, {0, 0, 8}, {0, 0, 20}});
  const Vector3 restMin = mesh->BoxMin, restMax = mesh->BoxMax;
  TKorSkin* skin = nullptr;
  NewSkin(skin, mesh, chain.lower);
  chain.middle->Bend = {0, -2, 0};
  UpdateRootJoint(chain.lower);
  ApplySkin(skin);
  // Below the bend nothing moves; above it the figure leans toward -x; unbound stays at rest.
  EXPECT_EQ(mesh->Vertices[0].Z, 1.0f);
  EXPECT_LT(mesh->Vertices[1].X, -1.0f);
  EXPECT_LT(mesh->Vertices[1].Z, 8.0f);
  EXPECT_EQ(mesh->Vertices[2].Z, 20.0f);
  EXPECT_EQ(mesh->Vertices[1].U, 0.5f);
  for (int d = 0; d < mesh->VertexCount; ++d) {
    const TKorVertex& v = mesh->Vertices[static_cast<size_t>(d)];
    EXPECT_LE(mesh->BoxMin.x, v.X);
    EXPECT_GE(mesh->BoxMax.x, v.X);
    EXPECT_LE(mesh->BoxMin.z, v.Z);
    EXPECT_GE(mesh->BoxMax.z, v.Z);
  }
  EXPECT_LE(mesh->BoxMin.x, restMin.x);
  EXPECT_GE(mesh->BoxMax.z, restMax.z);
  // The points stay at rest; only vertices are written back.
  EXPECT_EQ(mesh->Points[1].z, 8.0f);
  FreeSkin(skin);
  FreeObject(mesh);
}

TEST(NewSkin, EmptyMeshChangesNothing) {
  Chain chain;
  TKorObject* mesh = nullptr;
  NewObject(mesh, 0, 0, 0, 0);
  TKorSkin* skin = nullptr;
  NewSkin(skin, mesh, chain.lower);
  ApplySkin(skin);
  EXPECT_EQ(mesh->VertexCount, 0);
  EXPECT_EQ(mesh->BoxMin.x, 1.0e8f);
  FreeSkin(skin);
  FreeObject(mesh);
}

TEST(NewSkin, OffsetBaseIsUndoneWhenBinding) {
  // A root joint moved up by 2: a vertex at z 2.5 sits 0.5 into it.
  TKorJoint* root = nullptr;
  NewJoint(root, 0.5f, 0.5f);
  Matrix4 base;
  MakeMatrix(base, 0, 0, 2, 0, 0, 0);
  SetJoint(root, base, 5, 3.4f);
  UpdateRootJoint(root);
  TKorObject* mesh = MeshWithVertices({{0, 0, 2.5f}, {0, 0, 1.5f}});
  TKorSkin* skin = nullptr;
  NewSkin(skin, mesh, root);
  EXPECT_EQ(skin->VertexBones[0], &root->SegmentWorld[0]);
  EXPECT_EQ(skin->LocalVertices[0].Z, 0.5f);
  EXPECT_EQ(skin->VertexBones[1], nullptr);
  ApplySkin(skin);
  EXPECT_EQ(mesh->Vertices[0].Z, 2.5f);
  FreeSkin(skin);
  FreeObject(mesh);
  FreeJoint(root);
}

}  // namespace
