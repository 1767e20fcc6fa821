#include "tools/snapshot/HeadlessDemo.h"

#include "framework/Bitmap.h"

THeadlessDemo::THeadlessDemo(int Width, int Height) : headless_(Width, Height) {
  TKorvelRM* view = &headless_.View();
  view->MakeTexture(metaTexture_, 256, 256);
  TBitmap meta;
  meta.LoadFromFile("meta.bmp");
  view->SetTexture(metaTexture_, &meta, "meta.bmp");
  scene_ = std::make_unique<TDemoScene>(view);
  if (view->D3DDevice) {
    view->D3DDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    view->D3DDevice->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0);
  }
}

THeadlessDemo::~THeadlessDemo() {
  scene_.reset();
}

std::vector<std::uint8_t> THeadlessDemo::ViewPixels(int& Width, int& Height) {
  return headless_.Pixels(Width, Height);
}
