#include "app/DemoScene.h"

#include <numbers>

#include "render/FramePass.h"
#include "scene/FloatingPoint.h"

namespace {

// The start-up angles, each the single nearest to its multiple of pi (formed in double).
constexpr auto kTiltX = static_cast<float>(-0.2 * std::numbers::pi);
constexpr auto kTurnY = static_cast<float>(1.45 * std::numbers::pi);
constexpr auto kTiltZ = static_cast<float>(-0.2 * std::numbers::pi);
constexpr double kDragRadiansPerPixel = 0.01;

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
  MakeMatrix(Character->Placement, 0, 0, 0, kTiltX, kTurnY, kTiltZ);
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
  TurnMatrix(Character->Placement, 0, 0, 0, static_cast<float>(dy * kDragRadiansPerPixel),
             static_cast<float>(-dx * kDragRadiansPerPixel), 0);
}
