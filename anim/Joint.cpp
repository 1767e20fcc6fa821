#include "anim/Joint.h"

namespace {

bool StrictlyBetweenZeroAndOne(float p) {
  return p > 0.0f && p < 1.0f;
}

// The cubic Bezier with control values 0, q1, q2, 1 at t (s = 1 - t), evaluated at full
// precision and rounded to single once.
float Bezier(double q1, double q2, double t, double s) {
  return static_cast<float>(3.0 * q1 * t * s * s + 3.0 * q2 * t * t * s + t * t * t);
}

// Walks the eight segments from W, storing each world matrix; W ends at the joint's end.
void ComposeSegments(TKorJoint& joint, Matrix4& W) {
  BuildSegments(&joint);
  for (int k = 0; k < JointSegmentCount; ++k) {
    MatrixMultiply(joint.Segment[k], W, W);
    joint.SegmentWorld[k] = W;
  }
}

}  // namespace

void NewJoint(TKorJoint*& J, float P1, float P2) {
  auto* joint = new TKorJoint;
  if (!StrictlyBetweenZeroAndOne(P1)) P1 = 1.0f / 3.0f;
  if (!StrictlyBetweenZeroAndOne(P2)) P2 = 2.0f / 3.0f;
  joint->Shape = {P1, P2};
  const double Q1 = 2.0 / 3.0 - P1;
  const double Q2 = 4.0 / 3.0 - P2;
  for (int k = 0; k < JointSegmentCount; ++k) {
    // t = k/7 taken afresh for each sample: summing 1/7 would carry its rounding along.
    const double t = k / 7.0;
    const double s = 1.0 - t;
    joint->Spread[k] = Bezier(P1, P2, t, s);
    joint->Turn[k] = Bezier(Q1, Q2, t, s);
    joint->Offset[k] = joint->Spread[k];
  }
  for (int k = 1; k < JointSegmentCount; ++k) {
    joint->Step[k] = static_cast<float>(double{joint->Offset[k]} - joint->Offset[k - 1]);
    joint->TurnStep[k] = static_cast<float>(double{joint->Turn[k]} - joint->Turn[k - 1]);
  }
  J = joint;
}

void SetJoint(TKorJoint* J, const Matrix4& M, float Radius, float Length) {
  J->Base = M;
  J->Radius = Radius;
  // The factor is an intermediate: kept in double, so each product is rounded only once.
  const double factor = J->Length != 0.0f ? double{Length} / J->Length : double{Length};
  for (int k = 0; k < JointSegmentCount; ++k) {
    J->Offset[k] = static_cast<float>(J->Offset[k] * factor);
    J->Step[k] = static_cast<float>(J->Step[k] * factor);
  }
  J->Length = Length;
}

void LinkJoint(TKorJoint* Parent, TKorJoint* Child) {
  Child->Parent = Parent;
  Child->Next = Parent->FirstChild;
  Parent->FirstChild = Child;
}

void BuildSegments(TKorJoint* J) {
  const bool unbent = J->Bend.x == 0.0f && J->Bend.y == 0.0f && J->Bend.z == 0.0f;
  J->Segment[0] = IdentityMatrix;
  for (int k = 1; k < JointSegmentCount; ++k) {
    Matrix4& segment = J->Segment[k];
    if (unbent) {
      segment = IdentityMatrix;
      segment[14] = J->Step[k];
    } else {
      const float share = J->TurnStep[k];
      MakeMatrix(segment, 0.0f, 0.0f, J->Step[k], J->Bend.x * share, J->Bend.y * share,
                 J->Bend.z * share);
    }
  }
}

void UpdateJoints(TKorJoint*& J, const Matrix4& ParentMatrix) {
  // Siblings are visited in a loop; only children recurse, one level per joint depth.
  for (TKorJoint* joint = J; joint != nullptr; joint = joint->Next) {
    Matrix4 W;
    MatrixMultiply(joint->Pose, joint->Base, W);
    MatrixMultiply(W, ParentMatrix, W);
    ComposeSegments(*joint, W);
    if (joint->FirstChild != nullptr) UpdateJoints(joint->FirstChild, W);
  }
}

void UpdateRootJoint(TKorJoint*& J) {
  Matrix4 W;
  MatrixMultiply(J->Pose, J->Base, W);
  ComposeSegments(*J, W);
  if (J->FirstChild != nullptr) UpdateJoints(J->FirstChild, W);
}

void FreeJoint(TKorJoint*& J) {
  if (J == nullptr) return;
  TKorJoint* joint = J;
  FreeJointChain(joint->FirstChild);
  if (TKorJoint* parent = joint->Parent) {
    if (parent->FirstChild == joint) {
      parent->FirstChild = joint->Next;
    } else {
      for (TKorJoint* sibling = parent->FirstChild; sibling != nullptr; sibling = sibling->Next) {
        if (sibling->Next == joint) {
          sibling->Next = joint->Next;
          break;
        }
      }
    }
  }
  delete joint;
}

void FreeJointChain(TKorJoint*& J) {
  TKorJoint* joint = J;
  while (joint != nullptr) {
    TKorJoint* next = joint->Next;
    FreeJointChain(joint->FirstChild);
    delete joint;
    joint = next;
  }
}
