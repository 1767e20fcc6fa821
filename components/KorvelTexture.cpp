#include "components/KorvelTexture.h"

void TKorvelTexture::Release() {
  Texture.Reset();
  DeviceTexture.Reset();
  Material.Reset();
  Surface.Reset();
  DeviceSurface.Reset();
  Palette.Reset();
}

void ReloadTexture(TKorvelTexture* Tex) {
  if (!Tex->DeviceSurface || !Tex->Surface || Tex->DeviceSurface == Tex->Surface) return;
  Tex->DeviceSurface->Restore();
  if (Tex->DeviceTexture) Tex->DeviceTexture->Load(Tex->Texture.Get());
}
