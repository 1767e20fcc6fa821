// RMViewport: the retained-mode viewport (IDirect3DRMViewport): a rectangle of an RM
// device's surface seen from a camera frame, with front and back clipping planes (defaults
// 1 and 100) and a field of view (default 0.5).
//
// As in DirectX it stands on an immediate-mode viewport: made by the IDirect3D2 behind the
// RM device (CreateViewport), given the rectangle (SetViewport2: x, y, width, height, depth
// 0 to 1, clip space −1 to 1 across and height/width up and down, for square pixels) and
// added to the RM device's IDirect3DDevice2 (AddViewport); it is deleted from that device
// when the viewport goes. GetDirect3DViewport hands it out with an added reference. When
// the device has no IDirect3D2 or immediate device, or a step fails, the viewport works on
// without one: Clear and GetDirect3DViewport then answer D3DRMERR_BADDEVICE.
//
// Render(scene) walks the tree under the given frame and gathers what there is to draw: each
// visual with the world matrix of the frame carrying it (a frame carried as a visual is
// walked as an instance under its carrier), each light with its frame's world matrix, and
// the view matrix (the inverse of the camera's world matrix). It then makes the immediate
// viewport the device's current one and draws the gathered meshes between BeginScene and
// EndScene (RMRenderer.h says how), answering D3DRM_OK, or the failed device call's result.
// It does not clear: Clear does. Without an immediate-mode viewport it answers
// D3DRMERR_BADDEVICE after the walk; the orthographic projection is not built
// (D3DRMERR_NOTDONEYET after the walk). The gathered lists are reused from call to call (no
// allocation once they are big enough) and can be read with RenderItems(), RenderLights()
// and ViewMatrix(); what the drawing did with Renderer().Counts().
#pragma once

#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3d/D3DInterfaces.h"
#include "platform/d3drm/RMMath.h"
#include "platform/d3drm/RMObject.h"
#include "platform/d3drm/RMRenderer.h"

namespace platform::d3drm {

class Frame;

class RMViewport final : public RMObject<IDirect3DRMViewport> {
 public:
  // D3DRMERR_BADOBJECT without a device or camera, D3DRMERR_BADVALUE for an empty
  // rectangle; otherwise *Out holds a new viewport (one reference).
  static HRESULT Create(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X, DWORD Y,
                        DWORD Width, DWORD Height, RMViewport** Out);
  static RMViewport* From(IDirect3DRMViewport* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT Clear() override;
  HRESULT Render(IDirect3DRMFrame* Frame) override;
  HRESULT SetFront(D3DVALUE Front) override;
  HRESULT SetBack(D3DVALUE Back) override;
  HRESULT SetField(D3DVALUE Field) override;
  HRESULT SetCamera(IDirect3DRMFrame* Camera) override;
  HRESULT SetProjection(D3DRMPROJECTIONTYPE Type) override;
  HRESULT GetCamera(IDirect3DRMFrame** Camera) override;
  HRESULT GetDevice(IDirect3DRMDevice** Device) override;
  LONG GetX() override { return static_cast<LONG>(x_); }
  LONG GetY() override { return static_cast<LONG>(y_); }
  DWORD GetWidth() override { return width_; }
  DWORD GetHeight() override { return height_; }
  D3DVALUE GetField() override { return field_; }
  D3DVALUE GetBack() override { return back_; }
  D3DVALUE GetFront() override { return front_; }
  D3DRMPROJECTIONTYPE GetProjection() override { return projection_; }
  HRESULT GetDirect3DViewport(IDirect3DViewport** Viewport) override;

  // What the last Render gathered.
  const std::vector<RenderItem>& RenderItems() const { return items_; }
  const std::vector<RenderLight>& RenderLights() const { return lights_; }
  const Matrix& ViewMatrix() const { return view_; }
  const RMRenderer& Renderer() const { return renderer_; }

 private:
  RMViewport(IDirect3DRMDevice* Device, IDirect3DRMFrame* Camera, DWORD X, DWORD Y, DWORD Width,
             DWORD Height);
  ~RMViewport() override;
  void AttachImmediateViewport();
  void Gather(const Frame& Node, const Matrix& ParentWorld, int InstanceDepth);
  HRESULT DrawGathered();

  ComPtr<IDirect3DRMDevice> device_;
  ComPtr<IDirect3DRMFrame> camera_;
  ComPtr<IDirect3DDevice2> immediateDevice_;
  ComPtr<IDirect3DViewport2> immediate_;
  DWORD x_, y_, width_, height_;
  D3DVALUE front_ = 1.0f, back_ = 100.0f, field_ = 0.5f;
  D3DRMPROJECTIONTYPE projection_ = D3DRMPROJECT_PERSPECTIVE;
  std::vector<RenderItem> items_;
  std::vector<RenderLight> lights_;
  Matrix view_;
  RMRenderer renderer_;
};

}  // namespace platform::d3drm
