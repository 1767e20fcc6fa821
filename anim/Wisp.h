// The demo's animated figure: the model "wisp2.kor", a chain of three joints standing along the
// model's +z axis (lower, middle, upper; 8.5 units in all) and a skin that bends the model's
// root object with them. Each Animate sways the figure by bending the middle joint about y;
// one sway is a phase of 1.
#pragma once

#include <array>

#include "anim/Joint.h"
#include "anim/Skin.h"
#include "scene/KorObject.h"
#include "scene/Matrix.h"
#include "scene/TextureMaker.h"

// The model file, read from the working directory.
inline constexpr const char* WispModelFile = "wisp2.kor";

// The figure's height along z and the reach of its joints from the axis, in model units.
inline constexpr double WispHeight = 8.5;
inline constexpr float WispJointRadius = 17.0f;

class TWisp {
 public:
  // Loads the model through View (which makes its textures), builds the joints and binds the
  // root object's vertices to them in the unbent pose. A model that cannot be loaded throws
  // the loader's EKorModelError, and nothing is kept.
  explicit TWisp(TKorTextureMaker* View);
  // The same for a model already loaded (from any file): builds the joints and binds Model's
  // root vertices to them. When that fails nothing is kept, and Model stays the caller's.
  explicit TWisp(TKorObject* LoadedModel);

  // Frees the joints and the skin. Model is not freed: it belongs to the tree it is attached
  // to (an owner that never attached it frees it with FreeObject).
  ~TWisp();

  TWisp(const TWisp&) = delete;
  TWisp& operator=(const TWisp&) = delete;

  // Bends the middle joint by -(sin(2 pi Phase) + 1) about y, updates the joints, advances
  // Phase by dt (back to 0 once it passes 1), places the model by Placement and deforms it.
  // Allocates nothing.
  void Animate(float dt);

  Matrix4 Placement = IdentityMatrix;  // where the figure stands; the main form turns it
  TKorObject* Model = nullptr;         // root object of the loaded model
  TKorSkin* Skin = nullptr;
  float Phase = 0.0f;
  std::array<TKorJoint*, 3> Joints{};  // lower (root of the joint tree), middle, upper

 private:
  void BindModel();
  void BuildJoints();
  void FreeJointsAndSkin();
};
