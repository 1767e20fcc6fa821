// Vector and matrix arithmetic of the retained-mode layer: frames, wraps and the viewport's
// drawing use it. Conventions are those of RMTypes.h: row vectors on the left,
// translation in row 3, A × B applies A first, left-handed coordinates.
//
// Rotations follow Direct3D: a positive angle turns clockwise when seen from the tip of the
// axis looking toward the origin, so a quarter turn about +y takes +x to −z.
#pragma once

#include "platform/d3drm/RMTypes.h"

namespace platform::d3drm {

// A D3DRMMATRIX4D that can be copied and returned.
struct Matrix {
  D3DVALUE m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};  // identity

  static Matrix FromD3DRM(const D3DRMMATRIX4D Source);
  void ToD3DRM(D3DRMMATRIX4D Target) const;

  D3DVECTOR Row(int Index) const { return {m[Index][0], m[Index][1], m[Index][2]}; }
  void SetRow(int Index, const D3DVECTOR& Value);
};

D3DVECTOR Add(const D3DVECTOR& A, const D3DVECTOR& B);
D3DVECTOR Subtract(const D3DVECTOR& A, const D3DVECTOR& B);
D3DVECTOR Scale(const D3DVECTOR& V, D3DVALUE Factor);
D3DVALUE Dot(const D3DVECTOR& A, const D3DVECTOR& B);
// The cross product; Cross(y axis, z axis) is the x axis, as frame orientations use it.
D3DVECTOR Cross(const D3DVECTOR& A, const D3DVECTOR& B);
D3DVALUE Length(const D3DVECTOR& V);
// V scaled to length 1; false (and Out untouched) when V is too short to have a direction.
bool Normalize(const D3DVECTOR& V, D3DVECTOR& Out);

// A × B: the matrix that applies A, then B.
Matrix Multiply(const Matrix& A, const Matrix& B);
// P as a point (w = 1) through M.
D3DVECTOR TransformPoint(const D3DVECTOR& P, const Matrix& M);
// D as a direction (w = 0) through M: rotation and scale, no translation.
D3DVECTOR TransformDirection(const D3DVECTOR& D, const Matrix& M);
// The inverse of an affine matrix (last column 0, 0, 0, 1); false when M is singular.
bool InvertAffine(const Matrix& M, Matrix& Inverse);
// Turn by Angle radians about the unit vector Axis, through the origin.
Matrix RotationAboutAxis(const D3DVECTOR& Axis, D3DVALUE Angle);

}  // namespace platform::d3drm
