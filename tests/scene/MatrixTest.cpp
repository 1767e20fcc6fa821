#include "scene/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/support/ExactGeometry.h"

namespace {

using testsupport::ProductRoundedOnce;
using testsupport::TablePlacement;

constexpr float kPi = std::numbers::pi_v<float>;
constexpr double kPiDouble = std::numbers::pi;

Matrix4 Sample(float seed) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m[i] = seed + 0.25f * static_cast<float>(i * i % 7) - 1.0f;
  return m;
}

TEST(MatrixMultiply, FormsRowTimesColumnRoundedOnce) {
  const Matrix4 A = Sample(0.5f), B = Sample(-1.5f);
  Matrix4 out;
  MatrixMultiply(A, B, out);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(A[r * 4 + k]) * double(B[k * 4 + c]);
      EXPECT_EQ(out[r * 4 + c], static_cast<float>(sum));
    }
  }
}

TEST(MatrixMultiply, OutMayAliasEitherOperand) {
  const Matrix4 A = Sample(0.5f), B = Sample(2.0f);
  Matrix4 expected;
  MatrixMultiply(A, B, expected);

  Matrix4 a = A;
  MatrixMultiply(a, B, a);
  EXPECT_EQ(a, expected);

  Matrix4 b = B;
  MatrixMultiply(A, b, b);
  EXPECT_EQ(b, expected);
}

TEST(MatrixMultiply, FirstOperandAppliesFirst) {
  Matrix4 move = IdentityMatrix, turn;
  move[12] = 1.0f;  // move by +x, then turn a quarter about z (x toward y)
  MakeMatrix(turn, 0, 0, 0, 0, 0, kPi / 2);
  Matrix4 both;
  MatrixMultiply(move, turn, both);
  const Vector3 p = TransformPoint(both, {0, 0, 0});
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(MakeMatrix, ZeroAnglesGiveAPureTranslation) {
  Matrix4 m;
  MakeMatrix(m, 0, 0, -20, 0, 0, 0);
  Matrix4 expected = IdentityMatrix;
  expected[14] = -20.0f;
  EXPECT_EQ(m, expected);

  MakeMatrix(m, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(m, IdentityMatrix);
}

TEST(MakeMatrix, StartUpAnglesGiveThePureRotationOfTheTable) {
  // The angles are the singles nearest -0.2 pi and 1.45 pi (-0.6283185 and 4.5553093).
  const auto ax = static_cast<float>(-0.2 * kPiDouble), ay = static_cast<float>(1.45 * kPiDouble);
  EXPECT_EQ(ay, 4.5553093f);
  Matrix4 m;
  MakeMatrix(m, 0, 0, 0, ax, ay, ax);
  // Every element to the last bit: the table's formula in double, rounded once.
  EXPECT_EQ(m, TablePlacement(0, 0, 0, ax, ay, ax));
  // Row 2 as stated, from the sines and cosines of the angles themselves.
  EXPECT_EQ(m[8], static_cast<float>(std::cos(double{ax}) * std::sin(double{ay})));
  EXPECT_EQ(m[9], static_cast<float>(-std::sin(double{ax})));
  EXPECT_EQ(m[10], static_cast<float>(std::cos(double{ax}) * std::cos(double{ay})));
  for (int i : {3, 7, 11, 12, 13, 14}) EXPECT_EQ(m[i], 0.0f) << i;
  EXPECT_EQ(m[15], 1.0f);
}

TEST(MakeMatrix, PositionIsTurnedByTheRotation) {
  // (0, 0, 1) turned a quarter about x: row 3 is (0, -1, 0) up to the rounding of pi / 2.
  const auto quarter = static_cast<float>(kPiDouble / 2);
  Matrix4 m;
  MakeMatrix(m, 0, 0, 1, quarter, 0, 0);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], static_cast<float>(-std::sin(double{quarter})));
  EXPECT_EQ(m[13], -1.0f);
  EXPECT_EQ(m[14], static_cast<float>(std::cos(double{quarter})));
  EXPECT_EQ(m, TablePlacement(0, 0, 1, quarter, 0, 0));
}

TEST(MakeMatrix, RowThreeIsFormedInDoubleAndRoundedOnce) {
  // Sums whose single-precision partial sums would each be rounded.
  const float px = 1.1f, py = -2.3f, pz = 3.7f;
  Matrix4 m;
  MakeMatrix(m, px, py, pz, 0.3f, -0.7f, 1.9f);
  EXPECT_EQ(m, TablePlacement(px, py, pz, 0.3f, -0.7f, 1.9f));
}

TEST(MakeMatrix, TurnsAboutZThenXThenY) {
  // z first: x toward y.
  Matrix4 m;
  MakeMatrix(m, 0, 0, 0, 0, 0, kPi / 2);
  Vector3 p = TransformPoint(m, {1, 0, 0});
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
  // then x: y toward z.
  MakeMatrix(m, 0, 0, 0, kPi / 2, 0, kPi / 2);
  p = TransformPoint(m, {1, 0, 0});
  EXPECT_NEAR(p.z, 1.0f, 1e-6f);
  // then y: z toward x.
  MakeMatrix(m, 0, 0, 0, kPi / 2, kPi / 2, kPi / 2);
  p = TransformPoint(m, {1, 0, 0});
  EXPECT_NEAR(p.x, 1.0f, 1e-6f);
}

TEST(TurnMatrix, ZeroPositionMultipliesByTheRotation) {
  const Matrix4 start = Sample(0.75f);
  Matrix4 R;
  MakeMatrix(R, 0, 0, 0, 0.3f, -0.2f, 0.1f);
  Matrix4 expected;
  MatrixMultiply(start, R, expected);
  Matrix4 m = start;
  TurnMatrix(m, 0, 0, 0, 0.3f, -0.2f, 0.1f);
  EXPECT_EQ(m, expected);
}

TEST(TurnMatrix, ZeroAnglesTranslateByTheNegatedPosition) {
  Matrix4 start;
  MakeMatrix(start, 1, 2, 3, 0.4f, 0.5f, 0.6f);
  Matrix4 m = start;
  TurnMatrix(m, 2, -1, 4, 0, 0, 0);
  // The rotation rows stay; the translation row moves by (-2, 1, -4), rounded once.
  Matrix4 expected = start;
  expected[12] = static_cast<float>(double{start[12]} - 2);
  expected[13] = static_cast<float>(double{start[13]} + 1);
  expected[14] = static_cast<float>(double{start[14]} - 4);
  EXPECT_EQ(m, expected);
}

TEST(TurnMatrix, AGeneralTurnIsTheProductWithTheTableMatrix) {
  // L turns like the table and moves by the negated position turned by it.
  Matrix4 start;
  MakeMatrix(start, 0.5f, -1.5f, 2.5f, -0.6283185f, 4.5553093f, -0.6283185f);
  Matrix4 m = start;
  TurnMatrix(m, 0.25f, 3.0f, -1.75f, 0.05f, -0.1f, 0.2f);
  EXPECT_EQ(m, ProductRoundedOnce(start, TablePlacement(-0.25f, -3.0f, 1.75f, 0.05f, -0.1f, 0.2f)));
}

TEST(TurnMatrix, DragTurnsAboutTheAxesOfTheTargetSpace) {
  // A placement that moves by +5 along x; a turn about y then swings that offset round.
  Matrix4 m;
  MakeMatrix(m, 5, 0, 0, 0, 0, 0);
  TurnMatrix(m, 0, 0, 0, 0, kPi / 2, 0);
  const Vector3 p = TransformPoint(m, {0, 0, 0});
  EXPECT_NEAR(p.x, 0.0f, 1e-5f);
  EXPECT_EQ(p.z, -5.0f);
  // The same as moving first and turning afterwards, to the last bit.
  Matrix4 expected;
  MakeMatrix(expected, 5, 0, 0, 0, kPi / 2, 0);
  EXPECT_EQ(m, expected);
}

TEST(TransformPoint, SumsInDoubleAndRoundsOnce) {
  const Matrix4 M = TablePlacement(0.1f, 0.2f, -0.3f, 0.7f, -1.1f, 2.3f);
  const Vector3 p{123.456f, -7.89f, 0.001f};
  const Vector3 q = TransformPoint(M, p);
  const Vector3 d = TransformDirection(M, p);
  const double x = p.x, y = p.y, z = p.z;
  for (int c = 0; c < 3; ++c) {
    const double turned = x * M[c] + y * M[4 + c] + z * M[8 + c];
    const float point = c == 0 ? q.x : c == 1 ? q.y : q.z;
    const float direction = c == 0 ? d.x : c == 1 ? d.y : d.z;
    EXPECT_EQ(point, static_cast<float>(turned + M[12 + c])) << c;
    EXPECT_EQ(direction, static_cast<float>(turned)) << c;
  }
}

}  // namespace
