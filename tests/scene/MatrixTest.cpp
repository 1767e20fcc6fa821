#include "scene/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

Matrix4 Sample(float seed) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m[i] = seed + 0.25f * static_cast<float>(i * i % 7) - 1.0f;
  return m;
}

void ExpectNear(const Matrix4& a, const Matrix4& b, float tolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
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
  const float ax = -0.2f * kPi, ay = 1.45f * kPi, az = -0.2f * kPi;
  Matrix4 m;
  MakeMatrix(m, 0, 0, 0, ax, ay, az);
  EXPECT_NEAR(m[8], std::cos(-0.2 * M_PI) * std::sin(1.45 * M_PI), 1e-6);
  EXPECT_NEAR(m[9], std::sin(0.2 * M_PI), 1e-6);
  EXPECT_NEAR(m[10], std::cos(-0.2 * M_PI) * std::cos(1.45 * M_PI), 1e-6);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], 0.0f);
  EXPECT_EQ(m[14], 0.0f);
  EXPECT_EQ(m[3], 0.0f);
  EXPECT_EQ(m[7], 0.0f);
  EXPECT_EQ(m[11], 0.0f);
  EXPECT_EQ(m[15], 1.0f);
  // A rotation keeps lengths: every row is a unit vector.
  for (int row = 0; row < 3; ++row) {
    const float* r = &m.m[static_cast<std::size_t>(row * 4)];
    EXPECT_NEAR(r[0] * r[0] + r[1] * r[1] + r[2] * r[2], 1.0f, 1e-6f);
  }
}

TEST(MakeMatrix, PositionIsTurnedByTheRotation) {
  Matrix4 m;
  MakeMatrix(m, 0, 0, 1, kPi / 2, 0, 0);
  EXPECT_NEAR(m[12], 0.0f, 1e-6f);
  EXPECT_NEAR(m[13], -1.0f, 1e-6f);
  EXPECT_NEAR(m[14], 0.0f, 1e-6f);
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
  const Vector3 before = TransformPoint(start, {0.5f, 0.25f, -1});
  const Vector3 after = TransformPoint(m, {0.5f, 0.25f, -1});
  EXPECT_NEAR(after.x, before.x - 2, 1e-5f);
  EXPECT_NEAR(after.y, before.y + 1, 1e-5f);
  EXPECT_NEAR(after.z, before.z - 4, 1e-5f);
}

TEST(TurnMatrix, DragTurnsAboutTheAxesOfTheTargetSpace) {
  // A placement that moves by +5 along x; a turn about y then swings that offset round.
  Matrix4 m;
  MakeMatrix(m, 5, 0, 0, 0, 0, 0);
  TurnMatrix(m, 0, 0, 0, 0, kPi / 2, 0);
  const Vector3 p = TransformPoint(m, {0, 0, 0});
  EXPECT_NEAR(p.x, 0.0f, 1e-5f);
  EXPECT_NEAR(p.z, -5.0f, 1e-5f);
  Matrix4 expected;
  MakeMatrix(expected, 5, 0, 0, 0, kPi / 2, 0);
  ExpectNear(m, expected, 1e-6f);
}

}  // namespace
