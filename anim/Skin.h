// Rigid skinning: each vertex and point of one model object is bound once, in the joints' rest
// pose, to at most one segment matrix of a joint tree; every frame after the joints are updated
// the deformed positions and normals are written back into the object.
#pragma once

#include <cstdint>
#include <vector>

#include "anim/Joint.h"
#include "scene/KorObject.h"

struct TKorSkin {
  TKorObject* Mesh = nullptr;               // rewritten every frame; not owned
  std::vector<TKorVertex> LocalVertices;    // bound vertices in segment space
  std::vector<const Matrix4*> VertexBones;  // the SegmentWorld each vertex follows, or nil
  int32_t VertexCount = 0;
  std::vector<Vector3> LocalPoints;  // bound points in segment space
  std::vector<const Matrix4*> PointBones;
  int32_t PointCount = 0;
  int32_t VertexCapacity = 0, PointCapacity = 0;
};

// Builds the skin for Mesh and binds every vertex and point to the tree rooted at Root. The
// joints must outlive the skin and must not move: the skin points into their SegmentWorld.
void NewSkin(TKorSkin*& S, TKorObject* Mesh, TKorJoint* Root);

// Binds the root joint and, depth first, all its descendants (not the root's siblings).
void BindRootJoint(TKorJoint* J, TKorSkin* S);

// Binds J (whose parent's end is P), its descendants and its later siblings.
void BindJoints(TKorJoint* J, TKorSkin* S, const Matrix4& P);

// Writes deformed positions and normals into the mesh and grows its box; allocates nothing.
void ApplySkin(TKorSkin* S);

// Frees the skin; the mesh and the joints stay.
void FreeSkin(TKorSkin*& S);
