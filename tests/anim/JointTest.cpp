#include "anim/Joint.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

using Curve = std::array<float, JointSegmentCount>;

void ExpectCurve(const Curve& actual, const Curve& expected, float tolerance) {
  for (int k = 0; k < JointSegmentCount; ++k) {
    EXPECT_NEAR(actual[k], expected[k], tolerance) << "sample " << k;
  }
}

// The single nearest Numerator / Denominator, decided exactly: each candidate times the
// denominator is exact in double for the small denominators used here.
float NearestSingleToRatio(int64_t Numerator, int64_t Denominator) {
  const auto p = static_cast<double>(Numerator), q = static_cast<double>(Denominator);
  const float guess = static_cast<float>(p / q);
  float best = guess;
  for (float candidate : {std::nextafter(guess, -1.0f), std::nextafter(guess, 2.0f)}) {
    if (std::fabs(p - double{candidate} * q) < std::fabs(p - double{best} * q)) best = candidate;
  }
  return best;
}

// With shape (0.5, 0.5) at t = k/7 the curves are rational with denominator 686:
// Spread = 1.5 t s + t^3 and Turn = 2t - Spread.
Curve ExactSpread() {
  Curve curve;
  for (int64_t k = 0; k < JointSegmentCount; ++k) {
    curve[static_cast<size_t>(k)] = NearestSingleToRatio(21 * k * (7 - k) + 2 * k * k * k, 686);
  }
  return curve;
}

Curve ExactTurn() {
  Curve curve;
  for (int64_t k = 0; k < JointSegmentCount; ++k) {
    curve[static_cast<size_t>(k)] =
        NearestSingleToRatio(196 * k - 21 * k * (7 - k) - 2 * k * k * k, 686);
  }
  return curve;
}

TEST(NewJoint, SamplesBothCurvesOfTheShape) {
  TKorJoint* j = nullptr;
  NewJoint(j, 0.5f, 0.5f);
  // To the last bit: each sample is the single nearest the exact curve at t = k/7.
  EXPECT_EQ(j->Spread, ExactSpread());
  EXPECT_EQ(j->Turn, ExactTurn());
  // And the stated six-place values.
  ExpectCurve(j->Spread, {0, 0.186589f, 0.329446f, 0.446064f, 0.553936f, 0.670554f, 0.813411f, 1},
              5e-7f);
  ExpectCurve(j->Turn, {0, 0.099125f, 0.241983f, 0.411079f, 0.588921f, 0.758017f, 0.900875f, 1},
              5e-7f);
  EXPECT_EQ(j->Offset, j->Spread);
  EXPECT_EQ(j->Step[0], 0.0f);
  EXPECT_EQ(j->TurnStep[0], 0.0f);
  EXPECT_NEAR(j->Step[1], 0.1866f, 1e-4f);
  EXPECT_NEAR(j->TurnStep[4], 0.1778f, 1e-4f);
  EXPECT_EQ(j->Length, 1.0f);
  EXPECT_EQ(j->Radius, 0.5f);
  EXPECT_EQ(j->Base, IdentityMatrix);
  EXPECT_EQ(j->Pose, IdentityMatrix);
  FreeJoint(j);
}

TEST(NewJoint, OutOfRangeShapeFallsBackToTheStraightLine) {
  TKorJoint *odd = nullptr, *straight = nullptr;
  NewJoint(odd, 0.0f, 1.5f);
  NewJoint(straight, 1.0f / 3.0f, 2.0f / 3.0f);
  EXPECT_EQ(odd->Shape, straight->Shape);
  EXPECT_EQ(odd->Spread, straight->Spread);
  EXPECT_EQ(odd->Turn, straight->Turn);
  for (int k = 1; k < JointSegmentCount; ++k) {
    EXPECT_NEAR(straight->Step[k], 1.0f / 7.0f, 1e-6f);
    EXPECT_NEAR(straight->TurnStep[k], 1.0f / 7.0f, 1e-6f);
  }
  FreeJoint(odd);
  FreeJoint(straight);
}

TEST(SetJoint, ScalesOffsetsAndStepsToTheNewLength) {
  TKorJoint* j = nullptr;
  NewJoint(j, 0.5f, 0.5f);
  const Curve turn = j->Turn;
  Matrix4 base;
  MakeMatrix(base, 1, 2, 3, 0, 0, 0);
  SetJoint(j, base, 17.0f, 3.4f);
  EXPECT_EQ(j->Base, base);
  EXPECT_EQ(j->Radius, 17.0f);
  EXPECT_EQ(j->Offset[7], 3.4f);
  for (int k = 0; k < JointSegmentCount; ++k) {
    EXPECT_EQ(j->Offset[k], static_cast<float>(double{j->Spread[k]} * double{3.4f})) << k;
  }
  EXPECT_NEAR(std::accumulate(j->Step.begin(), j->Step.end(), 0.0), 3.4, 1e-6);
  EXPECT_EQ(j->Turn, turn);
  // A second call rescales from the current length (the factor is exactly one half here).
  SetJoint(j, base, 17.0f, 1.7f);
  EXPECT_EQ(j->Offset[7], 1.7f);
  EXPECT_EQ(j->Offset[3], static_cast<float>(double{1.7f} * j->Spread[3]));
  FreeJoint(j);
}

TEST(UpdateRootJoint, UnbentSegmentsAreTranslationsAndChildrenStartAtTheEnd) {
  TKorJoint *root = nullptr, *child = nullptr;
  NewJoint(root, 0.5f, 0.5f);
  NewJoint(child, 0.5f, 0.5f);
  SetJoint(root, IdentityMatrix, 1, 3.4f);
  LinkJoint(root, child);
  UpdateRootJoint(root);
  for (int k = 0; k < JointSegmentCount; ++k) {
    Matrix4 expected = IdentityMatrix;
    expected[14] = root->Offset[k];
    EXPECT_EQ(root->SegmentWorld[k], expected) << "segment " << k;
  }
  EXPECT_EQ(child->SegmentWorld[0][14], 3.4f);
  EXPECT_NEAR(child->SegmentWorld[7][14], 4.4f, 1e-6f);
  FreeJoint(root);
}

TEST(UpdateRootJoint, BendIsSpreadOverTheSegmentsAndTotalsTheJointBend) {
  TKorJoint* j = nullptr;
  NewJoint(j, 0.5f, 0.5f);
  j->Bend = {0, -2, 0};
  UpdateRootJoint(j);
  for (int k = 1; k < JointSegmentCount; ++k) {
    Matrix4 expected;
    MakeMatrix(expected, 0, 0, j->Step[k], 0, -2 * j->TurnStep[k], 0);
    EXPECT_EQ(j->Segment[k], expected) << "segment " << k;
  }
  EXPECT_EQ(j->Segment[0], IdentityMatrix);
  // The last segment's frame is turned by the whole bend: its z axis is (sin -2, 0, cos -2).
  const Matrix4& end = j->SegmentWorld[7];
  EXPECT_NEAR(end[8], std::sin(-2.0f), 1e-5f);
  EXPECT_NEAR(end[10], std::cos(-2.0f), 1e-5f);
  FreeJoint(j);
}

TEST(UpdateJoints, SiblingsShareTheParentEnd) {
  TKorJoint *root = nullptr, *a = nullptr, *b = nullptr;
  NewJoint(root, 0.5f, 0.5f);
  NewJoint(a, 0.5f, 0.5f);
  NewJoint(b, 0.5f, 0.5f);
  SetJoint(root, IdentityMatrix, 1, 2.0f);
  Matrix4 side;
  MakeMatrix(side, 1, 0, 0, 0, 0, 0);
  SetJoint(b, side, 1, 1.0f);
  LinkJoint(root, a);
  LinkJoint(root, b);
  UpdateRootJoint(root);
  EXPECT_EQ(a->SegmentWorld[0][14], 2.0f);
  EXPECT_EQ(b->SegmentWorld[0][14], 2.0f);
  EXPECT_EQ(b->SegmentWorld[0][12], 1.0f);
  EXPECT_EQ(a->SegmentWorld[0][12], 0.0f);
  FreeJoint(root);
}

TEST(FreeJoint, UnlinksFromTheParentAndFreesDescendants) {
  TKorJoint *root = nullptr, *middle = nullptr, *end = nullptr, *other = nullptr;
  NewJoint(root, 0.5f, 0.5f);
  NewJoint(middle, 0.5f, 0.5f);
  NewJoint(end, 0.5f, 0.5f);
  LinkJoint(root, middle);
  LinkJoint(middle, end);
  TKorJoint* reference = middle;
  FreeJoint(reference);
  EXPECT_EQ(root->FirstChild, nullptr);
  EXPECT_EQ(reference, middle);  // the caller's reference is left as it was

  // A joint that is not the first child is unlinked from the sibling before it.
  NewJoint(middle, 0.5f, 0.5f);
  NewJoint(other, 0.5f, 0.5f);
  LinkJoint(root, middle);
  LinkJoint(root, other);  // root -> other -> middle
  FreeJoint(middle);
  EXPECT_EQ(root->FirstChild, other);
  EXPECT_EQ(other->Next, nullptr);
  FreeJoint(root);

  TKorJoint* none = nullptr;
  FreeJoint(none);
  FreeJointChain(none);
}

}  // namespace
