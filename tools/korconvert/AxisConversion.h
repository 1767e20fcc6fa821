// The axes of the formats Open Asset Import Library reads and writes against the renderer's.
//
// glTF, OBJ and the rest are y-up and look toward -z; the renderer's world is y-down (screen y
// grows with y) and its camera looks along +z. A half turn about x (y to -y, z to -z) carries
// one into the other. It is a proper rotation, so it keeps handedness and face winding, and it
// is its own inverse: import composes it into the root object's Local, export composes it into
// the root node's matrix, and a round trip through both gives the matrix back exactly.
#pragma once

#include "scene/Matrix.h"

// M x H, where H is the half turn about x: M's y and z columns negated, exactly (entries of H
// are 0 and +-1, so nothing is rounded).
Matrix4 FollowedByHalfTurnAboutX(const Matrix4& M);
