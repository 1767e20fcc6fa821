// The one 4x4 matrix type of the system and the three operations every placement, camera,
// joint and skinning step is built from.
//
// A Matrix4 holds 16 single-precision floats row by row. Points are row vectors multiplied on
// the left, so the translation sits in elements 12 to 14, and in a product A x B the transform
// A applies first. Angles are radians.
#pragma once

#include <array>
#include <cstddef>

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

struct Matrix4 {
  std::array<float, 16> m{};

  float& operator[](int i) { return m[static_cast<std::size_t>(i)]; }
  float operator[](int i) const { return m[static_cast<std::size_t>(i)]; }
  bool operator==(const Matrix4&) const = default;
};

// The process-wide identity; new objects, joints and locals start as a copy of it.
extern const Matrix4 IdentityMatrix;

// Out = A x B. Each element is the sum of four products formed in double and rounded to single
// once. Out may be the same object as A or B.
void MatrixMultiply(const Matrix4& A, const Matrix4& B, Matrix4& Out);

// M = translation by (px, py, pz) followed by a turn: first about z by az (x toward y), then
// about x by ax (y toward z), then about y by ay (z toward x). All 16 elements are written.
void MakeMatrix(Matrix4& M, float px, float py, float pz, float ax, float ay, float az);

// M = M x L, where L turns like MakeMatrix but moves by the negated position. Because L applies
// after M, the turn happens about the axes and origin of the space M maps into.
void TurnMatrix(Matrix4& M, float px, float py, float pz, float ax, float ay, float az);

// A point or direction at full precision: an intermediate result that is not stored.
struct Vector3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// A point (with translation) and a direction (without) transformed by M, the sums formed in
// double. The Vector3 forms round each coordinate to single once, for results that are stored.
Vector3d TransformPointExact(const Matrix4& M, const Vector3& p);
Vector3d TransformDirectionExact(const Matrix4& M, const Vector3& d);
Vector3 TransformPoint(const Matrix4& M, const Vector3& p);
Vector3 TransformDirection(const Matrix4& M, const Vector3& d);

// Each coordinate rounded to the nearest single.
Vector3 RoundToSingle(const Vector3d& v);
