#include "anim/Skin.h"

namespace {

// The position in the frame of Q: dotted with Q's rotation rows, minus Q's translation row.
// This undoes Q exactly when Q is a pure rotation or a pure translation. Formed in double and
// kept there for the tests below; it is rounded to single where the skin stores it.
Vector3d IntoSegmentSpace(const Matrix4& Q, float X, float Y, float Z) {
  const double x = X, y = Y, z = Z;
  return {x * Q[0] + y * Q[1] + z * Q[2] - Q[12], x * Q[4] + y * Q[5] + z * Q[6] - Q[13],
          x * Q[8] + y * Q[9] + z * Q[10] - Q[14]};
}

bool InsideJoint(const TKorJoint& J, const Vector3d& p) {
  const double radius = J.Radius;
  return p.z < J.Length && p.z > 0.0 && p.x * p.x + p.y * p.y < radius * radius;
}

// Picks the segment that holds height z: the first k with z < Offset[k] selects segment k-1;
// none selects segment 7. Returns the segment and rewrites z relative to its start.
const Matrix4* ChooseSegment(const TKorJoint& J, double& z) {
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
    Vector3d p = IntoSegmentSpace(Q, source.X, source.Y, source.Z);
    if (!InsideJoint(J, p)) continue;
    TKorVertex& local = S.LocalVertices[static_cast<size_t>(d)];
    S.VertexBones[static_cast<size_t>(d)] = ChooseSegment(J, p.z);
    const Vector3 stored = RoundToSingle(p);
    local.X = stored.x;
    local.Y = stored.y;
    local.Z = stored.z;
    const double nx = source.NX, ny = source.NY, nz = source.NZ;
    local.NX = static_cast<float>(nx * Q[0] + ny * Q[1] + nz * Q[2]);
    local.NY = static_cast<float>(nx * Q[4] + ny * Q[5] + nz * Q[6]);
    local.NZ = static_cast<float>(nx * Q[8] + ny * Q[9] + nz * Q[10]);
  }
}

void BindPoints(const TKorJoint& J, TKorSkin& S, const Matrix4& Q) {
  const TKorObject& mesh = *S.Mesh;
  for (int32_t d = 0; d < S.PointCount; ++d) {
    const Vector3& source = mesh.Points[static_cast<size_t>(d)];
    Vector3d p = IntoSegmentSpace(Q, source.x, source.y, source.z);
    if (!InsideJoint(J, p)) continue;
    S.PointBones[static_cast<size_t>(d)] = ChooseSegment(J, p.z);
    S.LocalPoints[static_cast<size_t>(d)] = RoundToSingle(p);
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
