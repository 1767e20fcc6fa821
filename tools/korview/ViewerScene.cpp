#include "tools/korview/ViewerScene.h"

#include <numbers>

#include "render/FramePass.h"
#include "scene/FloatingPoint.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

}  // namespace

void RenumberTextures() {
  if (!TextureList) {
    TextureCount = 0;
    return;
  }
  for (int i = 0; i < TextureList->Count(); ++i) TextureList->Items(i)->Data.Number = i;
  TextureCount = TextureList->Count();
}

TViewerScene::TViewerScene(TKorvelRM* View) : view_(View) {
  NewObject(TurnRoot, 0, 0, 0, 0);
  NewObject(Frame, 0, 0, 0, 0);
  AttachObject(TurnRoot, Frame);
  Distance = framedDistance_ = FrameModel({}, View->Width(), View->Height(), ViewerZoom).Distance;
  MakeRenderer();
}

TViewerScene::~TViewerScene() {
  DropModel();
  FreeObject(TurnRoot);
  FreeRenderer(Renderer);
}

void TViewerScene::DropModel() {
  Frame->FirstChild = nullptr;
  model_.reset();
}

void TViewerScene::Open(const std::string& FileName) {
  std::unique_ptr<TViewerModel> next;
  try {
    next = std::make_unique<TViewerModel>(*view_, FileName);
  } catch (...) {
    RenumberTextures();  // the loader gave back what it made; keep the numbers low
    throw;
  }
  Install(std::move(next));
  fileName_ = FileName;
  ResetView();
}

void TViewerScene::Install(std::unique_ptr<TViewerModel> Model) {
  DropModel();
  model_ = std::move(Model);
  AttachObject(Frame, model_->Root());
  RenumberTextures();
  MakeRenderer();
  const TFraming framing = FrameModel(TreeBounds(model_->Root()), Renderer.ScreenWidth,
                                      Renderer.ScreenHeight, ViewerZoom);
  Frame->Base = framing.FrameBase;
  framedDistance_ = framing.Distance;
}

void TViewerScene::ViewReleasing() {
  if (model_) model_->ForgetTextures();
  DropModel();
  FreeRenderer(Renderer);
}

void TViewerScene::ViewReady() {
  const float distance = Distance;
  const Matrix4 turn = TurnRoot->Local;
  if (fileName_.empty()) {
    MakeRenderer();
  } else {
    try {
      Install(std::make_unique<TViewerModel>(*view_, fileName_));
    } catch (...) {
      fileName_.clear();
      RenumberTextures();
      MakeRenderer();
      throw;
    }
  }
  Distance = distance;
  TurnRoot->Local = turn;
  PlaceCamera();
}

void TViewerScene::MakeRenderer() {
  FreeRenderer(Renderer);
  Capacity = RendererCapacityFor(model_ ? model_->Root() : nullptr);
  NewRenderer(Renderer, view_, 0, 0, Capacity.MaxPolygons, Capacity.MaxVertices, ViewerZoom);
  ApplySwitches();
  PlaceCamera();  // a new renderer starts with the camera at the origin
}

void TViewerScene::ApplySwitches() {
  IDirect3DDevice2* device = view_->D3DDevice.Get();
  if (device == nullptr) return;  // no device: nothing is drawn anyway
  ResetFloatingPoint();
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, Switches.Culling ? D3DCULL_CCW : D3DCULL_NONE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, Switches.PerspectiveCorrection ? 1 : 0);
  device->SetRenderState(D3DRENDERSTATE_FOGENABLE, Switches.Fog ? 1 : 0);
}

Matrix4 TViewerScene::StartTurn() const {
  Matrix4 turn = IdentityMatrix;
  // The demo figure stands along +z: seen as the demo first shows it.
  if (model_ && model_->Figure() != nullptr)
    MakeMatrix(turn, 0, 0, 0, -0.2f * kPi, 1.45f * kPi, -0.2f * kPi);
  return turn;
}

void TViewerScene::ResetView() {
  TurnRoot->Local = StartTurn();
  Distance = framedDistance_;
  PlaceCamera();
}

void TViewerScene::PlaceCamera() {
  MakeMatrix(Renderer.Camera, 0, 0, -Distance, 0, 0, 0);
}

void TViewerScene::Tick() {
  ResetFloatingPoint();
  if (model_ && model_->Figure() != nullptr && Switches.Sway) model_->Figure()->Animate(0.02f);
  DrawScene(Renderer, TurnRoot, false);
}

void TViewerScene::Turn(int dx, int dy) {
  ResetFloatingPoint();
  TurnMatrix(TurnRoot->Local, 0, 0, 0, static_cast<float>(dy) * 0.01f,
             -static_cast<float>(dx) * 0.01f, 0);
}

void TViewerScene::Zoom(int WheelDelta) {
  Distance = ZoomedDistance(Distance, WheelDelta);
  PlaceCamera();
}
