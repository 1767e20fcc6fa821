// Writing ".kor" files: little-endian fields in the layout the loader reads. The asset
// generator writes the demo's model with it; tests and the fuzz seeds build good files from
// records and broken ones field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/KorObject.h"
#include "scene/Matrix.h"

// Appends fields to a growing byte buffer. Floats are written as their IEEE bit patterns, so
// the output does not depend on locale or formatting.
class TKorByteWriter {
 public:
  void Int32(int32_t Value);
  void UInt32(uint32_t Value);
  void UInt16(uint16_t Value);
  void Float(float Value);
  void Bytes(const void* Data, size_t Count);
  // The name's bytes followed by one 0 byte.
  void Name(std::string_view Text);
  void Matrix(const Matrix4& M);

  // Overwrites four bytes already written, for tests that break one field of a good file.
  void PatchInt32(size_t Offset, int32_t Value);

  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Data() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// One polygon record. TextureIndex is written for textured faces only.
struct TKorFaceRecord {
  std::vector<uint16_t> Indices;
  int32_t Flag = 6;
  int32_t TextureIndex = 0;
};

// One object block; the four counts are the sizes of the vectors.
struct TKorObjectRecord {
  int32_t Tag = 0;
  Matrix4 Local = IdentityMatrix;
  Matrix4 Base = IdentityMatrix;
  std::vector<TKorVertex> Vertices;  // ClipFlags is not written
  std::vector<TKorFaceRecord> Faces;
  std::vector<Vector3> Points;
  std::vector<TKorFaceRecord> PlainFaces;
  int32_t ParentIndex = -1;
};

struct TKorFileRecord {
  std::vector<std::string> TextureNames;
  std::vector<TKorObjectRecord> Objects;
};

// Where the parts of an encoded file start, for tests that point at a field.
struct TKorFileLayout {
  size_t ObjectCountOffset = 0;
  std::vector<size_t> ObjectOffsets;
};

// Sizes of the fixed parts of an object block.
constexpr size_t KorObjectHeaderBytes = 148;  // four counts, Tag, Local, Base
constexpr size_t KorVertexBytes = 36;

void WriteKorObject(TKorByteWriter& Out, const TKorObjectRecord& Object);
std::vector<uint8_t> EncodeKorFile(const TKorFileRecord& File, TKorFileLayout* Layout = nullptr);
