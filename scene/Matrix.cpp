#include "scene/Matrix.h"

#include <cmath>

const Matrix4 IdentityMatrix{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

void MatrixMultiply(const Matrix4& A, const Matrix4& B, Matrix4& Out) {
  // Formed in a temporary first so that Out may alias A or B.
  Matrix4 result;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) {
        sum += static_cast<double>(A[row * 4 + k]) * static_cast<double>(B[k * 4 + col]);
      }
      result[row * 4 + col] = static_cast<float>(sum);
    }
  }
  Out = result;
}

namespace {

// Writes the nine rotation elements shared by MakeMatrix and TurnMatrix.
// The sines and cosines are taken of the angles widened to double: the float overloads would
// round them to single before the products are formed.
void WriteRotation(Matrix4& M, float ax, float ay, float az) {
  const double a = ax, b = ay, c = az;
  const double sA = std::sin(a), cA = std::cos(a);
  const double sB = std::sin(b), cB = std::cos(b);
  const double sC = std::sin(c), cC = std::cos(c);
  M[0] = static_cast<float>(cB * cC + sA * sB * sC);
  M[1] = static_cast<float>(cA * sC);
  M[2] = static_cast<float>(-sB * cC + sA * cB * sC);
  M[4] = static_cast<float>(-cB * sC + sA * sB * cC);
  M[5] = static_cast<float>(cA * cC);
  M[6] = static_cast<float>(sB * sC + sA * cB * cC);
  M[8] = static_cast<float>(cA * sB);
  M[9] = static_cast<float>(-sA);
  M[10] = static_cast<float>(cA * cB);
}

// Row 3 = (px, py, pz) turned by the rotation already in M, each element formed in double and
// rounded to single once.
void WriteTurnedPosition(Matrix4& M, double px, double py, double pz) {
  M[12] = static_cast<float>(px * M[0] + py * M[4] + pz * M[8]);
  M[13] = static_cast<float>(px * M[1] + py * M[5] + pz * M[9]);
  M[14] = static_cast<float>(px * M[2] + py * M[6] + pz * M[10]);
}

}  // namespace

void MakeMatrix(Matrix4& M, float px, float py, float pz, float ax, float ay, float az) {
  WriteRotation(M, ax, ay, az);
  M[3] = 0.0f;
  M[7] = 0.0f;
  M[11] = 0.0f;
  M[15] = 1.0f;
  WriteTurnedPosition(M, px, py, pz);
}

void TurnMatrix(Matrix4& M, float px, float py, float pz, float ax, float ay, float az) {
  Matrix4 L = IdentityMatrix;
  WriteRotation(L, ax, ay, az);
  WriteTurnedPosition(L, -double{px}, -double{py}, -double{pz});
  MatrixMultiply(M, L, M);
}

Vector3d TransformPointExact(const Matrix4& M, const Vector3& p) {
  const double x = p.x, y = p.y, z = p.z;
  return {x * M[0] + y * M[4] + z * M[8] + M[12], x * M[1] + y * M[5] + z * M[9] + M[13],
          x * M[2] + y * M[6] + z * M[10] + M[14]};
}

Vector3d TransformDirectionExact(const Matrix4& M, const Vector3& d) {
  const double x = d.x, y = d.y, z = d.z;
  return {x * M[0] + y * M[4] + z * M[8], x * M[1] + y * M[5] + z * M[9],
          x * M[2] + y * M[6] + z * M[10]};
}

Vector3 RoundToSingle(const Vector3d& v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

Vector3 TransformPoint(const Matrix4& M, const Vector3& p) {
  return RoundToSingle(TransformPointExact(M, p));
}

Vector3 TransformDirection(const Matrix4& M, const Vector3& d) {
  return RoundToSingle(TransformDirectionExact(M, d));
}
