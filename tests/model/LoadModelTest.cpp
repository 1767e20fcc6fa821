#include "model/LoadModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/FramePass.h"
#include "render/TransformPass.h"
#include "tests/model/ModelFiles.h"
#include "tests/support/TempDirectory.h"

namespace {

using testsupport::EmptyObject;
using testsupport::Triangle;
using testsupport::Vertex;

// Loads bytes and frees the tree when the test ends.
struct TLoaded {
  TKorObject* Root = nullptr;
  TKorModelIndex Index;
  TLoaded(TKorTextureMaker& maker, const std::vector<uint8_t>& bytes,
          const std::string& fileName = "model.kor") {
    Root = LoadModelFromBytes(&maker, fileName, bytes, &Index);
  }
  ~TLoaded() { FreeObject(Root); }
};

TEST(LoadModel, RepeatedTextureNameReusesTheFirstTexture) {
  TKorFileRecord file;
  file.TextureNames = {"A.bmp", "B.bmp", "A.bmp"};
  TKorObjectRecord object = Triangle();
  object.Faces = {{{0, 1, 2}, 6, 0}, {{0, 1, 2}, 6, 1}, {{2, 1, 0}, 6, 2}};
  file.Objects = {object};
  TKorTextureRecorder maker(7);
  TLoaded loaded(maker, EncodeKorFile(file));

  ASSERT_EQ(maker.Calls().size(), 2u);
  EXPECT_EQ(maker.Calls()[0].Name, "A.bmp");
  EXPECT_EQ(maker.Calls()[1].Name, "B.bmp");
  EXPECT_EQ(maker.LiveTextures(), 2);
  const auto& faces = loaded.Root->Faces;
  EXPECT_EQ(faces[0].TexRef, faces[2].TexRef);
  EXPECT_NE(faces[0].TexRef, faces[1].TexRef);
  EXPECT_EQ(faces[0].TexRef->Number, 7);
  EXPECT_EQ(faces[1].TexRef->Number, 8);
  EXPECT_EQ(faces[1].TexRef->Name, "B.bmp");
  EXPECT_EQ(loaded.Index.TextureNames, file.TextureNames);
  EXPECT_EQ(loaded.Index.Textures[0], loaded.Index.Textures[2]);
}

TEST(LoadModel, RepeatsAreFoundByExactBytes) {
  TKorFileRecord file;
  file.TextureNames = {"a.bmp", "A.bmp", "a.bmp "};
  file.Objects = {Triangle()};
  TKorTextureRecorder maker;
  TLoaded loaded(maker, EncodeKorFile(file));
  EXPECT_EQ(maker.Calls().size(), 3u);
}

TEST(LoadModel, BitmapsAreReadFromTheModelsDirectory) {
  TKorFileRecord file;
  file.TextureNames = {"skin.bmp", "maps\\stone.bmp"};
  file.Objects = {Triangle()};
  const auto bytes = EncodeKorFile(file);
  struct TCase {
    const char* FileName;
    const char* First;
    const char* Second;
  };
  for (const TCase& c :
       {TCase{"wisp2.kor", "skin.bmp", "maps/stone.bmp"},
        TCase{"assets/figures/wisp2.kor", "assets/figures/skin.bmp",
              "assets/figures/maps/stone.bmp"},
        TCase{"C:\\demo\\wisp2.kor", "C:\\demo\\skin.bmp", "C:\\demo\\maps/stone.bmp"},
        TCase{"/abs/dir\\sub/wisp2.kor", "/abs/dir\\sub/skin.bmp",
              "/abs/dir\\sub/maps/stone.bmp"}}) {
    TKorTextureRecorder maker;
    TLoaded loaded(maker, bytes, c.FileName);
    ASSERT_EQ(maker.Calls().size(), 2u);
    EXPECT_EQ(maker.Calls()[0].Path, c.First) << c.FileName;
    EXPECT_EQ(maker.Calls()[1].Path, c.Second) << c.FileName;
    // The record keeps the bare name as the table holds it.
    EXPECT_EQ(maker.Calls()[1].Name, "maps\\stone.bmp");
  }
}

TEST(LoadModel, ReadsAFileFromDiskWithItsDirectory) {
  const testsupport::TempDirectory dir("load");
  TKorFileRecord file;
  file.TextureNames = {"t.bmp"};
  file.Objects = {Triangle()};
  const std::string path = dir.File("m.kor");
  testsupport::WriteBytes(path, EncodeKorFile(file));
  TKorTextureRecorder maker;
  TKorObject* root = LoadModel(&maker, path.c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->VertexCount, 3);
  ASSERT_EQ(maker.Calls().size(), 1u);
  EXPECT_EQ(maker.Calls()[0].Path, dir.File("t.bmp"));
  FreeObject(root);
}

TEST(LoadModel, EmptyTableAndOneEmptyObjectGiveAnEmptyRoot) {
  TKorFileRecord file;
  TKorObjectRecord object = EmptyObject();
  MakeMatrix(object.Local, 1, 2, 3, 0.1f, 0.2f, 0.3f);
  MakeMatrix(object.Base, -4, 5, -6, 0.0f, 1.0f, 0.0f);
  file.Objects = {object};
  const auto bytes = EncodeKorFile(file);
  EXPECT_EQ(bytes.size(), 4u + 4u + KorObjectHeaderBytes + 4u);
  TKorTextureRecorder maker;
  TLoaded loaded(maker, bytes);
  const TKorObject* root = loaded.Root;
  EXPECT_TRUE(maker.Calls().empty());
  EXPECT_EQ(root->Local, object.Local);
  EXPECT_EQ(root->Base, object.Base);
  EXPECT_EQ(root->VertexCount + root->FaceCount + root->PointCount + root->PlainFaceCount, 0);
  EXPECT_EQ(root->Parent, nullptr);
  EXPECT_EQ(root->FirstChild, nullptr);
  EXPECT_EQ(root->BoxMin.x, 1.0e8f);
  EXPECT_EQ(root->BoxMax.x, -1.0e8f);
}

TEST(LoadModel, FacesOfFewerThanThreeIndicesLoadAndAreLeftOutWhenDrawn) {
  // Faces of 0, 2 and 3 indices: the file is complete and loads as it stands.
  TKorFileRecord file;
  file.TextureNames = {"a.bmp"};
  TKorObjectRecord object = Triangle();
  object.Faces = {{{}, 6, 0}, {{0, 1}, 6, 0}, {{0, 1, 2}, 6, 0}};
  object.PlainFaces = {{{}, 6, 0}, {{2}, 6, 0}};
  file.Objects = {object};
  TKorTextureRecorder maker;
  TLoaded loaded(maker, EncodeKorFile(file));
  TKorObject* root = loaded.Root;
  ASSERT_EQ(root->FaceCount, 3);
  EXPECT_EQ(root->Faces[0].Count, 0);
  EXPECT_EQ(root->Faces[1].Count, 2);
  EXPECT_EQ(root->Faces[1].Indices, (std::vector<uint16_t>{0, 1}));
  EXPECT_EQ(root->Faces[2].Count, 3);
  EXPECT_EQ(root->PlainFaceCount, 2);
  EXPECT_EQ(loaded.Index.BytesRead, loaded.Index.FileSize);

  // Drawn in front of the camera: the two short faces are left out and counted; the triangle
  // is queued.
  TKorRenderer R;
  NewRenderer(R, nullptr, 640, 480, 16, 16, 2.0f);
  MakeMatrix(R.Camera, 0, 0, -20, 0, 0, 0);
  TransformTree(R, ScreenMatrix(R), IdentityMatrix, root);
  EXPECT_EQ(R.VertexFill, 3);
  EXPECT_EQ(R.NodeFill, 1);
  EXPECT_EQ(R.Losses.Polygons, 2);
  const BucketNode* queued = R.Buckets[static_cast<size_t>(root->Faces[2].TexRef->Number)];
  ASSERT_NE(queued, nullptr);
  EXPECT_EQ(queued->Polygon, &root->Faces[2]);
  FreeRenderer(R);
}

TEST(LoadModel, ChildrenOfOneParentAreWalkedInReverseFileOrder) {
  TKorFileRecord file;
  file.TextureNames = {"t.bmp"};
  file.Objects = {Triangle(-1, 0, 100), Triangle(0, 0, 101), Triangle(0, 0, 102),
                  Triangle(1, 0, 103)};
  TKorTextureRecorder maker;
  TLoaded loaded(maker, EncodeKorFile(file));
  const TKorObject* root = loaded.Root;
  ASSERT_NE(root->FirstChild, nullptr);
  const TKorObject* second = root->FirstChild;
  EXPECT_EQ(second->Tag, 102);
  ASSERT_NE(second->Next, nullptr);
  const TKorObject* first = second->Next;
  EXPECT_EQ(first->Tag, 101);
  EXPECT_EQ(first->Next, nullptr);
  EXPECT_EQ(first->Parent, root);
  EXPECT_EQ(second->Parent, root);
  ASSERT_NE(first->FirstChild, nullptr);
  EXPECT_EQ(first->FirstChild->Tag, 103);
  EXPECT_EQ(second->FirstChild, nullptr);
  EXPECT_EQ(loaded.Index.ParentIndexes, (std::vector<int32_t>{-1, 0, 0, 1}));
  EXPECT_EQ(loaded.Index.Objects[2], second);
}

TEST(LoadModel, OnlyTheLowByteOfFlagIsKept) {
  TKorFileRecord file;
  file.TextureNames = {"t.bmp"};
  TKorObjectRecord object = Triangle();
  object.Faces[0].Flag = 0x105;  // bytes 05 01 00 00
  object.PlainFaces = {{{0, 1}, 0x206, 0}};
  file.Objects = {object};
  const auto bytes = EncodeKorFile(file);
  const size_t flagAt = 4 + 6 + 4 + testsupport::FacesOffset(object) + 4 + 6;
  ASSERT_EQ(bytes[flagAt], 0x05);
  ASSERT_EQ(bytes[flagAt + 1], 0x01);
  TKorTextureRecorder maker;
  TLoaded loaded(maker, bytes);
  EXPECT_EQ(loaded.Root->Faces[0].Flag, 5);
  EXPECT_EQ(loaded.Root->PlainFaces[0].Flag, 6);
}

TEST(LoadModel, KeepsEveryFieldOfEveryRecord) {
  TKorFileRecord file;
  file.TextureNames = {"t.bmp", "u.bmp"};
  TKorObjectRecord object;
  object.Tag = static_cast<int32_t>(0x44434241);  // "ABCD" in file order
  MakeMatrix(object.Local, 0.5f, 0, 0, 0, 0, 0.25f);
  object.Vertices = {Vertex(5, -2, 0, 0x80102030u), Vertex(7, -3, 1), Vertex(6, -2.5f, -4),
                     Vertex(1, 1, 1)};
  object.Vertices[1].NX = -0.5f;
  object.Faces = {{{0, 1, 2, 3}, 6, 1}, {{3, 2, 1}, 0, 0}};
  object.Points = {{9, 0, 0}, {0, -9, 0}};
  object.PlainFaces = {{{}, 1, 0}, {{3, 0}, 2, 0}};
  file.Objects = {object};
  TKorTextureRecorder maker;
  TLoaded loaded(maker, EncodeKorFile(file));
  const TKorObject& root = *loaded.Root;

  EXPECT_EQ(std::memcmp(&root.Tag, "ABCD", 4), 0);
  EXPECT_EQ(root.Local, object.Local);
  ASSERT_EQ(root.VertexCount, 4);
  EXPECT_EQ(root.Vertices[0].Color, 0x80102030u);
  EXPECT_EQ(root.Vertices[1].NX, -0.5f);
  EXPECT_EQ(root.Vertices[2].U, 3.0f);
  EXPECT_EQ(root.Vertices[2].V, -0.625f);
  EXPECT_EQ(root.Vertices[2].Z, -4.0f);
  ASSERT_EQ(root.FaceCount, 2);
  EXPECT_EQ(root.Faces[0].Indices, (std::vector<uint16_t>{0, 1, 2, 3}));
  EXPECT_EQ(root.Faces[0].Count, 4);
  EXPECT_EQ(root.Faces[0].TexRef->Name, "u.bmp");
  EXPECT_EQ(root.Faces[1].Owner, &root);
  EXPECT_EQ(root.Faces[1].Flag, 0);
  ASSERT_EQ(root.PointCount, 2);
  EXPECT_EQ(root.Points[1].y, -9.0f);
  ASSERT_EQ(root.PlainFaceCount, 2);
  EXPECT_EQ(root.PlainFaces[0].Count, 0);
  EXPECT_EQ(root.PlainFaces[1].Indices, (std::vector<uint16_t>{3, 0}));
  EXPECT_EQ(root.PlainFaces[1].TexRef, nullptr);
  // The box grows with vertices and points alike.
  EXPECT_EQ(root.BoxMax.x, 9.0f);
  EXPECT_EQ(root.BoxMin.y, -9.0f);
  EXPECT_EQ(root.BoxMin.z, -4.0f);
  EXPECT_EQ(root.BoxMax.z, 1.0f);
}

TEST(LoadModel, ObjectsWithoutAParentAreLeftOutAndFreed) {
  const int64_t before = TKorObject::LiveCount();
  TKorFileRecord file;
  file.TextureNames = {"t.bmp"};
  // Object 1 has no parent; object 2 hangs under it; object 3 under the root.
  file.Objects = {Triangle(-1, 0, 10), Triangle(-1, 0, 11), Triangle(1, 0, 12), Triangle(0, 0, 13)};
  TKorTextureRecorder maker;
  {
    TLoaded loaded(maker, EncodeKorFile(file));
    EXPECT_EQ(TKorObject::LiveCount(), before + 2);
    ASSERT_NE(loaded.Root->FirstChild, nullptr);
    EXPECT_EQ(loaded.Root->FirstChild->Tag, 13);
    EXPECT_EQ(loaded.Root->FirstChild->Next, nullptr);
    EXPECT_EQ(loaded.Index.Objects[1], nullptr);
    EXPECT_EQ(loaded.Index.Objects[2], nullptr);
    EXPECT_EQ(loaded.Index.Objects[3], loaded.Root->FirstChild);
  }
  EXPECT_EQ(TKorObject::LiveCount(), before);
}

TEST(LoadModel, BytesAfterTheLastObjectAreNotRead) {
  TKorFileRecord file;
  file.Objects = {EmptyObject()};
  auto bytes = EncodeKorFile(file);
  const auto end = static_cast<int64_t>(bytes.size());
  bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x00});
  TKorTextureRecorder maker;
  TLoaded loaded(maker, bytes);
  EXPECT_EQ(loaded.Index.BytesRead, end);
  EXPECT_EQ(loaded.Index.FileSize, end + 5);
}

TEST(LoadModel, LongestNamesAndPolygonsAreAccepted) {
  TKorFileRecord file;
  file.TextureNames = {std::string(KorMaxNameLength, 'n')};
  TKorObjectRecord object;
  for (int i = 0; i < KorMaxPolygonIndices; ++i) object.Vertices.push_back(Vertex(i, 0, 0));
  TKorFaceRecord longest;
  for (int i = 0; i < KorMaxPolygonIndices; ++i)
    longest.Indices.push_back(static_cast<uint16_t>(i));
  object.Faces = {longest};
  object.PlainFaces = {longest};
  file.Objects = {object};
  TKorTextureRecorder maker;
  TLoaded loaded(maker, EncodeKorFile(file));
  EXPECT_EQ(loaded.Root->Faces[0].Count, KorMaxPolygonIndices);
  EXPECT_EQ(loaded.Root->PlainFaces[0].Indices.back(), KorMaxPolygonIndices - 1);
  EXPECT_EQ(maker.Calls()[0].Name.size(), static_cast<size_t>(KorMaxNameLength));
}

TEST(LoadModel, TheMostObjectsTheFormatAllowsLoadAsAChain) {
  TKorFileRecord file;
  file.Objects.push_back(EmptyObject());
  for (int i = 1; i < KorMaxObjects; ++i) file.Objects.push_back(EmptyObject(i - 1, i));
  TKorTextureRecorder maker;
  TLoaded loaded(maker, EncodeKorFile(file));
  int depth = 0;
  for (const TKorObject* o = loaded.Root; o != nullptr; o = o->FirstChild) ++depth;
  EXPECT_EQ(depth, KorMaxObjects);
}

}  // namespace
