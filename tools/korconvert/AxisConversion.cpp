#include "tools/korconvert/AxisConversion.h"

Matrix4 FollowedByHalfTurnAboutX(const Matrix4& M) {
  Matrix4 out = M;
  for (int row = 0; row < 4; ++row) {
    for (int column : {1, 2}) {
      // 0 - x rather than -x: a zero stays +0, so files do not gain -0 entries.
      out[row * 4 + column] = 0.0f - M[row * 4 + column];
    }
  }
  return out;
}
