#include "anim/Wisp.h"

#include <cmath>
#include <numbers>

#include "model/LoadModel.h"

namespace {

// Shape of each joint's length curve and its share of the height.
struct TJointSetup {
  float P1, P2;
  double Share;
};

constexpr std::array<TJointSetup, 3> JointSetups{{
    {0.5f, 0.5f, 0.4},                // lower: longest segments at both ends
    {0.5f, 0.5f, 0.2},                // middle: the bending waist
    {1.0f / 3.0f, 2.0f / 3.0f, 0.4},  // upper: even segments
}};

}  // namespace

TWisp::TWisp(TKorTextureMaker* View) {
  Model = LoadModel(View, WispModelFile);
  try {
    BindModel();
  } catch (...) {
    FreeObject(Model);
    throw;
  }
}

TWisp::TWisp(TKorObject* LoadedModel) {
  Model = LoadedModel;
  BindModel();
}

void TWisp::BindModel() {
  try {
    BuildJoints();
    NewSkin(Skin, Model, Joints[0]);
  } catch (...) {
    FreeJointsAndSkin();
    throw;
  }
}

TWisp::~TWisp() {
  FreeJointsAndSkin();
}

void TWisp::BuildJoints() {
  Matrix4 identity;
  MakeMatrix(identity, 0, 0, 0, 0, 0, 0);
  for (size_t j = 0; j < Joints.size(); ++j) {
    const TJointSetup& setup = JointSetups[j];
    NewJoint(Joints[j], setup.P1, setup.P2);
    SetJoint(Joints[j], identity, 1.0f * WispJointRadius,
             static_cast<float>(setup.Share * WispHeight));
  }
  LinkJoint(Joints[0], Joints[1]);
  LinkJoint(Joints[1], Joints[2]);
}

void TWisp::FreeJointsAndSkin() {
  // The lower joint owns the other two once they are linked; unlinked ones are freed alone.
  for (size_t j = Joints.size(); j-- > 0;) {
    if (Joints[j] != nullptr && (j == 0 || Joints[j]->Parent == nullptr)) FreeJoint(Joints[j]);
  }
  Joints.fill(nullptr);
  if (Skin != nullptr) FreeSkin(Skin);
  Skin = nullptr;
}

void TWisp::Animate(float dt) {
  const double sway = std::sin(2.0 * std::numbers::pi * static_cast<double>(Phase));
  Joints[1]->Bend.y = static_cast<float>(-(sway + 1.0));
  UpdateRootJoint(Joints[0]);
  Phase += dt;
  if (Phase > 1.0f) Phase = 0.0f;
  Model->Local = Placement;
  ApplySkin(Skin);
}
