#include "scene/KorObject.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(NewObject, StartsEmptyWithIdentityMatricesAndAnInvertedBox) {
  TKorObject* obj = nullptr;
  NewObject(obj, 3, 2, 1, 1);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->Local, IdentityMatrix);
  EXPECT_EQ(obj->Base, IdentityMatrix);
  EXPECT_EQ(obj->Parent, nullptr);
  EXPECT_EQ(obj->Next, nullptr);
  EXPECT_EQ(obj->FirstChild, nullptr);
  EXPECT_EQ(obj->VertexCount + obj->FaceCount + obj->PointCount + obj->PlainFaceCount, 0);
  EXPECT_EQ(obj->VertexCapacity, 3);
  EXPECT_EQ(obj->FaceCapacity, 2);
  EXPECT_EQ(obj->Vertices.size(), 3u);
  EXPECT_EQ(obj->Visible, 1);
  // An object with nothing in it keeps its minimum above its maximum.
  EXPECT_EQ(obj->BoxMin.x, 1.0e8f);
  EXPECT_EQ(obj->BoxMax.z, -1.0e8f);
  FreeObject(obj);
}

TEST(NewObject, ZeroCapacitiesMakeAValidRoot) {
  TKorObject* root = nullptr;
  NewObject(root, 0, 0, 0, 0);
  EXPECT_TRUE(root->Vertices.empty());
  EXPECT_THROW(AddVertex(root, 0, 0, 0, 0, 0, 0, 1, 0, 0), std::length_error);
  FreeObject(root);
}

TEST(NewObject, RejectsNegativeCapacities) {
  TKorObject* obj = nullptr;
  EXPECT_THROW(NewObject(obj, -1, 0, 0, 0), std::invalid_argument);
  EXPECT_EQ(obj, nullptr);
}

TEST(AddVertex, FirstVertexSetsBothCornersAndLaterOnesGrowTheBox) {
  TKorObject* obj = nullptr;
  NewObject(obj, 3, 0, 0, 0);
  AddVertex(obj, 0xFF102030u, 5, -2, 0, 0, 0, 1, 0.25f, 0.75f);
  EXPECT_EQ(obj->BoxMin.x, 5.0f);
  EXPECT_EQ(obj->BoxMax.x, 5.0f);
  EXPECT_EQ(obj->BoxMin.y, -2.0f);
  EXPECT_EQ(obj->BoxMax.y, -2.0f);
  EXPECT_EQ(obj->BoxMin.z, 0.0f);
  EXPECT_EQ(obj->BoxMax.z, 0.0f);
  AddVertex(obj, 0, 7, -3, 1, 0, 0, 1, 0, 0);
  AddVertex(obj, 0, 6, -2.5f, -4, 0, 0, 1, 0, 0);
  EXPECT_EQ(obj->BoxMax.x, 7.0f);
  EXPECT_EQ(obj->BoxMin.y, -3.0f);
  EXPECT_EQ(obj->BoxMin.z, -4.0f);
  EXPECT_EQ(obj->BoxMax.z, 1.0f);
  const TKorVertex& v = obj->Vertices[0];
  EXPECT_EQ(v.Color, 0xFF102030u);
  EXPECT_EQ(v.U, 0.25f);
  EXPECT_EQ(v.V, 0.75f);
  EXPECT_EQ(v.NZ, 1.0f);
  EXPECT_EQ(obj->VertexCount, 3);
  FreeObject(obj);
}

TEST(AddPoint, GrowsTheBoxToo) {
  TKorObject* obj = nullptr;
  NewObject(obj, 0, 0, 1, 0);
  AddPoint(obj, 1, 2, 3);
  EXPECT_EQ(obj->PointCount, 1);
  EXPECT_EQ(obj->Points[0].y, 2.0f);
  EXPECT_EQ(obj->BoxMin.z, 3.0f);
  FreeObject(obj);
}

TEST(AddFace, CopiesTheIndicesAndRecordsOwnerFlagAndTexture) {
  TKorObject* obj = nullptr;
  NewObject(obj, 0, 1, 0, 1);
  TKorTexdata* texture = reinterpret_cast<TKorTexdata*>(0x10);  // only stored, never read
  uint16_t indices[] = {0, 1, 2, 3};
  AddFace(obj, indices, 4, 6, texture);
  indices[0] = 99;  // the polygon keeps its own copy
  const TKorPolygon& face = obj->Faces[0];
  EXPECT_EQ(face.Indices[0], 0);
  EXPECT_EQ(face.Count, 4);
  EXPECT_EQ(face.Flag, 6);
  EXPECT_EQ(face.TexRef, texture);
  EXPECT_EQ(face.Owner, obj);

  AddPlainFace(obj, indices, 3, 2);
  EXPECT_EQ(obj->PlainFaces[0].Indices[0], 99);
  EXPECT_EQ(obj->PlainFaces[0].TexRef, nullptr);
  EXPECT_EQ(obj->PlainFaceCount, 1);
  FreeObject(obj);
}

TEST(Append, BeyondCapacityThrowsNamingTheArrayAndWritesNothing) {
  TKorObject* obj = nullptr;
  NewObject(obj, 1, 1, 1, 0);
  AddVertex(obj, 0, 1, 1, 1, 0, 0, 1, 0, 0);
  const uint16_t indices[] = {0, 0, 0};
  AddFace(obj, indices, 3, 6, nullptr);
  AddPoint(obj, 0, 0, 0);

  auto expectFull = [](auto append, const std::string& array, const std::string& capacity) {
    try {
      append();
      ADD_FAILURE() << "no exception for " << array;
    } catch (const std::length_error& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(array), std::string::npos) << message;
      EXPECT_NE(message.find("capacity " + capacity), std::string::npos) << message;
    }
  };
  expectFull([&] { AddVertex(obj, 0, 9, 9, 9, 0, 0, 1, 0, 0); }, "Vertices", "1");
  expectFull([&] { AddFace(obj, indices, 3, 6, nullptr); }, "Faces", "1");
  expectFull([&] { AddPoint(obj, 9, 9, 9); }, "Points", "1");
  expectFull([&] { AddPlainFace(obj, indices, 3, 0); }, "PlainFaces", "0");
  EXPECT_EQ(obj->VertexCount, 1);
  EXPECT_EQ(obj->BoxMax.x, 1.0f);  // the rejected vertex did not grow the box
  EXPECT_EQ(obj->FaceCount, 1);
  FreeObject(obj);
}

TEST(AttachObject, PutsTheNewChildFirst) {
  TKorObject *a = nullptr, *b = nullptr, *c = nullptr;
  NewObject(a, 0, 0, 0, 0);
  NewObject(b, 0, 0, 0, 0);
  NewObject(c, 0, 0, 0, 0);
  AttachObject(a, b);
  AttachObject(a, c);
  EXPECT_EQ(a->FirstChild, c);
  EXPECT_EQ(c->Next, b);
  EXPECT_EQ(b->Next, nullptr);
  EXPECT_EQ(b->Parent, a);
  EXPECT_EQ(c->Parent, a);
  FreeObject(a);
}

TEST(FreeObject, FreesTheWholeTreeOnceAndLeavesTheReference) {
  const int64_t before = TKorObject::LiveCount();
  TKorObject* root = nullptr;
  NewObject(root, 0, 0, 0, 0);
  // root -> {c1 -> {g1, g2}, c2}, plus a sibling chain of 1000 under c2 (no deep recursion).
  TKorObject *c1 = nullptr, *c2 = nullptr, *g1 = nullptr, *g2 = nullptr;
  NewObject(c1, 1, 0, 0, 0);
  NewObject(c2, 0, 0, 0, 0);
  NewObject(g1, 0, 1, 0, 0);
  NewObject(g2, 0, 0, 0, 0);
  AttachObject(root, c1);
  AttachObject(root, c2);
  AttachObject(c1, g1);
  AttachObject(c1, g2);
  for (int i = 0; i < 1000; ++i) {
    TKorObject* leaf = nullptr;
    NewObject(leaf, 0, 0, 0, 0);
    AttachObject(c2, leaf);
  }
  EXPECT_EQ(TKorObject::LiveCount() - before, 1005);
  TKorObject* reference = root;
  FreeObject(reference);
  EXPECT_EQ(TKorObject::LiveCount(), before);
  EXPECT_EQ(reference, root);  // freeing never clears the caller's reference

  TKorObject* none = nullptr;
  FreeObject(none);
  EXPECT_EQ(TKorObject::LiveCount(), before);
}

}  // namespace
