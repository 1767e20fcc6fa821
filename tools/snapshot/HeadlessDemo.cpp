#include "tools/snapshot/HeadlessDemo.h"

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/backends/HeadlessBackend.h"

THeadlessDemo::THeadlessDemo() {
  HeadlessBackend& backend = UseHeadlessBackend();
  backend.AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
  form_ = new TWinControl(nullptr);
  form_->SetBounds(0, 0, 640, 480);
  display_ = new TKorvelG(form_);
  display_->SetParent(form_);
  display_->SetBounds(8, 64, 185, 41);
  view_ = new TKorvelRM(form_);
  view_->SetParent(form_);
  view_->SetBounds(8, 32, 512, 386);

  D3DDeviceChoice = -1;
  DrawDriverIndex = -1;
  view_->DDEnum();
  DDInitAll();
  view_->RmInit();

  view_->MakeTexture(metaTexture_, 256, 256);
  TBitmap meta;
  meta.LoadFromFile("meta.bmp");
  view_->SetTexture(metaTexture_, &meta, "meta.bmp");
  scene_ = std::make_unique<TDemoScene>(view_);
  if (view_->D3DDevice) {
    view_->D3DDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    view_->D3DDevice->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0);
  }
}

THeadlessDemo::~THeadlessDemo() {
  scene_.reset();
  view_->RmRelease();
  display_->DDrelease();
  delete form_;
}

std::vector<std::uint8_t> THeadlessDemo::ViewPixels(int& Width, int& Height) {
  return SurfaceRgba(view_->Surface.Get(), Width, Height);
}
