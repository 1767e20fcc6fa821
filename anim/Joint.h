// Bendable joints. A joint lies along its own +z axis and is cut into eight segments; its length
// and its bend are spread over the segments along two cubic curves, so a bent joint curves
// smoothly. Each frame the owner writes Bend, then one update recomputes every segment matrix
// of the tree. Children hang at the end of their parent's last segment.
#pragma once

#include <array>

#include "scene/Matrix.h"

constexpr int JointSegmentCount = 8;

struct TKorJoint {
  std::array<Matrix4, JointSegmentCount> Segment;       // segment k relative to segment k-1
  std::array<Matrix4, JointSegmentCount> SegmentWorld;  // segment k in the update's space
  Matrix4 Base = IdentityMatrix;                  // the joint's frame relative to its parent's end
  Matrix4 Pose = IdentityMatrix;                  // applied before Base
  std::array<float, JointSegmentCount> Offset{};  // where segment k starts along z
  std::array<float, JointSegmentCount> Spread{};  // the length curve at t = k/7
  std::array<float, JointSegmentCount> Turn{};    // the bend curve at t = k/7
  std::array<float, JointSegmentCount> Step{};    // Offset[k] - Offset[k-1]
  std::array<float, JointSegmentCount> TurnStep{};  // Turn[k] - Turn[k-1]
  float Radius = 0.5f;
  float Length = 1.0f;
  Vector3 Bend;                  // total bend about x, y and z, radians
  std::array<float, 2> Shape{};  // inner control values of the length curve
  TKorJoint* Parent = nullptr;
  TKorJoint* Next = nullptr;
  TKorJoint* FirstChild = nullptr;
};

// Allocates a joint whose length curve has inner control values (P1, P2); a value not strictly
// between 0 and 1 is replaced by 1/3 (P1) or 2/3 (P2), which make both curves straight.
void NewJoint(TKorJoint*& J, float P1, float P2);

// Sets Base and Radius and rescales the offsets and steps to the new length.
void SetJoint(TKorJoint* J, const Matrix4& M, float Radius, float Length);

// Makes Child the first child of Parent.
void LinkJoint(TKorJoint* Parent, TKorJoint* Child);

// Recomputes the eight Segment matrices from Bend.
void BuildSegments(TKorJoint* J);

// Recomputes SegmentWorld of J, its descendants and its later siblings.
void UpdateJoints(TKorJoint*& J, const Matrix4& ParentMatrix);

// Recomputes SegmentWorld of J and its descendants, J having no parent.
void UpdateRootJoint(TKorJoint*& J);

// Unlinks J from its parent and frees it with all its descendants; the reference is left as is.
void FreeJoint(TKorJoint*& J);

// Frees J, its later siblings and all their descendants.
void FreeJointChain(TKorJoint*& J);
