// Frame capture as a recording layer around a 3D view's device: the view's IDirect3DDevice2 and
// its retained-mode viewport (whose immediate-mode viewport does the clears) are swapped for
// wrappers that forward every call unchanged and, while a frame is being recorded, write down
// the calls that change the picture. Nothing inside the device changes; the device only has to
// be this platform's software device, whose textures and materials are read back by handle.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "components/KorvelRM.h"
#include "tools/korcapture/FrameCapture.h"

namespace framecapture {

// Collects one frame's calls made on a device.
class FrameRecorder {
 public:
  explicit FrameRecorder(IDirect3DDevice2* Device) : device_(Device) {}

  // Starts a frame: the target, then every render and light state the device reports, so the
  // capture replays from a fresh device.
  void Start(const std::string& Label);
  bool Recording() const { return recording_; }
  // Ends the frame and hands it over.
  FrameCapture Finish();

  void RenderState(D3DRENDERSTATETYPE Type, DWORD Value);
  void LightState(D3DLIGHTSTATETYPE Type, DWORD Value);
  void Viewport(IDirect3DViewport2* Viewport);
  void Clear(IDirect3DViewport2* Viewport, D3DMATERIALHANDLE Background, DWORD Count,
             const D3DRECT* Rects, DWORD Flags);
  void Draw(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, const void* Vertices,
            DWORD VertexCount, const WORD* Indices, DWORD IndexCount, DWORD Flags);
  void Scene(bool Begin);

 private:
  void KeepTexture(D3DTEXTUREHANDLE Handle);
  void KeepMaterial(D3DMATERIALHANDLE Handle);

  IDirect3DDevice2* device_;
  bool recording_ = false;
  FrameCapture frame_;
  std::set<std::uint32_t> textures_, materials_;
};

// Records the frames drawn into View while it lives: installs the wrappers on construction and
// puts the view's own device and viewport back on destruction.
class ViewRecording {
 public:
  explicit ViewRecording(TKorvelRM& View);
  ~ViewRecording();
  ViewRecording(const ViewRecording&) = delete;
  ViewRecording& operator=(const ViewRecording&) = delete;

  FrameRecorder& Recorder() { return *recorder_; }

 private:
  TKorvelRM& view_;
  ComPtr<IDirect3DDevice2> device_;
  ComPtr<IDirect3DRMViewport> viewport_;
  std::unique_ptr<FrameRecorder> recorder_;
};

}  // namespace framecapture
