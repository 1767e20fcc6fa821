// Expected values for the geometry tests, computed here from the stated formulas rather than
// through the code under test: every element formed in double and rounded to single once.
#pragma once

#include "scene/Matrix.h"

namespace testsupport {

// The rotation-and-position matrix of the placement table (turn about z, then x, then y; the
// position moved first and turned afterwards), for angles and a position given as singles.
Matrix4 TablePlacement(float px, float py, float pz, float ax, float ay, float az);

// A x B, each element the sum of its four products in double, rounded once.
Matrix4 ProductRoundedOnce(const Matrix4& A, const Matrix4& B);

}  // namespace testsupport
