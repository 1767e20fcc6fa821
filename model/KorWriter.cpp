#include "model/KorWriter.h"

#include <cstring>

void TKorByteWriter::UInt32(uint32_t Value) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes_.push_back(static_cast<uint8_t>(Value >> shift));
}

void TKorByteWriter::Int32(int32_t Value) {
  UInt32(static_cast<uint32_t>(Value));
}

void TKorByteWriter::UInt16(uint16_t Value) {
  bytes_.push_back(static_cast<uint8_t>(Value));
  bytes_.push_back(static_cast<uint8_t>(Value >> 8));
}

void TKorByteWriter::Float(float Value) {
  uint32_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  UInt32(bits);
}

void TKorByteWriter::Bytes(const void* Data, size_t Count) {
  const auto* p = static_cast<const uint8_t*>(Data);
  bytes_.insert(bytes_.end(), p, p + Count);
}

void TKorByteWriter::Name(std::string_view Text) {
  Bytes(Text.data(), Text.size());
  bytes_.push_back(0);
}

void TKorByteWriter::Matrix(const Matrix4& M) {
  for (float element : M.m) Float(element);
}

void TKorByteWriter::PatchInt32(size_t Offset, int32_t Value) {
  const auto bits = static_cast<uint32_t>(Value);
  for (size_t i = 0; i < 4; ++i) bytes_.at(Offset + i) = static_cast<uint8_t>(bits >> (8 * i));
}

namespace {

void WriteVertex(TKorByteWriter& out, const TKorVertex& v) {
  for (float value : {v.X, v.Y, v.Z, v.U, v.V, v.NX, v.NY, v.NZ}) out.Float(value);
  out.UInt32(v.Color);
}

void WritePolygon(TKorByteWriter& out, const TKorFaceRecord& face, bool textured) {
  out.Int32(static_cast<int32_t>(face.Indices.size()));
  for (uint16_t index : face.Indices) out.UInt16(index);
  out.Int32(face.Flag);
  if (textured) out.Int32(face.TextureIndex);
}

}  // namespace

void WriteKorObject(TKorByteWriter& Out, const TKorObjectRecord& Object) {
  Out.Int32(static_cast<int32_t>(Object.Vertices.size()));
  Out.Int32(static_cast<int32_t>(Object.Faces.size()));
  Out.Int32(static_cast<int32_t>(Object.Points.size()));
  Out.Int32(static_cast<int32_t>(Object.PlainFaces.size()));
  Out.Int32(Object.Tag);
  Out.Matrix(Object.Local);
  Out.Matrix(Object.Base);
  for (const TKorVertex& vertex : Object.Vertices) WriteVertex(Out, vertex);
  for (const TKorFaceRecord& face : Object.Faces) WritePolygon(Out, face, true);
  for (const Vector3& point : Object.Points) {
    Out.Float(point.x);
    Out.Float(point.y);
    Out.Float(point.z);
  }
  for (const TKorFaceRecord& face : Object.PlainFaces) WritePolygon(Out, face, false);
  Out.Int32(Object.ParentIndex);
}

std::vector<uint8_t> EncodeKorFile(const TKorFileRecord& File, TKorFileLayout* Layout) {
  TKorByteWriter out;
  out.Int32(static_cast<int32_t>(File.TextureNames.size()));
  for (const std::string& name : File.TextureNames) out.Name(name);
  if (Layout != nullptr) Layout->ObjectCountOffset = out.Size();
  out.Int32(static_cast<int32_t>(File.Objects.size()));
  for (const TKorObjectRecord& object : File.Objects) {
    if (Layout != nullptr) Layout->ObjectOffsets.push_back(out.Size());
    WriteKorObject(out, object);
  }
  return out.Data();
}
