#include "anim/Skin.h"

namespace {

// The position in the frame of Q: dotted with Q's rotation rows, minus Q's translation row.
// This undoes Q exactly when Q is a pure rotation or a pure translation.
Vector3 IntoSegmentSpace(const Matrix4& Q, float X, float Y, float Z) {
  return {X * Q[0] + Y * Q[1] + Z * Q[2] - Q[12], X * Q[4] + Y * Q[5] + Z * Q[6] - Q[13],
          X * Q[8] + Y * Q[9] + Z * Q[10] - Q[14]};
}

bool InsideJoint(const TKorJoint& J, const Vector3& p) {
  return p.z < J.Length && p.z > 0.0f && p.x * p.x + p.y * p.y < J.Radius * J.Radius;
}

// Picks the segment that holds height z: the first k with z < Offset[k] selects segment k-1;
// none selects segment 7. Returns the segment and rewrites z relative to its start.
const Matrix4* ChooseSegment(const TKorJoint& J, float& z) {
  for (int k = 1; k < JointSegmentCount; ++k) {
    if (z < J.Offset[k]) {
      z -= J.Offset[k - 1];
      return &J.SegmentWorld[k - 1];
    }
  }
  return &J.SegmentWorld[JointSegmentCount - 1];
}

void BindVertices(const TKorJoint& J, TKorSkin& S, const Matrix4& Q) {
  const TKorObject& mesh = *S.Mesh;
  for (int32_t d = 0; d < S.VertexCount; ++d) {
    const TKorVertex& source = mesh.Vertices[static_cast<size_t>(d)];
    Vector3 p = IntoSegmentSpace(Q, source.X, source.Y, source.Z);
    if (!InsideJoint(J, p)) continue;
    TKorVertex& local = S.LocalVertices[static_cast<size_t>(d)];
    S.VertexBones[static_cast<size_t>(d)] = ChooseSegment(J, p.z);
    local.X = p.x;
    local.Y = p.y;
    local.Z = p.z;
    local.NX = source.NX * Q[0] + source.NY * Q[1] + source.NZ * Q[2];
    local.NY = source.NX * Q[4] + source.NY * Q[5] + source.NZ * Q[6];
    local.NZ = source.NX * Q[8] + source.NY * Q[9] + source.NZ * Q[10];
  }
}

void BindPoints(const TKorJoint& J, TKorSkin& S, const Matrix4& Q) {
  const TKorObject& mesh = *S.Mesh;
  for (int32_t d = 0; d < S.PointCount; ++d) {
    const Vector3& source = mesh.Points[static_cast<size_t>(d)];
    Vector3 p = IntoSegmentSpace(Q, source.x, source.y, source.z);
    if (!InsideJoint(J, p)) continue;
    S.PointBones[static_cast<size_t>(d)] = ChooseSegment(J, p.z);
    S.LocalPoints[static_cast<size_t>(d)] = p;
  }
}

void BindPass(const TKorJoint& J, TKorSkin& S, const Matrix4& Q) {
  BindVertices(J, S, Q);
  BindPoints(J, S, Q);
}

}  // namespace

void NewSkin(TKorSkin*& S, TKorObject* Mesh, TKorJoint* Root) {
  auto* skin = new TKorSkin;
  skin->Mesh = Mesh;
  skin->VertexCapacity = Mesh->VertexCapacity;
  skin->PointCapacity = Mesh->PointCapacity;
  skin->VertexCount = Mesh->VertexCount;
  skin->PointCount = Mesh->PointCount;
  skin->LocalVertices.assign(Mesh->Vertices.begin(), Mesh->Vertices.end());
  skin->VertexBones.assign(static_cast<size_t>(skin->VertexCapacity), nullptr);
  skin->LocalPoints.assign(Mesh->Points.begin(), Mesh->Points.end());
  skin->PointBones.assign(static_cast<size_t>(skin->PointCapacity), nullptr);
  BindRootJoint(Root, skin);
  S = skin;
}

void BindRootJoint(TKorJoint* J, TKorSkin* S) {
  const Matrix4 Q = J->Base;
  BindPass(*J, *S, Q);
  if (J->FirstChild != nullptr) BindJoints(J->FirstChild, S, Q);
}

void BindJoints(TKorJoint* J, TKorSkin* S, const Matrix4& P) {
  for (TKorJoint* joint = J; joint != nullptr; joint = joint->Next) {
    Matrix4 X;
    MatrixMultiply(joint->Base, P, X);
    Matrix4 T = IdentityMatrix;
    T[14] = joint->Parent->Length;
    Matrix4 Q;
    MatrixMultiply(T, X, Q);
    BindPass(*joint, *S, Q);
    if (joint->FirstChild != nullptr) BindJoints(joint->FirstChild, S, Q);
  }
}

void ApplySkin(TKorSkin* S) {
  TKorObject& mesh = *S->Mesh;
  for (int32_t d = 0; d < S->VertexCount; ++d) {
    const TKorVertex& local = S->LocalVertices[static_cast<size_t>(d)];
    const Matrix4* bone = S->VertexBones[static_cast<size_t>(d)];
    Vector3 position{local.X, local.Y, local.Z};
    Vector3 normal{local.NX, local.NY, local.NZ};
    if (bone != nullptr) {
      position = TransformPoint(*bone, position);
      normal = TransformDirection(*bone, normal);
    }
    TKorVertex& out = mesh.Vertices[static_cast<size_t>(d)];
    out.X = position.x;
    out.Y = position.y;
    out.Z = position.z;
    out.NX = normal.x;
    out.NY = normal.y;
    out.NZ = normal.z;
    GrowBox(mesh.BoxMin, mesh.BoxMax, position.x, position.y, position.z);
  }
}

void FreeSkin(TKorSkin*& S) {
  delete S;
}
