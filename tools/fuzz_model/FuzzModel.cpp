// libFuzzer target for the model loader. Every input must either load into a tree whose
// indices, texture references and links are all sound, or be rejected with EKorModelError;
// either way nothing the load made may stay alive. Anything else is a finding: a sanitizer
// report, an escaped exception or one of the traps below.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/LoadModel.h"
#include "model/TextureRecorder.h"

namespace {

// Names the fake view can "load"; any other name fails like a missing bitmap.
const std::vector<std::string> KnownBitmaps = {"wisp_body.bmp", "wisp_base.bmp", "a.bmp", "b.bmp",
                                               "c.bmp"};

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckPolygons(const TKorObject& object, const std::vector<TKorPolygon>& polygons,
                   int32_t count, bool textured) {
  for (int32_t p = 0; p < count; ++p) {
    const TKorPolygon& polygon = polygons[static_cast<size_t>(p)];
    Require(polygon.Owner == &object);
    Require(polygon.Count == static_cast<int32_t>(polygon.Indices.size()));
    Require(polygon.Count <= KorMaxPolygonIndices);
    Require(!textured || polygon.TexRef != nullptr);
    for (uint16_t index : polygon.Indices) Require(index < object.VertexCount);
  }
}

// Every number a loaded object holds is finite (the loader refuses NaN and infinity).
void CheckFinite(const TKorObject& object) {
  for (const float element : object.Local.m) Require(std::isfinite(element));
  for (const float element : object.Base.m) Require(std::isfinite(element));
  for (int32_t v = 0; v < object.VertexCount; ++v) {
    const TKorVertex& x = object.Vertices[static_cast<size_t>(v)];
    for (const float value : {x.X, x.Y, x.Z, x.U, x.V, x.NX, x.NY, x.NZ})
      Require(std::isfinite(value));
  }
}

int CheckTree(const TKorObject* object, const TKorObject* parent) {
  int objects = 0;
  for (; object != nullptr; object = object->Next) {
    Require(object->Parent == parent);
    CheckFinite(*object);
    Require(object->VertexCount == object->VertexCapacity);
    Require(object->FaceCount == object->FaceCapacity);
    CheckPolygons(*object, object->Faces, object->FaceCount, true);
    CheckPolygons(*object, object->PlainFaces, object->PlainFaceCount, false);
    objects += 1 + CheckTree(object->FirstChild, object);
  }
  return objects;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TKorTextureRecorder maker;
  maker.AcceptOnly(KnownBitmaps);
  const int64_t objectsBefore = TKorObject::LiveCount();
  try {
    TKorModelIndex index;
    TKorObject* root =
        LoadModelFromBytes(&maker, "fuzz/model.kor", std::span<const uint8_t>(Data, Size), &index);
    Require(root != nullptr && root->Parent == nullptr && root->Next == nullptr);
    const int inTree = CheckTree(root, nullptr);
    Require(inTree <= KorMaxObjects);
    Require(TKorObject::LiveCount() - objectsBefore == inTree);
    FreeObject(root);
  } catch (const EKorModelError& error) {
    Require(maker.LiveTextures() == 0);
    // Every fault is placed at a byte of the file or at its end.
    Require(error.Offset() >= 0 && error.Offset() <= static_cast<int64_t>(Size));
  }
  Require(TKorObject::LiveCount() == objectsBefore);
  Require(maker.UnknownDiscards() == 0);
  return 0;
}
