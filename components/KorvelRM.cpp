#include "components/KorvelRM.h"

#include <algorithm>
#include <numbers>

#include "components/DeviceChoice.h"
#include "components/KorEnumWin.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "platform/d3drm/Direct3DRM.h"
#include "platform/ddraw/DDrawErrors.h"
#include "platform/display/Window.h"
#include "platform/gdi/BitBlt.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiPalette.h"
#include "scene/FloatingPoint.h"

std::unique_ptr<TList<TKorvelRM*>> ViewList;
ComPtr<IDirect3D2> Direct3D2;
ComPtr<IDirect3DRM> Direct3DRM;
ComPtr<IDirect3DRM2> Direct3DRM2;
std::unique_ptr<TList<std::unique_ptr<TKorvelFrame>>> FrameList;
std::unique_ptr<TList<std::unique_ptr<TKorvelTexture>>> TextureList;
int32_t D3DDeviceChoice = -3;
int32_t D3DDeviceIndex = -3;
int32_t RMOwnerIndex = 0;
int32_t TextureCount = 0;

namespace {

constexpr uint32_t MB_OK_ONLY = 0;

void ShowBox(const char* Text, const char* Caption) {
  Application->MessageBox(Text, Caption, MB_OK_ONLY);
}

D3DMATERIAL MaterialOf(D3DCOLORVALUE Diffuse, D3DCOLORVALUE Ambient, D3DCOLORVALUE Specular,
                       D3DCOLORVALUE Emissive, float Power, D3DTEXTUREHANDLE Texture,
                       DWORD RampSize) {
  D3DMATERIAL material{};
  material.dwSize = sizeof(material);
  material.diffuse = Diffuse;
  material.ambient = Ambient;
  material.specular = Specular;
  material.emissive = Emissive;
  material.power = Power;
  material.hTexture = Texture;
  material.dwRampSize = RampSize;
  return material;
}

// The device list of the driver the display layer opened.
const TList<std::unique_ptr<T3DDeviceRec>>* UsedDevices() {
  if (!DriverList || DriverList->Count() == 0) return nullptr;
  const int32_t index = UsedDriverIndex < 0 ? 0 : UsedDriverIndex;
  if (index >= DriverList->Count()) return nullptr;
  return &DriverList->Items(index)->Devices;
}

DDSURFACEDESC ZBufferDesc(int32_t Width, int32_t Height, int32_t Depth) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_ZBUFFERBITDEPTH;
  desc.dwWidth = static_cast<DWORD>(Width);
  desc.dwHeight = static_cast<DWORD>(Height);
  desc.dwZBufferBitDepth = static_cast<DWORD>(Depth);
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (Hardware3D ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  return desc;
}

}  // namespace

TKorvelRM::TKorvelRM(TComponent* Owner) : TKorvelG(Owner) {
  D3DDeviceChoice = -3;
  D3DDeviceIndex = -3;
  if (!ViewList) ViewList = std::make_unique<TList<TKorvelRM*>>();
  ViewList->Add(this);
}

TKorvelRM::~TKorvelRM() {
  RmRelease();
  // A destroyed view must not be reached by a later device selection.
  if (ViewList) ViewList->Remove(this);
}

void TKorvelRM::WMDestroy() {
  RmRelease();
  TKorvelG::WMDestroy();
}

// ---------------------------------------------------------------------------------------------
// Set-up

void TKorvelRM::RmInit() {
  RMOwnerIndex = ComponentIndex();
  if (Direct3D2) ShowBox("You Can't use Two or More KorvelRM Components.", "Warning");
  if (!FrameList) {
    FrameList = std::make_unique<TList<std::unique_ptr<TKorvelFrame>>>();
    TextureList = std::make_unique<TList<std::unique_ptr<TKorvelTexture>>>();
  }

  const auto* devices = UsedDevices();
  Direct3D2.Reset();
  if (DirectDraw2) LastResult = DirectDraw2.As(IID_IDirect3D2, Direct3D2);

  const TDeviceChoice choice = ChooseDevice(devices, D3DDeviceChoice);
  if (choice.Index >= 0) {
    D3DDeviceIndex = choice.Index;
    if (choice.SetsHardware) Hardware3D = choice.Hardware;
  }
  const int32_t depth = choice.Depth != 0 ? choice.Depth : 16;

  ZBuffer.Reset();
  if (DirectDraw2) {
    const DDSURFACEDESC zdesc = ZBufferDesc(Width(), Height(), depth);
    LastResult = DirectDraw2->CreateSurface(&zdesc, ZBuffer.Put(), nullptr);
    if (Surface && ZBuffer) LastResult = Surface->AddAttachedSurface(ZBuffer.Get());
  }

  LastResult = Direct3DRMCreate(Direct3DRM.Put());
  if (Direct3DRM) LastResult = Direct3DRM.As(IID_IDirect3DRM2, Direct3DRM2);

  const GUID* chosen = choice.Index >= 0 ? &devices->Items(choice.Index)->Guid : nullptr;
  if (!CreateDeviceWithFallback(chosen)) return;  // no device: the view stays blank

  SetDefaultRenderStates();
  MakeMaterials();
  MakeScene();

  if (PrimarySurface) PrimarySurface->GetPalette(ScreenPalette.Put());

  TextureDesc = DDSURFACEDESC{};
  TextureDesc.dwSize = sizeof(TextureDesc);
  TextureDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  TextureDesc.dwWidth = 64;
  TextureDesc.dwHeight = 64;
  TextureDesc.ddsCaps.dwCaps = GetNoHardware() ? DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY
                                               : DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  D3DDevice->EnumTextureFormats(EnumTextureFormat, &TextureDesc);
}

// Creates the chosen device, and when that fails (or nothing was chosen) announces and tries
// the HAL, MMX, RGB and Ramp devices in turn. False when every attempt failed.
bool TKorvelRM::CreateDeviceWithFallback(const GUID* Chosen) {
  const auto attempt = [this](const GUID& guid) {
    D3DDevice.Reset();
    if (!Direct3D2) return false;
    LastResult = Direct3D2->CreateDevice(guid, Surface.Get(), D3DDevice.Put());
    return LastResult == D3D_OK && D3DDevice;
  };
  if (Chosen && attempt(*Chosen)) return true;
  ShowBox("D3DDevice Initialize was Failed. I'm going to try Others.", "Failed");
  const struct {
    const char* text;
    const GUID& guid;
  } fallbacks[] = {{"I try HAL.", IID_IDirect3DHALDevice},
                   {"I try MMX.", IID_IDirect3DMMXDevice},
                   {"I try RGB.", IID_IDirect3DRGBDevice},
                   {"I try Ramp.", IID_IDirect3DRampDevice}};
  for (const auto& fallback : fallbacks) {
    ShowBox(fallback.text, "Try");
    if (attempt(fallback.guid)) return true;
  }
  return false;
}

void TKorvelRM::SetDefaultRenderStates() {
  LastResult = D3DDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
  LastResult = D3DDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 1);
  LastResult = D3DDevice->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
  LastResult = D3DDevice->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
  LastResult = D3DDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
  LastResult = D3DDevice->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
}

void TKorvelRM::MakeMaterials() {
  const D3DCOLORVALUE none{0, 0, 0, 0}, white{1, 1, 1, 0};
  Direct3D2->CreateMaterial(BGMaterial.Put(), nullptr);
  if (BGMaterial) {
    const D3DMATERIAL background = MaterialOf(none, none, none, none, 20.0f, 0, 16);
    BGMaterial->SetMaterial(&background);
    BGMaterial->GetHandle(D3DDevice.Get(), &BGMaterialHandle);
  }
  Direct3D2->CreateMaterial(DefaultMaterial.Put(), nullptr);
  if (DefaultMaterial) {
    const D3DMATERIAL material = MaterialOf(white, white, white, none, 10.0f, 0, 1);
    DefaultMaterial->SetMaterial(&material);
    DefaultMaterial->GetHandle(D3DDevice.Get(), &DefaultMaterialHandle);
    LastResult = D3DDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, DefaultMaterialHandle);
  }
}

void TKorvelRM::MakeScene() {
  if (!Direct3DRM2) return;
  LastResult = Direct3DRM2->CreateDeviceFromD3D(Direct3D2.Get(), D3DDevice.Get(), RMDevice.Put());
  if (RMDevice) LastResult = RMDevice->SetBufferCount(2);

  LastResult = Direct3DRM2->CreateFrame(nullptr, Scene.Put());
  LastResult = Direct3DRM2->CreateFrame(Scene.Get(), LightFrame.Put());
  LastResult = Direct3DRM2->CreateFrame(Scene.Get(), CameraFrame.Put());
  if (!Scene || !LightFrame || !CameraFrame) return;

  if (RMDevice) {
    LastResult = Direct3DRM2->CreateViewport(RMDevice.Get(), CameraFrame.Get(), 0, 0,
                                             static_cast<DWORD>(Width()),
                                             static_cast<DWORD>(Height()), Viewport.Put());
  }
  if (Viewport) LastResult = Viewport->SetBack(5000.0f);

  LastResult = CameraFrame->SetPosition(Scene.Get(), 0, 0, -10);
  LastResult = CameraFrame->SetOrientation(Scene.Get(), 0, 0, 1, 0, 1, 0);

  LastResult =
      Direct3DRM2->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f, DirectionalLight.Put());
  LastResult =
      Direct3DRM2->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.4f, 0.4f, 0.4f, AmbientLight.Put());
  if (DirectionalLight) LastResult = LightFrame->AddLight(DirectionalLight.Get());
  if (AmbientLight) LastResult = LightFrame->AddLight(AmbientLight.Get());

  // Aim the directional light by one fixed turn of pi/4 about (1, 1, 0).
  LightFrame->SetRotation(Scene.Get(), 1, 1, 0, std::numbers::pi_v<float> / 4);
  LightFrame->Move(1.0f);
  LightFrame->SetRotation(Scene.Get(), 1, 1, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Release and restore

void TKorvelRM::ReleaseFrames() {
  if (!FrameList) return;
  for (int i = 0; i < FrameList->Count(); ++i) {
    if (auto& wrapper = FrameList->Items(i)) wrapper->Release();
  }
  FrameList.reset();
}

void TKorvelRM::ReleaseTextures() {
  if (!TextureList) return;
  for (int i = 0; i < TextureList->Count(); ++i) TextureList->Items(i)->Release();
  TextureList.reset();
}

void TKorvelRM::ReleaseSharedObjects() {
  DirectionalLight.Reset();
  AmbientLight.Reset();
  Viewport.Reset();
  LightFrame.Reset();
  CameraFrame.Reset();
  Scene.Reset();
  RMDevice.Reset();
  DefaultMaterial.Reset();
  BGMaterial.Reset();
  D3DDevice.Reset();
  Direct3DRM2.Reset();
  Direct3DRM.Reset();
  Direct3D2.Reset();
}

void TKorvelRM::RmRelease() {
  if (ComponentIndex() == RMOwnerIndex) {
    ReleaseFrames();
    ReleaseTextures();
    ReleaseSharedObjects();
  }
  // The view's own z-buffer and palette reference go too; RmRestore then finds nothing to do.
  ZBuffer.Reset();
  ScreenPalette.Reset();
  DDrelease();
}

void TKorvelRM::RmRestore() {
  if (!ZBuffer) return;  // not set up
  DDRestore();
  if (TextureList) {
    for (int i = 0; i < TextureList->Count(); ++i) {
      TKorvelTexture* texture = TextureList->Items(i).get();
      if (texture->DeviceSurface && texture->DeviceSurface->IsLost() != DD_OK) {
        ReloadTexture(texture);
      }
    }
  }
  if (ZBuffer->IsLost() != DD_OK) ZBuffer->Restore();
  if (PrimarySurface) LastResult = PrimarySurface->SetPalette(ScreenPalette.Get());
  if (BackSurface) LastResult = BackSurface->SetPalette(ScreenPalette.Get());
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TKorvelRM::Render() {
  if (!Scene || !Viewport) return;
  Scene->Move(1.0f);
  ResetFloatingPoint();
  LastResult = Viewport->Render(Scene.Get());
  if (RMDevice) RMDevice->Update();
}

void TKorvelRM::RMClear() {
  if (Viewport) Viewport->Clear();
}

void TKorvelRM::SetBGColor(uint8_t R, uint8_t G, uint8_t B) {
  if (!BGMaterial) return;
  const D3DCOLORVALUE c{R * 0.00390625f, G * 0.00390625f, B * 0.00390625f, 0};
  const D3DMATERIAL material = MaterialOf(c, c, c, c, 20.0f, 0, 1);
  BGMaterial->SetMaterial(&material);
}

// ---------------------------------------------------------------------------------------------
// Textures

void TKorvelRM::MakeTexture(TKorvelTexture*& Tex, int32_t Width, int32_t Height) {
  if (!TextureList) TextureList = std::make_unique<TList<std::unique_ptr<TKorvelTexture>>>();
  auto texture = std::make_unique<TKorvelTexture>();
  Tex = texture.get();
  TextureList->Add(std::move(texture));
  Tex->Data.Number = TextureCount++;
  if (!D3DDevice || !DirectDraw2) return;  // no device: the texture has no surfaces to draw with

  DDSURFACEDESC& desc = Tex->SurfaceDesc;
  desc = DDSURFACEDESC{};
  desc.ddpfPixelFormat = TextureDesc.ddpfPixelFormat;
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(Width);
  desc.dwHeight = static_cast<DWORD>(Height);
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  LastResult = DirectDraw2->CreateSurface(&desc, Tex->Surface.Put(), nullptr);
  if (!Hardware3D) {
    Tex->DeviceSurface = Tex->Surface;
  } else {
    DDSURFACEDESC device = desc;
    device.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD;
    LastResult = DirectDraw2->CreateSurface(&device, Tex->DeviceSurface.Put(), nullptr);
  }

  PALETTEENTRY entries[256] = {};
  HDC desktop = GetDC(nullptr);
  GetSystemPaletteEntries(desktop, 0, 255, entries);
  ReleaseDC(nullptr, desktop);
  entries[255] = {255, 255, 255, 0};  // neither read fills the last entry: make it white
  LastResult = DirectDraw2->CreatePalette(DDPCAPS_8BIT, entries, Tex->Palette.Put(), nullptr);
  if (Tex->Surface) LastResult = Tex->Surface->SetPalette(Tex->Palette.Get());
  if (Hardware3D && Tex->DeviceSurface) {
    LastResult = Tex->DeviceSurface->SetPalette(Tex->Palette.Get());
  }

  if (Tex->Surface) LastResult = Tex->Surface.As(IID_IDirect3DTexture2, Tex->Texture);
  if (!Hardware3D) {
    if (Tex->Texture)
      LastResult = Tex->Texture->GetHandle(D3DDevice.Get(), &Tex->Data.TextureHandle);
    Tex->DeviceTexture = Tex->Texture;
  } else if (Tex->DeviceSurface) {
    LastResult = Tex->DeviceSurface.As(IID_IDirect3DTexture2, Tex->DeviceTexture);
    if (Tex->DeviceTexture) {
      LastResult = Tex->DeviceTexture->GetHandle(D3DDevice.Get(), &Tex->Data.TextureHandle);
    }
  }
}

// The texture's palette from the bitmap's: its first 255 entries, and entry 255 from the bitmap
// when it has one, else white.
void TKorvelRM::FillTexturePalette(TKorvelTexture* Tex, TBitmap* Bitmap) {
  PALETTEENTRY entries[256] = {};
  GetPaletteEntries(Bitmap->Palette(), 0, 255, entries);
  if (GetPaletteEntries(Bitmap->Palette(), 255, 1, &entries[255]) != 1) {
    entries[255] = {255, 255, 255, 0};
  }
  if (Tex->Palette) Tex->Palette->SetEntries(0, 0, 256, entries);
}

void TKorvelRM::SetTexture(TKorvelTexture* Tex, TBitmap* Bitmap, const char* Name) {
  Tex->Data.Name = Name;
  if (!Tex->Surface || !Direct3D2 || !D3DDevice) return;  // nothing to fill without a device
  FillTexturePalette(Tex, Bitmap);

  HDC surfaceDC = nullptr;
  if (Tex->Surface->GetDC(&surfaceDC) == DD_OK) {
    BitBlt(surfaceDC, 0, 0, static_cast<int>(Tex->SurfaceDesc.dwWidth),
           static_cast<int>(Tex->SurfaceDesc.dwHeight), Bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
    Tex->Surface->ReleaseDC(surfaceDC);
  }

  LastResult = Direct3D2->CreateMaterial(Tex->Material.Put(), nullptr);
  const D3DCOLORVALUE white{1, 1, 1, 0}, opaqueWhite{1, 1, 1, 1}, none{0, 0, 0, 0};
  Tex->MaterialDesc =
      MaterialOf(white, white, opaqueWhite, none, 10.0f, Tex->Data.TextureHandle, 1);
  if (Tex->Material) {
    Tex->Material->SetMaterial(&Tex->MaterialDesc);
    Tex->Material->GetHandle(D3DDevice.Get(), &Tex->Data.MaterialHandle);
  }
  if (Tex->Texture) Tex->Texture->PaletteChanged(0, 256);
  if (Tex->DeviceTexture) Tex->DeviceTexture->PaletteChanged(0, 256);
  ReloadTexture(Tex);
}

const TKorTexdata* TKorvelRM::MakeTextureFromFile(const std::string& Path,
                                                  const std::string& Name) {
  TBitmap bitmap;
  bitmap.LoadFromFile(Path);  // throws naming the file when it cannot be loaded
  TKorvelTexture* texture = nullptr;
  MakeTexture(texture, bitmap.Width(), bitmap.Height());
  SetTexture(texture, &bitmap, Name.c_str());
  return &texture->Data;
}

void TKorvelRM::DiscardTexture(const TKorTexdata* Texture) {
  if (!TextureList) return;
  for (int i = 0; i < TextureList->Count(); ++i) {
    if (&TextureList->Items(i)->Data == Texture) {
      TextureList->Items(i)->Release();
      TextureList->Delete(i);
      return;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Frames loaded from mesh files, and texture wraps

namespace {

// Gives back a wrapper's objects and takes its frame out of the scene.
void DiscardFrame(IDirect3DRMFrame* Scene, TKorvelFrame& Wrapper) {
  if (Wrapper.Frame && Wrapper.Mesh) Wrapper.Frame->DeleteVisual(Wrapper.Mesh.Get());
  if (Scene && Wrapper.Frame) Scene->DeleteChild(Wrapper.Frame.Get());
  Wrapper.Release();
}

}  // namespace

void TKorvelRM::MakeFramefromFile(TKorvelFrame** Frame, const char* FileName) {
  if (!Direct3DRM2 || !Scene) return;  // not set up
  auto wrapper = std::make_unique<TKorvelFrame>();
  LastResult = Direct3DRM2->CreateFrame(Scene.Get(), wrapper->Frame.Put());
  LastResult = Direct3DRM2->CreateMeshBuilder(wrapper->MeshBuilder.Put());
  if (!wrapper->Frame || !wrapper->MeshBuilder) {
    DiscardFrame(Scene.Get(), *wrapper);
    throw Exception(std::string("Cannot make a frame for the mesh file ") + FileName);
  }
  LastResult = wrapper->MeshBuilder->Load(const_cast<char*>(FileName), nullptr, D3DRMLOAD_FROMFILE,
                                          nullptr, nullptr);
  if (LastResult != D3DRM_OK) {
    // A file that cannot be loaded is reported; no wrapper is listed.
    const std::string reason = wrapper->MeshBuilder->LastError();
    DiscardFrame(Scene.Get(), *wrapper);
    throw Exception(reason.empty() ? std::string("Cannot load the mesh file ") + FileName : reason);
  }
  LastResult = wrapper->MeshBuilder->CreateMesh(wrapper->Mesh.Put());
  if (wrapper->Mesh) LastResult = wrapper->Frame->AddVisual(wrapper->Mesh.Get());
  wrapper->MeshBuilder->SetPerspective(TRUE);

  if (Frame != nullptr) {
    if (TKorvelFrame* old = *Frame) {
      DiscardFrame(Scene.Get(), *old);
      for (int i = 0; i < FrameList->Count(); ++i) {
        if (FrameList->Items(i).get() == old) {
          FrameList->Delete(i);
          break;
        }
      }
    }
    *Frame = wrapper.get();
  }
  FrameList->Add(std::move(wrapper));
}

void TKorvelRM::SetWrap(TKorvelFrame* Frame, const char* FileName, int32_t WrapType, float ox,
                        float oy, float oz, float dx, float dy, float dz, float ux, float uy,
                        float uz, float ou, float ov, float su, float sv) {
  if (WrapType < 0 || WrapType > 3) {
    throw Exception("SetWrap: wrap type " + std::to_string(WrapType) +
                    " is not 0 (flat), 1 (cylinder), 2 (sphere) or 3 (chrome); nothing changed");
  }
  if (!Direct3DRM2 || !Frame || !Frame->MeshBuilder || !Frame->Frame) return;
  ComPtr<IDirect3DRMTexture2> texture;
  LastResult = Direct3DRM2->LoadTexture(FileName, texture.Put());
  if (!texture) throw Exception(std::string("Cannot load the texture file ") + FileName);
  Frame->MeshBuilder->SetTexture(texture.Get());

  const bool chrome = WrapType == 3;
  ComPtr<IDirect3DRMWrap> wrap;
  LastResult = Direct3DRM2->CreateWrap(static_cast<D3DRMWRAPTYPE>(WrapType),
                                       chrome ? CameraFrame.Get() : nullptr, ox, oy, oz, dx, dy, dz,
                                       ux, uy, uz, ou, ov, su, sv, wrap.Put());
  const auto apply = [&](IDirect3DRMObject* target) {
    if (!wrap) return;
    LastResult = chrome ? wrap->ApplyRelative(Frame->Frame.Get(), target) : wrap->Apply(target);
  };

  if (Frame->Mesh) Frame->Frame->DeleteVisual(Frame->Mesh.Get());
  Frame->Mesh.Reset();
  apply(Frame->MeshBuilder.Get());
  Frame->MeshBuilder->SetPerspective(TRUE);
  LastResult = Frame->MeshBuilder->CreateMesh(Frame->Mesh.Put());
  if (Frame->Mesh) {
    apply(Frame->Mesh.Get());
    Frame->Frame->AddVisual(Frame->Mesh.Get());
  }
}

// ---------------------------------------------------------------------------------------------
// Device selection

void SelectDevices(int32_t Mode) {
  if (!ViewList) RaiseListIndexError(0);
  ViewList->Items(0)->DDEnum();
  bool custom = false;
  if (Mode == EnumModeCustom) {
    auto* dialog = new TKorEnumWindow(Application);
    if (DriverList)
      for (const auto& driver : *DriverList) dialog->ListBox1->Items()->Add(driver->Name);
    dialog->ShowModal();
    // Exit closed the main form: the release has run, nothing may be set up again.
    if (Application->Terminated()) return;
    if (dialog->EnumMode == EnumModeCustom) {
      DrawDriverIndex = dialog->DDrawIndex;
      D3DDeviceChoice = dialog->D3DIndex;
      custom = true;
    } else {
      Mode = dialog->EnumMode;
    }
  }
  if (!custom) {
    DrawDriverIndex = Mode == EnumModeHAL || Mode == EnumModeAutoSelect ? -2 : -1;
    D3DDeviceChoice = Mode;
  }
  DDInitAll();
  for (int i = 0; i < ViewList->Count(); ++i) ViewList->Items(i)->RmInit();
}
