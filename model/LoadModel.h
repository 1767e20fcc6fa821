// The ".kor" model loader. A file is a texture table followed by object blocks that form one
// tree (all fields little-endian):
//
//   int32 TextureCount; TextureCount names, each at most 255 bytes and ended by a 0 byte
//   int32 ObjectCount (1 to 1025); then per object:
//     int32 VertexCount, FaceCount, PointCount, PlainFaceCount; 4 bytes Tag;
//     16 floats Local; 16 floats Base;
//     VertexCount x 36 bytes: X Y Z U V NX NY NZ (floats), Color (uint32 ARGB)
//     FaceCount x (int32 Count 0..128, Count uint16 indices, int32 Flag, int32 TextureIndex)
//     PointCount x (X Y Z floats)
//     PlainFaceCount x (int32 Count 0..128, Count uint16 indices, int32 Flag)
//     int32 ParentIndex: -1, or an earlier object's index
//
// Texture names are relative to the model file's directory (see KorPath.h). A name that
// appears again in the table reuses the texture made for it. Only the low byte of a Flag is
// kept. Children are attached first, so one parent's children are walked in reverse file
// order. An object after the first with ParentIndex -1 is not part of the returned tree; it is
// freed with its descendants before LoadModel returns. Bytes after the last object are not read.
//
// A file that breaks the format is rejected with EKorModelError naming the file, the byte
// offset of the fault (for a file that ends too soon, the byte where it ends) and the fault.
// Faces of fewer than three indices load; the renderer leaves them out and counts them. The caller
// then gets nothing: every object and every texture made for the file before the fault has been
// given back.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/ModelError.h"
#include "scene/KorObject.h"
#include "scene/TextureMaker.h"

constexpr int32_t KorMaxNameLength = 255;
constexpr int32_t KorMaxPolygonIndices = 128;
constexpr int32_t KorMaxObjects = 1025;

// How the file laid out what LoadModel built, for tools that show a file.
struct TKorModelIndex {
  std::vector<std::string> TextureNames;     // the table, in file order
  std::vector<const TKorTexdata*> Textures;  // one per table entry; repeats share a record
  std::vector<const TKorObject*> Objects;    // file order; nil where not part of the tree
  std::vector<int32_t> ParentIndexes;        // as read
  int64_t FileSize = 0;
  int64_t BytesRead = 0;  // where the last object ended
};

// Loads FileName and returns its object 0, the root of the tree. Textures are made through
// View, once per distinct name, in table order. The tree belongs to the caller (FreeObject);
// the textures belong to View.
TKorObject* LoadModel(TKorTextureMaker* View, const char* FileName);

// The same, also filling Index when it is not nil.
TKorObject* LoadModel(TKorTextureMaker* View, const char* FileName, TKorModelIndex* Index);

// Loads a file already read into memory; FileName gives the texture directory and the name
// used in messages.
TKorObject* LoadModelFromBytes(TKorTextureMaker* View, const std::string& FileName,
                               std::span<const uint8_t> Bytes, TKorModelIndex* Index = nullptr);

// The whole file, or EKorModelError when it cannot be opened or read.
std::vector<uint8_t> ReadModelFile(const std::string& FileName);
