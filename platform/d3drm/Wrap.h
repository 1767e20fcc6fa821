// Wrap: a retained-mode texture wrap (IDirect3DRMWrap), which computes texture coordinates
// for the vertices of a mesh builder or a mesh.
//
// A wrap has an origin O, a direction D (its z axis), an up vector U (made perpendicular to
// D: its y axis), x = y × z, a texture origin (ou, ov), scales (su, sv) and a reference frame
// (the world when nullptr). Origin and axes are given in the reference frame's coordinates.
// A vertex p, taken to world coordinates (Apply: the object's coordinates are the world's;
// ApplyRelative: through the frame's world matrix) and then to the reference frame's, has
// wrap coordinates x = (p − O)·x̂, y = (p − O)·ŷ, z = (p − O)·ẑ. With those:
//
//   FLAT      u = su·x − ou                        v = sv·y − ov
//   CYLINDER  u = su·a/2π − ou                     v = sv·z − ov
//   SPHERE    u = su·a/2π − ou                     v = sv·b/π − ov
//
// where a ∈ [0, 2π) is the angle of (x, y) about the z axis measured from the up vector
// (y axis) toward the x axis, so that u = −ou (u = 0 unscaled) on the up vector's side as
// DirectX describes, and b ∈ [0, π] the angle between (x, y, z) and the z axis. A point on
// the axis (x = y = 0) takes a = 0; the wrap origin itself b = 0.
//
//   CHROME    a reflection map. The eye is the reference frame's origin (the reference is
//             usually the camera; without one, the world's origin). For a vertex at world
//             position p with
//             world unit normal n, the view ray d = (p − eye)/|p − eye| reflects to
//             r = d − 2(d·n)n; r in the reference frame's orientation, in wrap axes, is the
//             direction (x, y, z) whose SPHERE coordinates (a, b) give u and v by the
//             SPHERE formulas (the wrap origin plays no part).
//
// Apply and ApplyRelative accept this layer's MeshBuilder and Mesh (D3DRMERR_BADOBJECT for
// anything else) and overwrite every vertex's texture coordinates.
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/d3drm/Mesh.h"
#include "platform/d3drm/RMMath.h"
#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

class Wrap final : public RMObject<IDirect3DRMWrap> {
 public:
  // A wrap set up by Init with these values; the caller owns its one reference. Fails as
  // Init does.
  static HRESULT Create(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy,
                        D3DVALUE Oz, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux,
                        D3DVALUE Uy, D3DVALUE Uz, D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su,
                        D3DVALUE Sv, Wrap** Out);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  // D3DRMERR_BADVALUE for an unknown type, a zero direction, or an up vector parallel to
  // the direction; the wrap is then unchanged.
  HRESULT Init(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy, D3DVALUE Oz,
               D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux, D3DVALUE Uy, D3DVALUE Uz,
               D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su, D3DVALUE Sv) override;
  HRESULT Apply(IDirect3DRMObject* Object) override;
  HRESULT ApplyRelative(IDirect3DRMFrame* Frame, IDirect3DRMObject* Object) override;

  // The coordinates of one vertex given in world coordinates (position and unit normal),
  // with the reference frame's world matrix RefWorld and its inverse: the formulas above.
  UV Compute(const D3DVECTOR& WorldPosition, const D3DVECTOR& WorldNormal, const Matrix& RefWorld,
             const Matrix& WorldToRef) const;

 private:
  Wrap();
  HRESULT ApplyWith(const Matrix& ObjectToWorld, IDirect3DRMObject* Object);
  UV Spherical(const D3DVECTOR& Local) const;

  D3DRMWRAPTYPE type_ = D3DRMWRAP_FLAT;
  ComPtr<IDirect3DRMFrame> reference_;
  D3DVECTOR origin_;
  D3DVECTOR xAxis_{1, 0, 0}, yAxis_{0, 1, 0}, zAxis_{0, 0, 1};
  D3DVALUE ou_ = 0, ov_ = 0, su_ = 1, sv_ = 1;
};

}  // namespace platform::d3drm
