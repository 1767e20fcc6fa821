#include "tests/support/ExactGeometry.h"

#include <cmath>

namespace testsupport {

Matrix4 TablePlacement(float px, float py, float pz, float ax, float ay, float az) {
  const double sA = std::sin(double{ax}), cA = std::cos(double{ax});
  const double sB = std::sin(double{ay}), cB = std::cos(double{ay});
  const double sC = std::sin(double{az}), cC = std::cos(double{az});
  const double rotation[3][3] = {{cB * cC + sA * sB * sC, cA * sC, -sB * cC + sA * cB * sC},
                                 {-cB * sC + sA * sB * cC, cA * cC, sB * sC + sA * cB * cC},
                                 {cA * sB, -sA, cA * cB}};
  Matrix4 m;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) m[row * 4 + col] = static_cast<float>(rotation[row][col]);
  }
  // Row 3: the position turned by the stored rotation elements.
  for (int col = 0; col < 3; ++col) {
    m[12 + col] =
        static_cast<float>(double{px} * m[col] + double{py} * m[4 + col] + double{pz} * m[8 + col]);
  }
  m[15] = 1.0f;
  return m;
}

Matrix4 ProductRoundedOnce(const Matrix4& A, const Matrix4& B) {
  Matrix4 out;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += double{A[row * 4 + k]} * double{B[k * 4 + col]};
      out[row * 4 + col] = static_cast<float>(sum);
    }
  }
  return out;
}

}  // namespace testsupport
