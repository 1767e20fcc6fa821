// Small ".kor" files for the loader's tests, built from records, and a check that a file is
// rejected at the right byte with nothing left behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/KorWriter.h"
#include "model/LoadModel.h"
#include "model/TextureRecorder.h"

namespace testsupport {

inline TKorVertex Vertex(float x, float y, float z, uint32_t color = 0xFFFFFFFFu) {
  TKorVertex v;
  v.X = x;
  v.Y = y;
  v.Z = z;
  v.U = x * 0.5f;
  v.V = y * 0.25f;
  v.NZ = 1.0f;
  v.Color = color;
  return v;
}

// One triangle with its three vertices, textured with entry TextureIndex.
inline TKorObjectRecord Triangle(int32_t ParentIndex = -1, int32_t TextureIndex = 0,
                                 int32_t Tag = 0) {
  TKorObjectRecord object;
  object.Tag = Tag;
  object.Vertices = {Vertex(0, 0, 0), Vertex(1, 0, 0), Vertex(0, 1, 0)};
  object.Faces = {{{0, 1, 2}, 6, TextureIndex}};
  object.ParentIndex = ParentIndex;
  return object;
}

inline TKorObjectRecord EmptyObject(int32_t ParentIndex = -1, int32_t Tag = 0) {
  TKorObjectRecord object;
  object.Tag = Tag;
  object.ParentIndex = ParentIndex;
  return object;
}

// Offsets of an object block's fields, from the block's start and its counts.
inline size_t FacesOffset(const TKorObjectRecord& object) {
  return KorObjectHeaderBytes + KorVertexBytes * object.Vertices.size();
}

// What a rejection must look like: the file named, the fault at byte Offset, Fragment in the
// text, and nothing left alive of what the load made.
inline void ExpectRejected(const std::vector<uint8_t>& bytes, int64_t Offset,
                           const std::string& Fragment, TKorTextureRecorder* maker = nullptr,
                           const std::string& FileName = "test.kor") {
  TKorTextureRecorder ownMaker;
  if (maker == nullptr) maker = &ownMaker;
  const int64_t objectsBefore = TKorObject::LiveCount();
  try {
    TKorObject* root = LoadModelFromBytes(maker, FileName, bytes);
    FreeObject(root);
    ADD_FAILURE() << "accepted a file that should fail with \"" << Fragment << "\"";
  } catch (const EKorModelError& error) {
    EXPECT_EQ(error.FileName(), FileName);
    EXPECT_EQ(error.Offset(), Offset) << error.what();
    EXPECT_NE(error.Problem().find(Fragment), std::string::npos) << error.what();
    EXPECT_EQ(std::string(error.what()).rfind(FileName + ": byte " + std::to_string(Offset), 0), 0u)
        << error.what();
  }
  EXPECT_EQ(TKorObject::LiveCount(), objectsBefore);
  EXPECT_EQ(maker->LiveTextures(), 0);
  EXPECT_EQ(maker->UnknownDiscards(), 0);
}

}  // namespace testsupport
