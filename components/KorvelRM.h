// The unit KorvelRM: TKorvelRM, the 3D view. It is a TKorvelG panel whose drawing surface is the
// render target of a Direct3D device, with a retained-mode device, scene, camera, lights and
// viewport built on that device, and the textures the renderer draws with.
//
// Life of a view: constructed by its form; RmInit (after DDInit of every display component)
// makes the device through a fixed fallback chain and the scene; Render, RMClear, RmRestore,
// MakeTexture, SetTexture and MakeFramefromFile work while it is set up; RmRelease (also run by
// the window's destruction and the destructor) gives everything back. The view that ran RmInit
// last owns the objects shared by all views.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/KorvelFrame.h"
#include "components/KorvelG.h"
#include "components/KorvelTexture.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3drm/RMInterfaces.h"
#include "scene/TextureMaker.h"

class TBitmap;

class TKorvelRM : public TKorvelG, public TKorTextureMaker {
 public:
  explicit TKorvelRM(TComponent* Owner);
  ~TKorvelRM() override;

  // Published methods.
  void RmInit();
  void RmRelease();
  // Loads a mesh file into a new frame under Scene; the new wrapper replaces the one Frame
  // holds (whose visual leaves the scene). Throws naming the file when it cannot be loaded.
  void MakeFramefromFile(TKorvelFrame** Frame, const char* FileName);
  void Render();
  void RMClear();
  void RmRestore();
  // Wraps the texture in FileName onto Frame's mesh: WrapType 0 flat, 1 cylinder, 2 sphere,
  // 3 chrome relative to the camera. Another WrapType changes nothing and throws.
  void SetWrap(TKorvelFrame* Frame, const char* FileName, int32_t WrapType, float ox, float oy,
               float oz, float dx, float dy, float dz, float ux, float uy, float uz, float ou,
               float ov, float su, float sv);
  void MakeTexture(TKorvelTexture*& Tex, int32_t Width, int32_t Height);
  void SetTexture(TKorvelTexture* Tex, TBitmap* Bitmap, const char* Name);
  void SetBGColor(uint8_t R, uint8_t G, uint8_t B);

  // What the model loader needs: a texture made and filled from a bitmap file, and given back.
  const TKorTexdata* MakeTextureFromFile(const std::string& Path, const std::string& Name) override;
  void DiscardTexture(const TKorTexdata* Texture) override;

  // Instance fields, public as in the component's interface: the renderer draws through them.
  ComPtr<IDirect3DDevice2> D3DDevice;
  ComPtr<IDirect3DRMDevice2> RMDevice;
  ComPtr<IDirect3DRMFrame2> Scene;
  ComPtr<IDirect3DRMFrame2> LightFrame;
  ComPtr<IDirect3DRMFrame2> CameraFrame;
  ComPtr<IDirect3DRMViewport> Viewport;
  ComPtr<IDirect3DRMLight> DirectionalLight;
  ComPtr<IDirect3DRMLight> AmbientLight;
  ComPtr<IDirectDrawSurface> ZBuffer;
  ComPtr<IDirectDrawPalette> ScreenPalette;
  D3DMATERIALHANDLE DefaultMaterialHandle = 0;
  ComPtr<IDirect3DMaterial2> DefaultMaterial;
  ComPtr<IDirect3DMaterial2> BGMaterial;
  D3DMATERIALHANDLE BGMaterialHandle = 0;
  DDSURFACEDESC TextureDesc{};

 protected:
  // The window is going: give back everything, as the owner may never call RmRelease.
  void WMDestroy() override;

 private:
  bool CreateDeviceWithFallback(const GUID* Chosen);
  void SetDefaultRenderStates();
  void MakeMaterials();
  void MakeScene();
  void ReleaseFrames();
  void ReleaseTextures();
  void ReleaseSharedObjects();
  void FillTexturePalette(TKorvelTexture* Tex, TBitmap* Bitmap);
};

// View unit state, one copy for the process, shared by every view.
extern std::unique_ptr<TList<TKorvelRM*>> ViewList;  // construction order
extern ComPtr<IDirect3D2> Direct3D2;                 // set: a view is initialised
extern ComPtr<IDirect3DRM> Direct3DRM;
extern ComPtr<IDirect3DRM2> Direct3DRM2;
extern std::unique_ptr<TList<std::unique_ptr<TKorvelFrame>>> FrameList;
extern std::unique_ptr<TList<std::unique_ptr<TKorvelTexture>>> TextureList;
extern int32_t D3DDeviceChoice;  // -1, -2, -3 or a device index; set by the device selection
extern int32_t D3DDeviceIndex;   // the device RmInit chose
extern int32_t RMOwnerIndex;     // component index of the view that ran RmInit last
extern int32_t TextureCount;     // number of the next texture

// The device selection. Enumerates drivers and devices (DDEnum of the first view), then
// decides the drawing driver (DrawDriverIndex) and the Direct3D device (D3DDeviceChoice) from
// Mode: -1 the primary display driver with its first software device, -2 the last driver with
// 3D and texture caps with its first hardware device, -3 that driver with its last software
// device, any other value the primary display driver with Mode passed on as the device choice;
// -4 shows the dialog TKorEnumWindow (owned by the application, kept after it closes) and
// takes the mode, or for Custom the driver and device, chosen there. Then sets up every display
// component (DDInitAll, the first becoming the master) and RmInit's every view.
// When the dialog's Exit closed the application, nothing is set up: the program is ending.
// Throws EListError when there is no view.
void SelectDevices(int32_t Mode);
