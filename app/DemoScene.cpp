#include "app/DemoScene.h"

#include <numbers>

#include "render/FramePass.h"
#include "scene/FloatingPoint.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

}  // namespace

TDemoScene::TDemoScene(TKorvelRM* View) {
  NewRenderer(Renderer, View, 0, 0, 20000, 20000, 2.0f);
  NewObject(SceneRoot, 0, 0, 0, 0);
  try {
    Character = std::make_unique<TWisp>(View);
  } catch (...) {
    FreeObject(SceneRoot);
    FreeRenderer(Renderer);
    throw;
  }
  AttachObject(SceneRoot, Character->Model);
  MakeMatrix(Renderer.Camera, 0, 0, -20, 0, 0, 0);
  MakeMatrix(Character->Placement, 0, 0, 0, -0.2f * kPi, 1.45f * kPi, -0.2f * kPi);
  Renderer.Light = {0, 0, 1};
}

TDemoScene::~TDemoScene() {
  Character.reset();
  FreeObject(SceneRoot);
  FreeRenderer(Renderer);
}

void TDemoScene::Tick() {
  ResetFloatingPoint();
  Character->Animate(0.02f);
  DrawScene(Renderer, SceneRoot, false);
}

void TDemoScene::Turn(int dx, int dy) {
  ResetFloatingPoint();
  TurnMatrix(Character->Placement, 0, 0, 0, static_cast<float>(dy) * 0.01f,
             -static_cast<float>(dx) * 0.01f, 0);
}
