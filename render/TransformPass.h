// The software geometry stage: walks an object tree depth first, composes each object's
// matrices, rejects objects whose box lies off screen, and transforms, projects, shades and fogs
// every vertex of the rest into the renderer's vertex buffer, queueing their textured polygons
// by texture number. It draws nothing and calls no platform function.
#pragma once

#include "render/Renderer.h"

// ParentMatrix maps the root's parent space to screen-scaled camera space (x and y times
// HalfWidth, z the camera depth); ParentNormal is the shading matrix of the parent.
void TransformTree(TKorRenderer& R, const Matrix4& ParentMatrix, const Matrix4& ParentNormal,
                   TKorObject* Obj);
