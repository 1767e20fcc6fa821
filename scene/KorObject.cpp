#include "scene/KorObject.h"

#include <atomic>
#include <stdexcept>
#include <string>

namespace {

std::atomic<int64_t> liveObjects{0};

// Throws unless one more entry fits in an array of the given capacity.
void RequireRoom(int32_t count, int32_t capacity, const char* array) {
  if (count >= capacity) {
    throw std::length_error(std::string("TKorObject.") + array + ": capacity " +
                            std::to_string(capacity) + " is full");
  }
}

void RequireCount(int32_t count, const char* what) {
  if (count < 0) {
    throw std::invalid_argument(std::string("TKorObject: negative ") + what + " " +
                                std::to_string(count));
  }
}

TKorPolygon MakePolygon(TKorObject* owner, const uint16_t* indices, int32_t count, uint8_t flag) {
  RequireCount(count, "polygon index count");
  TKorPolygon polygon;
  polygon.Indices.assign(indices, indices + count);
  polygon.Count = count;
  polygon.Flag = flag;
  polygon.Owner = owner;
  return polygon;
}

}  // namespace

TKorObject::TKorObject() {
  ++liveObjects;
}
TKorObject::~TKorObject() {
  --liveObjects;
}
int64_t TKorObject::LiveCount() {
  return liveObjects.load();
}

void NewObject(TKorObject*& Obj, int32_t VertexCapacity, int32_t FaceCapacity,
               int32_t PointCapacity, int32_t PlainFaceCapacity) {
  RequireCount(VertexCapacity, "vertex capacity");
  RequireCount(FaceCapacity, "face capacity");
  RequireCount(PointCapacity, "point capacity");
  RequireCount(PlainFaceCapacity, "plain-face capacity");
  auto* object = new TKorObject;
  object->Vertices.resize(static_cast<size_t>(VertexCapacity));
  object->Faces.resize(static_cast<size_t>(FaceCapacity));
  object->Points.resize(static_cast<size_t>(PointCapacity));
  object->PlainFaces.resize(static_cast<size_t>(PlainFaceCapacity));
  object->VertexCapacity = VertexCapacity;
  object->FaceCapacity = FaceCapacity;
  object->PointCapacity = PointCapacity;
  object->PlainFaceCapacity = PlainFaceCapacity;
  Obj = object;
}

void GrowBox(Vector3& BoxMin, Vector3& BoxMax, float X, float Y, float Z) {
  if (X > BoxMax.x) BoxMax.x = X;
  if (X < BoxMin.x) BoxMin.x = X;
  if (Y > BoxMax.y) BoxMax.y = Y;
  if (Y < BoxMin.y) BoxMin.y = Y;
  if (Z > BoxMax.z) BoxMax.z = Z;
  if (Z < BoxMin.z) BoxMin.z = Z;
}

void AddVertex(TKorObject*& Obj, uint32_t Color, float X, float Y, float Z, float NX, float NY,
               float NZ, float U, float V) {
  RequireRoom(Obj->VertexCount, Obj->VertexCapacity, "Vertices");
  TKorVertex& vertex = Obj->Vertices[static_cast<size_t>(Obj->VertexCount)];
  vertex.X = X;
  vertex.Y = Y;
  vertex.Z = Z;
  vertex.U = U;
  vertex.V = V;
  vertex.NX = NX;
  vertex.NY = NY;
  vertex.NZ = NZ;
  vertex.Color = Color;
  GrowBox(Obj->BoxMin, Obj->BoxMax, X, Y, Z);
  ++Obj->VertexCount;
}

void AddFace(TKorObject*& Obj, const uint16_t* Indices, int32_t Count, uint8_t Flag,
             const TKorTexdata* TexRef) {
  RequireRoom(Obj->FaceCount, Obj->FaceCapacity, "Faces");
  TKorPolygon polygon = MakePolygon(Obj, Indices, Count, Flag);
  polygon.TexRef = TexRef;
  Obj->Faces[static_cast<size_t>(Obj->FaceCount)] = std::move(polygon);
  ++Obj->FaceCount;
}

void AddPoint(TKorObject*& Obj, float X, float Y, float Z) {
  RequireRoom(Obj->PointCount, Obj->PointCapacity, "Points");
  Obj->Points[static_cast<size_t>(Obj->PointCount)] = Vector3{X, Y, Z};
  GrowBox(Obj->BoxMin, Obj->BoxMax, X, Y, Z);
  ++Obj->PointCount;
}

void AddPlainFace(TKorObject*& Obj, const uint16_t* Indices, int32_t Count, uint8_t Flag) {
  RequireRoom(Obj->PlainFaceCount, Obj->PlainFaceCapacity, "PlainFaces");
  Obj->PlainFaces[static_cast<size_t>(Obj->PlainFaceCount)] =
      MakePolygon(Obj, Indices, Count, Flag);
  ++Obj->PlainFaceCount;
}

void AttachObject(TKorObject* Parent, TKorObject* Child) {
  Child->Parent = Parent;
  Child->Next = Parent->FirstChild;
  Parent->FirstChild = Child;
}

void FreeObject(TKorObject*& Obj) {
  // Walks the sibling chain in a loop and recurses only into children, so a long chain of
  // siblings cannot exhaust the stack. Each object's arrays go with its record.
  TKorObject* object = Obj;
  while (object != nullptr) {
    TKorObject* next = object->Next;
    FreeObject(object->FirstChild);
    delete object;
    object = next;
  }
}
