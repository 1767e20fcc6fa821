#include "tools/snapshot/HeadlessView.h"

#include "framework/Application.h"
#include "framework/backends/HeadlessBackend.h"
#include "tools/snapshot/SurfaceImage.h"

THeadlessView::THeadlessView() {
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
}

THeadlessView::~THeadlessView() {
  view_->RmRelease();
  display_->DDrelease();
  delete form_;
}

std::vector<std::uint8_t> THeadlessView::Pixels(int& Width, int& Height) {
  return SurfaceRgba(view_->Surface.Get(), Width, Height);
}
