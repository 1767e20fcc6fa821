// Frame: the retained-mode scene node (IDirect3DRMFrame, IDirect3DRMFrame2).
//
// A frame holds a matrix relative to its parent, its children, the visuals and lights it
// carries, and a rotation that Move applies. Parents own their children (one reference
// each); a child knows its parent without owning it, and is left parentless when the
// parent goes. Frames, visuals and lights stay alive as long as a frame carries them.
//
// World transform: World(f) = Local(f) × World(parent(f)), the root's World being its
// Local. Read it with Frame::WorldMatrix() on a frame of this layer, or for any
// IDirect3DRMFrame with GetWorldTransform / WorldMatrixOf below.
//
// Move(delta) walks the frame and every frame below it, parents first, and turns each about
// its own origin by its rotation speed × delta, about the axis SetRotation gave (converted
// then to the parent's coordinates). Positions relative to the parent do not change; a
// child's place in the world follows its turning parent. Velocities (SetVelocity) are not
// built.
//
// Frame2 adds nothing here (see RMInterfaces.h). SetOrientation sets a pure rotation: a
// scale that AddTransform put into the frame's matrix is dropped by it.
#pragma once

#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3drm/RMMath.h"
#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

class Frame final : public RMObject<IDirect3DRMFrame2> {
 public:
  // A parentless frame with the identity matrix; the caller owns its one reference.
  static Frame* Create();
  // The frame of this layer behind Itf, or nullptr for another implementation (or nullptr).
  static Frame* From(IDirect3DRMFrame* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;

  HRESULT AddChild(IDirect3DRMFrame* Child) override;
  HRESULT AddLight(IDirect3DRMLight* Light) override;
  HRESULT AddVisual(IDirect3DRMVisual* Visual) override;
  HRESULT AddTransform(D3DRMCOMBINETYPE Type, D3DRMMATRIX4D Matrix) override;
  HRESULT DeleteChild(IDirect3DRMFrame* Child) override;
  HRESULT DeleteLight(IDirect3DRMLight* Light) override;
  HRESULT DeleteVisual(IDirect3DRMVisual* Visual) override;
  HRESULT GetChildren(IDirect3DRMFrameArray** Children) override;
  HRESULT GetLights(IDirect3DRMLightArray** Lights) override;
  HRESULT GetVisuals(IDirect3DRMVisualArray** Visuals) override;
  HRESULT GetParent(IDirect3DRMFrame** Parent) override;
  HRESULT GetScene(IDirect3DRMFrame** Scene) override;
  HRESULT GetPosition(IDirect3DRMFrame* Ref, D3DVECTOR* Position) override;
  HRESULT GetOrientation(IDirect3DRMFrame* Ref, D3DVECTOR* Direction, D3DVECTOR* Up) override;
  HRESULT GetRotation(IDirect3DRMFrame* Ref, D3DVECTOR* Axis, D3DVALUE* Theta) override;
  HRESULT GetTransform(D3DRMMATRIX4D Matrix) override;
  HRESULT SetPosition(IDirect3DRMFrame* Ref, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) override;
  HRESULT SetOrientation(IDirect3DRMFrame* Ref, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux,
                         D3DVALUE Uy, D3DVALUE Uz) override;
  HRESULT SetRotation(IDirect3DRMFrame* Ref, D3DVALUE X, D3DVALUE Y, D3DVALUE Z,
                      D3DVALUE Theta) override;
  HRESULT Move(D3DVALUE Delta) override;
  HRESULT Transform(D3DVECTOR* Destination, D3DVECTOR* Source) override;
  HRESULT InverseTransform(D3DVECTOR* Destination, D3DVECTOR* Source) override;

  // Read access, for the viewport and the wraps.
  Frame* Parent() const { return parent_; }
  const Matrix& LocalMatrix() const { return local_; }
  Matrix WorldMatrix() const;
  const std::vector<ComPtr<Frame>>& Children() const { return children_; }
  const std::vector<ComPtr<IDirect3DRMVisual>>& Visuals() const { return visuals_; }
  const std::vector<ComPtr<IDirect3DRMLight>>& Lights() const { return lights_; }

 private:
  Frame();
  ~Frame() override;

  bool IsSelfOrAncestorOf(const Frame* Other) const;
  void DetachChild(Frame* Child);
  Matrix ParentWorld() const;
  void Turn(D3DVALUE Delta);

  Frame* parent_ = nullptr;  // not owned: the parent owns this frame
  std::vector<ComPtr<Frame>> children_;
  std::vector<ComPtr<IDirect3DRMVisual>> visuals_;
  std::vector<ComPtr<IDirect3DRMLight>> lights_;
  Matrix local_;
  D3DVECTOR rotationAxis_{0, 1, 0};  // unit vector in the parent's coordinates
  D3DVALUE rotationTheta_ = 0;       // radians per unit of Move's delta
};

// The world matrix of any frame, read through its interface (GetTransform and GetParent);
// the identity for nullptr. Frames of this layer take the direct route.
Matrix WorldMatrixOf(IDirect3DRMFrame* Frame);
HRESULT GetWorldTransform(IDirect3DRMFrame* Frame, D3DRMMATRIX4D World);

}  // namespace platform::d3drm
