// The in-memory model tree: objects with two placement matrices, vertex, point and polygon
// arrays of fixed capacity, a bounding box and Parent/Next/FirstChild links.
//
// The loader builds trees, the skin rewrites vertices every frame and the renderer walks the
// tree and writes its per-frame scratch fields (Combined, FirstIndex, ClipFlags, ClipState).
// Records are created and freed by explicit routines that take the caller's reference; freeing
// never clears that reference. A tree is owned through its root.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/Matrix.h"

struct TKorTexdata;
struct TKorObject;

struct TKorVertex {
  float X = 0, Y = 0, Z = 0;     // position
  float U = 0, V = 0;            // texture coordinates
  float NX = 0, NY = 0, NZ = 0;  // normal
  uint32_t Color = 0;            // ARGB, blue in the low byte
  int32_t ClipFlags = 0;         // renderer: 1 when the vertex projects inside the screen
};

struct TKorPolygon {
  std::vector<uint16_t> Indices;        // vertex indices into the owner's Vertices
  int32_t Count = 0;                    // number of indices
  int32_t ClipState = 0;                // renderer: 2 when wholly inside the screen, else 0
  uint8_t Flag = 0;                     // drawn (as a triangle fan) only when 6
  const TKorTexdata* TexRef = nullptr;  // the view's texture record; not owned
  TKorObject* Owner = nullptr;          // the object holding this polygon
};

struct TKorObject {
  int32_t Tag = 0;
  Matrix4 Local = IdentityMatrix;
  Matrix4 Base = IdentityMatrix;
  Matrix4 Combined;  // Local x Base x parent's Combined, written by the renderer
  TKorObject* Parent = nullptr;
  TKorObject* Next = nullptr;
  TKorObject* FirstChild = nullptr;
  std::vector<TKorVertex> Vertices;  // sized to VertexCapacity
  int32_t VertexCount = 0;
  std::vector<Vector3> Points;  // sized to PointCapacity
  int32_t PointCount = 0;
  std::vector<TKorPolygon> Faces;       // textured polygons, sized to FaceCapacity
  std::vector<TKorPolygon> PlainFaces;  // untextured polygons, never drawn
  int32_t FaceCount = 0;
  int32_t PlainFaceCount = 0;
  int32_t VertexCapacity = 0, PointCapacity = 0, FaceCapacity = 0, PlainFaceCapacity = 0;
  int32_t FirstIndex = 0;  // renderer: this object's first vertex in the vertex buffer
  int32_t Visible = 1;     // only exactly 1 is drawn; otherwise it and its later siblings hide
  Vector3 BoxMin{1.0e8f, 1.0e8f, 1.0e8f};
  Vector3 BoxMax{-1.0e8f, -1.0e8f, -1.0e8f};

  TKorObject();
  ~TKorObject();
  TKorObject(const TKorObject&) = delete;
  TKorObject& operator=(const TKorObject&) = delete;

  // Objects alive in the process: a caller compares it before and after to check that trees
  // are freed whole.
  static int64_t LiveCount();
};

// Allocates a new object with room for the given counts and stores it in Obj. Negative
// capacities are rejected with std::invalid_argument.
void NewObject(TKorObject*& Obj, int32_t VertexCapacity, int32_t FaceCapacity,
               int32_t PointCapacity, int32_t PlainFaceCapacity);

// Appending beyond a capacity given to NewObject throws std::length_error naming the array and
// its capacity; nothing is written.
void AddVertex(TKorObject*& Obj, uint32_t Color, float X, float Y, float Z, float NX, float NY,
               float NZ, float U, float V);
void AddFace(TKorObject*& Obj, const uint16_t* Indices, int32_t Count, uint8_t Flag,
             const TKorTexdata* TexRef);
void AddPoint(TKorObject*& Obj, float X, float Y, float Z);
void AddPlainFace(TKorObject*& Obj, const uint16_t* Indices, int32_t Count, uint8_t Flag);

// Grows a box to hold p, one axis at a time, by strict comparisons; a box never shrinks.
void GrowBox(Vector3& BoxMin, Vector3& BoxMax, float X, float Y, float Z);

// Makes Child the first child of Parent; children therefore sit in reverse order of attachment.
void AttachObject(TKorObject* Parent, TKorObject* Child);

// Frees Obj, its later siblings and all their descendants. Nil does nothing. It does not unlink
// Obj from a parent and leaves the caller's reference as it was.
void FreeObject(TKorObject*& Obj);
