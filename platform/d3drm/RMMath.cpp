#include "platform/d3drm/RMMath.h"

#include <cmath>

namespace platform::d3drm {
namespace {
// Below this length a vector has no usable direction (and dividing by it would blow up).
constexpr D3DVALUE kShortestDirection = 1e-12f;
}  // namespace

Matrix Matrix::FromD3DRM(const D3DRMMATRIX4D Source) {
  Matrix result;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) result.m[row][column] = Source[row][column];
  return result;
}

void Matrix::ToD3DRM(D3DRMMATRIX4D Target) const {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) Target[row][column] = m[row][column];
}

void Matrix::SetRow(int Index, const D3DVECTOR& Value) {
  m[Index][0] = Value.x;
  m[Index][1] = Value.y;
  m[Index][2] = Value.z;
}

D3DVECTOR Add(const D3DVECTOR& A, const D3DVECTOR& B) {
  return {A.x + B.x, A.y + B.y, A.z + B.z};
}

D3DVECTOR Subtract(const D3DVECTOR& A, const D3DVECTOR& B) {
  return {A.x - B.x, A.y - B.y, A.z - B.z};
}

D3DVECTOR Scale(const D3DVECTOR& V, D3DVALUE Factor) {
  return {V.x * Factor, V.y * Factor, V.z * Factor};
}

D3DVALUE Dot(const D3DVECTOR& A, const D3DVECTOR& B) {
  return A.x * B.x + A.y * B.y + A.z * B.z;
}

D3DVECTOR Cross(const D3DVECTOR& A, const D3DVECTOR& B) {
  return {A.y * B.z - A.z * B.y, A.z * B.x - A.x * B.z, A.x * B.y - A.y * B.x};
}

D3DVALUE Length(const D3DVECTOR& V) {
  return std::sqrt(Dot(V, V));
}

bool Normalize(const D3DVECTOR& V, D3DVECTOR& Out) {
  const D3DVALUE length = Length(V);
  if (!(length > kShortestDirection)) return false;  // also refuses NaN
  Out = Scale(V, 1.0f / length);
  return true;
}

Matrix Multiply(const Matrix& A, const Matrix& B) {
  Matrix product;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) {
      D3DVALUE sum = 0;
      for (int k = 0; k < 4; ++k) sum += A.m[row][k] * B.m[k][column];
      product.m[row][column] = sum;
    }
  return product;
}

D3DVECTOR TransformPoint(const D3DVECTOR& P, const Matrix& M) {
  return Add(TransformDirection(P, M), M.Row(3));
}

D3DVECTOR TransformDirection(const D3DVECTOR& D, const Matrix& M) {
  return {D.x * M.m[0][0] + D.y * M.m[1][0] + D.z * M.m[2][0],
          D.x * M.m[0][1] + D.y * M.m[1][1] + D.z * M.m[2][1],
          D.x * M.m[0][2] + D.y * M.m[1][2] + D.z * M.m[2][2]};
}

bool InvertAffine(const Matrix& M, Matrix& Inverse) {
  const auto& a = M.m;
  // Cofactors of the upper-left 3 × 3 part, transposed (the adjugate).
  const D3DVALUE c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
  const D3DVALUE c01 = a[0][2] * a[2][1] - a[0][1] * a[2][2];
  const D3DVALUE c02 = a[0][1] * a[1][2] - a[0][2] * a[1][1];
  const D3DVALUE c10 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
  const D3DVALUE c11 = a[0][0] * a[2][2] - a[0][2] * a[2][0];
  const D3DVALUE c12 = a[0][2] * a[1][0] - a[0][0] * a[1][2];
  const D3DVALUE c20 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
  const D3DVALUE c21 = a[0][1] * a[2][0] - a[0][0] * a[2][1];
  const D3DVALUE c22 = a[0][0] * a[1][1] - a[0][1] * a[1][0];
  const D3DVALUE determinant = a[0][0] * c00 + a[0][1] * c10 + a[0][2] * c20;
  if (!(std::fabs(determinant) > kShortestDirection)) return false;
  const D3DVALUE f = 1.0f / determinant;
  Matrix inverse;
  inverse.m[0][0] = c00 * f, inverse.m[0][1] = c01 * f, inverse.m[0][2] = c02 * f;
  inverse.m[1][0] = c10 * f, inverse.m[1][1] = c11 * f, inverse.m[1][2] = c12 * f;
  inverse.m[2][0] = c20 * f, inverse.m[2][1] = c21 * f, inverse.m[2][2] = c22 * f;
  // The translation undone: −t × R⁻¹.
  inverse.SetRow(3, Scale(TransformDirection(M.Row(3), inverse), -1.0f));
  Inverse = inverse;
  return true;
}

Matrix RotationAboutAxis(const D3DVECTOR& Axis, D3DVALUE Angle) {
  // Row i is the image of basis vector e_i by Rodrigues' formula
  // v cos θ + (k × v) sin θ + k (k · v)(1 − cos θ); in left-handed axes that turn is clockwise
  // seen from the tip of k.
  const D3DVALUE c = std::cos(Angle);
  const D3DVALUE s = std::sin(Angle);
  const D3DVALUE t = 1.0f - c;
  const D3DVALUE x = Axis.x, y = Axis.y, z = Axis.z;
  Matrix r;
  r.m[0][0] = t * x * x + c, r.m[0][1] = t * x * y + s * z, r.m[0][2] = t * x * z - s * y;
  r.m[1][0] = t * x * y - s * z, r.m[1][1] = t * y * y + c, r.m[1][2] = t * y * z + s * x;
  r.m[2][0] = t * x * z + s * y, r.m[2][1] = t * y * z - s * x, r.m[2][2] = t * z * z + c;
  return r;
}

}  // namespace platform::d3drm
