#include "tools/snapshot/HeadlessDemo.h"

#include <stb_image_write.h>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/backends/HeadlessBackend.h"
#include "platform/ddraw/DDrawErrors.h"

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
  std::vector<std::uint8_t> rgba;
  Width = Height = 0;
  if (!view_->Surface) return rgba;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  if (view_->Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return rgba;
  Width = static_cast<int>(desc.dwWidth);
  Height = static_cast<int>(desc.dwHeight);
  rgba.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 4);
  const auto expand = [](unsigned v, int bits) {
    return static_cast<std::uint8_t>((v << (8 - bits)) | (v >> (2 * bits - 8)));
  };
  for (int y = 0; y < Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch);
    for (int x = 0; x < Width; ++x) {
      const unsigned p = row[x];
      std::uint8_t* out = &rgba[(static_cast<size_t>(y) * Width + x) * 4];
      out[0] = expand((p >> 11) & 0x1F, 5);
      out[1] = expand((p >> 5) & 0x3F, 6);
      out[2] = expand(p & 0x1F, 5);
      out[3] = 255;
    }
  }
  view_->Surface->Unlock(desc.lpSurface);
  return rgba;
}

bool WriteRgbaPng(const std::string& Path, const std::vector<std::uint8_t>& Rgba, int Width,
                  int Height) {
  return stbi_write_png(Path.c_str(), Width, Height, 4, Rgba.data(), Width * 4) != 0;
}
