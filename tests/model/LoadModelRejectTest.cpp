// Every kind of broken file is rejected with the file, the byte and the fault named, and
// nothing the load made is left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/LoadModel.h"
#include "tests/model/ModelFiles.h"

namespace {

using testsupport::EmptyObject;
using testsupport::ExpectRejected;
using testsupport::Triangle;

void Patch(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  for (size_t i = 0; i < 4; ++i) {
    bytes.at(offset + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  }
}

// Two textures, a root triangle and a child triangle; offsets of its fields.
struct TGoodFile {
  TKorFileRecord Record;
  TKorFileLayout Layout;
  std::vector<uint8_t> Bytes;

  TGoodFile() {
    Record.TextureNames = {"a.bmp", "b.bmp"};
    Record.Objects = {Triangle(-1, 0), Triangle(0, 1)};
    Record.Objects[0].Points = {{1, 2, 3}};
    Record.Objects[0].PlainFaces = {{{2, 0}, 1, 0}};
    Bytes = EncodeKorFile(Record, &Layout);
  }
  size_t Object(size_t i) const { return Layout.ObjectOffsets.at(i); }
  size_t Face(size_t i) const { return Object(i) + testsupport::FacesOffset(Record.Objects[i]); }
  // Object 0's plain face: after its triangle's 18 bytes and its point's 12.
  size_t PlainFace() const { return Face(0) + 18 + 12; }
};

TEST(LoadModelRejects, TheGoodFileItselfLoads) {
  TGoodFile good;
  TKorTextureRecorder maker;
  TKorObject* root = LoadModelFromBytes(&maker, "test.kor", good.Bytes);
  EXPECT_EQ(root->PlainFaces[0].Indices[0], 2);
  FreeObject(root);
}

TEST(LoadModelRejects, AFileThatCannotBeOpened) {
  TKorTextureRecorder maker;
  const std::string name = "/no/such/dir/wisp2.kor";
  try {
    LoadModel(&maker, name.c_str());
    FAIL() << "opened a missing file";
  } catch (const EKorModelError& error) {
    EXPECT_EQ(error.FileName(), name);
    EXPECT_EQ(error.Offset(), EKorModelError::NoOffset);
    EXPECT_EQ(std::string(error.what()), name + ": cannot open: No such file or directory");
  }
  EXPECT_TRUE(maker.Calls().empty());
}

TEST(LoadModelRejects, AFileThatCannotBeRead) {
  TKorTextureRecorder maker;
  const std::string dir = std::filesystem::temp_directory_path().string();
  try {
    LoadModel(&maker, dir.c_str());
    FAIL() << "read a directory as a model";
  } catch (const EKorModelError& error) {
    EXPECT_NE(std::string(error.what()).find("cannot read"), std::string::npos) << error.what();
  }
}

TEST(LoadModelRejects, EveryTruncationOfAGoodFile) {
  TGoodFile good;
  for (size_t length = 0; length < good.Bytes.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    const std::vector<uint8_t> cut(good.Bytes.begin(),
                                   good.Bytes.begin() + static_cast<std::ptrdiff_t>(length));
    TKorTextureRecorder maker;
    const int64_t before = TKorObject::LiveCount();
    try {
      TKorObject* root = LoadModelFromBytes(&maker, "cut.kor", cut);
      FreeObject(root);
      ADD_FAILURE() << "accepted a truncated file";
    } catch (const EKorModelError& error) {
      // Either the file is reported where it ends, or a count that the rest of the file
      // cannot hold is reported at the count.
      const std::string problem = error.Problem();
      if (problem.find(" declares ") == std::string::npos) {
        EXPECT_EQ(error.Offset(), static_cast<int64_t>(length)) << error.what();
        EXPECT_NE(problem.find("(it is truncated)"), std::string::npos) << error.what();
      } else {
        EXPECT_LT(error.Offset(), static_cast<int64_t>(length)) << error.what();
        EXPECT_NE(problem.find("the file has room for at most"), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(TKorObject::LiveCount(), before);
    EXPECT_EQ(maker.LiveTextures(), 0);
  }
}

TEST(LoadModelRejects, AShortReadNamesTheFieldAndItsPlace) {
  // Cut two bytes into ParentIndex: reported at the byte where the file ends.
  TKorFileRecord file;
  file.TextureNames = {"a.bmp"};
  TKorObjectRecord object = Triangle();
  object.Vertices.push_back(testsupport::Vertex(1, 1, 0));
  object.Faces[0].Indices = {0, 1, 2, 3};
  file.Objects = {object};
  auto bytes = EncodeKorFile(file);
  bytes.resize(bytes.size() - 2);
  ExpectRejected(bytes, static_cast<int64_t>(bytes.size()),
                 "object 0: the file ends 2 bytes into ParentIndex, which needs 4 (it is "
                 "truncated)");
}

TEST(LoadModelRejects, ACutInsideTheLocalMatrixIsReportedWhereTheFileEnds) {
  // One texture "abc", then a triangle's block: its counts at 12, Tag at 28, Local from 32.
  // Cut at byte 54, two bytes into Local's sixth element, with counts the file is short of.
  TKorFileRecord file;
  file.TextureNames = {"abc"};
  file.Objects = {Triangle()};
  auto bytes = EncodeKorFile(file);
  bytes.resize(54);
  ExpectRejected(bytes, 54, "object 0: the file ends 2 bytes into Local, which needs 4");
  bytes.resize(32);
  ExpectRejected(bytes, 32, "object 0: the file ends where Local should start");
}

TEST(LoadModelRejects, NegativeCounts) {
  TGoodFile good;
  auto bytes = good.Bytes;
  Patch(bytes, 0, -1);
  ExpectRejected(bytes, 0, "TextureCount is -1; a count cannot be negative");
  const char* fields[] = {"VertexCount", "FaceCount", "PointCount", "PlainFaceCount"};
  for (size_t field = 0; field < 4; ++field) {
    bytes = good.Bytes;
    const size_t at = good.Object(1) + 4 * field;
    Patch(bytes, at, -3);
    ExpectRejected(bytes, static_cast<int64_t>(at),
                   std::string("object 1: ") + fields[field] + " is -3");
  }
}

TEST(LoadModelRejects, NumbersThatAreNotFinite) {
  TGoodFile good;
  const uint32_t nan = 0x7FC00000u, infinity = 0x7F800000u, negativeInfinity = 0xFF800000u;
  struct Case {
    size_t at;
    uint32_t bits;
    std::string message;
  };
  const size_t vertex1 = good.Object(1) + KorObjectHeaderBytes + KorVertexBytes;
  const Case cases[] = {
      {good.Object(0) + 20 + 4 * 5, nan, "object 0: Local is NaN"},
      {good.Object(1) + 84 + 4 * 15, infinity, "object 1: Base is infinite"},
      {vertex1, negativeInfinity, "object 1, vertex 1: X is infinite"},
      {vertex1 + 8, nan, "object 1, vertex 1: Z is NaN"},
      {vertex1 + 16, 0xFFFFFFFFu, "object 1, vertex 1: V is NaN"},
      {vertex1 + 20, nan, "object 1, vertex 1: NX is NaN"},
      {vertex1 + 28, infinity, "object 1, vertex 1: NZ is infinite"},
      {good.Face(0) + 18 + 4, nan, "object 0, point 0: Y is NaN"},
  };
  for (const Case& c : cases) {
    auto bytes = good.Bytes;
    Patch(bytes, c.at, static_cast<int32_t>(c.bits));
    ExpectRejected(bytes, static_cast<int64_t>(c.at), c.message);
  }
}

TEST(LoadModelRejects, CountsLargerThanTheRestOfTheFileCouldHoldAreRefusedAtTheCount) {
  TGoodFile good;
  auto bytes = good.Bytes;
  Patch(bytes, 0, 1000);
  const auto room = std::to_string(good.Bytes.size() - 4);  // a name takes at least its 0
  ExpectRejected(bytes, 0,
                 "the texture table declares 1,000 entries; the file has room for at most " + room);
  const char* what[] = {"vertices", "faces", "points", "plain faces"};
  for (size_t field = 0; field < 4; ++field) {
    bytes = good.Bytes;
    const size_t at = good.Object(1) + 4 * field;
    Patch(bytes, at, 0x7FFFFFFF);
    ExpectRejected(bytes, static_cast<int64_t>(at),
                   std::string("object 1 declares 2,147,483,647 ") + what[field] +
                       "; the file has room for at most");
  }
}

TEST(LoadModelRejects, AHugeVertexCountIsWordedAsWhatItIs) {
  // Twelve vertices and the parent index follow the header: room for twelve, not thirteen.
  TKorFileRecord file;
  TKorObjectRecord object = EmptyObject();
  object.Vertices.assign(12, testsupport::Vertex(1, 2, 3));
  file.Objects = {object};
  TKorFileLayout layout;
  auto bytes = EncodeKorFile(file, &layout);
  const size_t at = layout.ObjectOffsets[0];
  Patch(bytes, at, 2000000);
  ExpectRejected(bytes, static_cast<int64_t>(at),
                 "object 0 declares 2,000,000 vertices; the file has room for at most 12");
  Patch(bytes, at, 13);
  ExpectRejected(bytes, static_cast<int64_t>(at),
                 "object 0 declares 13 vertices; the file has room for at most 12");
}

TEST(LoadModelRejects, MoreObjectsThanTheFileHoldsEndWhereTheFileEnds) {
  TGoodFile good;
  auto bytes = good.Bytes;
  Patch(bytes, good.Layout.ObjectCountOffset, 10);
  ExpectRejected(bytes, static_cast<int64_t>(bytes.size()),
                 "object 2: the file ends where VertexCount should start");
}

TEST(LoadModelRejects, AFileWithoutObjectsOrWithTooMany) {
  // The least file: an empty table and ObjectCount 0 at byte 4, blamed on ObjectCount.
  TKorByteWriter least;
  least.Int32(0);
  least.Int32(0);
  ExpectRejected(least.Data(), 4, "ObjectCount is 0; a model needs at least its root object");
  TGoodFile good;
  const auto at = static_cast<int64_t>(good.Layout.ObjectCountOffset);
  for (int32_t count : {0, -1}) {
    auto bytes = good.Bytes;
    Patch(bytes, good.Layout.ObjectCountOffset, count);
    ExpectRejected(
        bytes, at,
        "ObjectCount is " + std::to_string(count) + "; a model needs at least its root object");
  }
  auto bytes = good.Bytes;
  Patch(bytes, good.Layout.ObjectCountOffset, KorMaxObjects + 1);
  ExpectRejected(bytes, at, "ObjectCount 1026 is above the format's limit of 1025");
}

TEST(LoadModelRejects, PolygonsWithANegativeCountOrMoreThan128Indices) {
  TGoodFile good;
  for (int32_t count : {-1, 129}) {
    auto bytes = good.Bytes;
    Patch(bytes, good.Face(1), count);
    ExpectRejected(bytes, static_cast<int64_t>(good.Face(1)),
                   "object 1, face 0: Count is " + std::to_string(count) + "; it must be 0 to 128");
  }
  for (int32_t count : {129, -1}) {
    auto bytes = good.Bytes;
    Patch(bytes, good.PlainFace(), count);
    ExpectRejected(
        bytes, static_cast<int64_t>(good.PlainFace()),
        "object 0, plain face 0: Count is " + std::to_string(count) + "; it must be 0 to 128");
  }
}

TEST(LoadModelRejects, VertexIndicesAtOrAboveTheVertexCount) {
  TGoodFile good;
  auto bytes = good.Bytes;
  const size_t third = good.Face(0) + 4 + 4;
  bytes[third] = 3;  // the object has vertices 0 to 2
  ExpectRejected(bytes, static_cast<int64_t>(third),
                 "object 0, face 0: vertex index 3 is not below VertexCount 3");
  bytes = good.Bytes;
  bytes[good.PlainFace() + 4] = 0xFF;
  bytes[good.PlainFace() + 5] = 0xFF;
  ExpectRejected(bytes, static_cast<int64_t>(good.PlainFace() + 4),
                 "object 0, plain face 0: vertex index 65535 is not below VertexCount 3");
}

TEST(LoadModelRejects, TextureIndexOutsideTheTable) {
  TGoodFile good;
  const size_t at = good.Face(1) + 4 + 6 + 4;
  for (int32_t index : {-1, 2}) {
    auto bytes = good.Bytes;
    Patch(bytes, at, index);
    ExpectRejected(
        bytes, static_cast<int64_t>(at),
        "TextureIndex " + std::to_string(index) + " is outside the texture table of 2 entries");
  }
  TKorFileRecord file;
  file.TextureNames = {"a.bmp"};
  file.Objects = {Triangle(-1, 1)};
  ExpectRejected(EncodeKorFile(file), 4 + 6 + 4 + 148 + 3 * 36 + 4 + 6 + 4,
                 "TextureIndex 1 is outside the texture table of 1 entry");
}

TEST(LoadModelRejects, ParentIndexThatIsNotAnEarlierObject) {
  TKorFileRecord file;
  file.Objects = {EmptyObject(), EmptyObject(0), EmptyObject(0)};
  TKorFileLayout layout;
  const auto good = EncodeKorFile(file, &layout);
  const size_t ofObject1 = layout.ObjectOffsets[2] - 4;
  struct TCase {
    size_t At;
    int32_t Parent;
    std::string Fragment;
  };
  for (const TCase& c :
       {TCase{ofObject1, 1, "object 1: ParentIndex 1 names the object itself"},
        TCase{ofObject1, 2, "object 1: ParentIndex 2 names a later object"},
        TCase{ofObject1, 3, "object 1: ParentIndex 3 is out of range"},
        TCase{ofObject1, -2, "object 1: ParentIndex -2 is out of range"},
        TCase{layout.ObjectOffsets[1] - 4, 0, "object 0: ParentIndex 0 names the object itself"},
        TCase{layout.ObjectOffsets[1] - 4, 1, "object 0: ParentIndex 1 names a later object"},
        TCase{good.size() - 4, 1024, "object 2: ParentIndex 1024 is out of range"}}) {
    auto bytes = good;
    Patch(bytes, c.At, c.Parent);
    ExpectRejected(bytes, static_cast<int64_t>(c.At), c.Fragment);
  }
}

TEST(LoadModelRejects, TextureNamesTooLongOrUnterminated) {
  TKorFileRecord file;
  file.TextureNames = {"a.bmp", std::string(KorMaxNameLength + 1, 'x')};
  file.Objects = {EmptyObject()};
  // At the name's 256th byte (from byte 10), which had to be its 0 at the latest.
  ExpectRejected(EncodeKorFile(file), 10 + 255,
                 "texture name 1: the name is longer than 255 bytes");
  TKorByteWriter unterminated;
  unterminated.Int32(1);
  unterminated.Bytes("abc", 3);
  unterminated.Bytes(std::string(200, 'y').data(), 200);
  ExpectRejected(unterminated.Data(), 4 + 3 + 200,
                 "texture name 0: the name has no terminating 0 byte before the end of the file");
}

TEST(LoadModelRejects, ABitmapThatCannotBeLoadedGivesBackEarlierTextures) {
  TGoodFile good;
  TKorTextureRecorder maker;
  maker.FailFor("b.bmp");
  ExpectRejected(good.Bytes, 10, "texture name 1: cannot load bitmap \"maps/b.bmp\"", &maker,
                 "maps/test.kor");
  EXPECT_EQ(maker.DiscardedNumbers(), (std::vector<int32_t>{0}));
}

TEST(LoadModelRejects, ALateFaultGivesBackEveryObjectAndTexture) {
  TKorFileRecord file;
  file.TextureNames = {"a.bmp", "b.bmp", "a.bmp", "c.bmp"};
  file.Objects = {Triangle(-1, 0), Triangle(0, 1), Triangle(1, 2), Triangle(0, 3)};
  TKorFileLayout layout;
  auto bytes = EncodeKorFile(file, &layout);
  Patch(bytes, bytes.size() - 4, 7);  // the last object's parent is out of range
  TKorTextureRecorder maker;
  ExpectRejected(bytes, static_cast<int64_t>(bytes.size() - 4), "object 3: ParentIndex 7", &maker);
  // Each distinct texture given back once, the latest first.
  EXPECT_EQ(maker.DiscardedNumbers(), (std::vector<int32_t>{2, 1, 0}));
}

}  // namespace
