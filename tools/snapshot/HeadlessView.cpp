#include "tools/snapshot/HeadlessView.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/backends/HeadlessBackend.h"
#include "tools/snapshot/SurfaceImage.h"

THeadlessView::THeadlessView(int Width, int Height) {
  HeadlessBackend& backend = UseHeadlessBackend();
  backend.AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
  form_ = new TWinControl(nullptr);
  form_->SetBounds(0, 0, std::max(640, Width + 16), std::max(480, Height + 94));
  display_ = new TKorvelG(form_);
  display_->SetParent(form_);
  display_->SetBounds(8, 64, 185, 41);
  view_ = new TKorvelRM(form_);
  view_->SetParent(form_);
  view_->SetBounds(8, 32, Width, Height);
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
