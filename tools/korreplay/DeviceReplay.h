// Replays a captured frame through this project's software device: a DirectDraw object with a
// target and z-buffer of the capture's size and format, the capture's textures and materials
// made as surfaces and objects of their own, and one viewport. Handles the capture names are
// mapped to the ones made here.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DDrawInterfaces.h"
#include "tools/korcapture/FrameCapture.h"

namespace framecapture {

class DeviceReplay {
 public:
  // Makes everything the frame needs (Capture must outlive the replay). Throws
  // std::runtime_error naming what could not be made; the target must be 16-bit 5-6-5.
  explicit DeviceReplay(const FrameCapture& Capture);

  // Plays the frame's commands in order: states, viewports, clears and draws.
  void Run();

  // How many threads the device draws with (its default until set).
  void SetThreadCount(int Count);

  // The target's 5-6-5 pixels, rows from the top.
  std::vector<std::uint16_t> Pixels() const;

 private:
  void MakeTarget();
  void MakeTexture(const CaptureTexture& Texture);
  void MakeMaterial(const CaptureMaterial& Material);
  void Play(const CaptureCommand& Command);
  DWORD MappedTexture(DWORD Id) const;
  DWORD MappedMaterial(DWORD Id) const;

  const FrameCapture& capture_;
  ComPtr<IDirectDraw2> ddraw_;
  ComPtr<IDirect3D2> d3d_;
  ComPtr<IDirectDrawSurface> target_, zbuffer_;
  ComPtr<IDirect3DDevice2> device_;
  ComPtr<IDirect3DViewport2> viewport_;
  std::vector<ComPtr<IDirectDrawSurface>> textureSurfaces_;
  std::vector<ComPtr<IDirect3DTexture2>> textures_;
  std::vector<ComPtr<IDirect3DMaterial2>> materials_;
  std::unordered_map<DWORD, DWORD> textureHandles_, materialHandles_;
};

}  // namespace framecapture
