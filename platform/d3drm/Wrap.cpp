#include "platform/d3drm/Wrap.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/d3drm/Frame.h"
#include "platform/d3drm/MeshBuilder.h"

namespace platform::d3drm {
namespace {

constexpr D3DVALUE kPi = std::numbers::pi_v<D3DVALUE>;
constexpr D3DVALUE kTwoPi = 2 * kPi;

// The angle of (X, Y) about the z axis, from the y axis toward the x axis, in [0, 2π).
D3DVALUE AngleFromUp(D3DVALUE X, D3DVALUE Y) {
  if (X == 0 && Y == 0) return 0;
  D3DVALUE a = std::atan2(X, Y);
  if (a < 0) a += kTwoPi;
  return a < kTwoPi ? a : 0;  // −0.0000001 + 2π rounds to 2π, which is the angle 0
}

// The matrix that carries normals along with a model transformed by M: the inverse
// transpose of its 3 × 3 part (the rotation itself when M has no scale).
bool NormalMatrix(const Matrix& M, Matrix& Out) {
  Matrix inverse;
  if (!InvertAffine(M, inverse)) return false;
  Out = Matrix{};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) Out.m[row][column] = inverse.m[column][row];
  return true;
}

}  // namespace

HRESULT Wrap::Create(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy,
                     D3DVALUE Oz, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux, D3DVALUE Uy,
                     D3DVALUE Uz, D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su, D3DVALUE Sv, Wrap** Out) {
  if (!Out) return D3DRMERR_BADVALUE;
  *Out = nullptr;
  ComPtr<Wrap> wrap;
  wrap.Attach(new Wrap);
  const HRESULT result = wrap->Init(Type, Ref, Ox, Oy, Oz, Dx, Dy, Dz, Ux, Uy, Uz, Ou, Ov, Su, Sv);
  if (FAILED(result)) return result;
  *Out = wrap.Detach();
  return D3DRM_OK;
}

Wrap::Wrap() : RMObject("Wrap") {}

HRESULT Wrap::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMWrap) return Answer(static_cast<IDirect3DRMWrap*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT Wrap::Init(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref, D3DVALUE Ox, D3DVALUE Oy, D3DVALUE Oz,
                   D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz, D3DVALUE Ux, D3DVALUE Uy, D3DVALUE Uz,
                   D3DVALUE Ou, D3DVALUE Ov, D3DVALUE Su, D3DVALUE Sv) {
  if (Type > D3DRMWRAP_CHROME) return D3DRMERR_BADVALUE;
  D3DVECTOR z, y;
  if (!Normalize({Dx, Dy, Dz}, z)) return D3DRMERR_BADVALUE;
  const D3DVECTOR up{Ux, Uy, Uz};
  if (!Normalize(Subtract(up, Scale(z, Dot(up, z))), y)) return D3DRMERR_BADVALUE;
  type_ = Type;
  reference_ = ComPtr<IDirect3DRMFrame>(Ref);
  origin_ = {Ox, Oy, Oz};
  zAxis_ = z;
  yAxis_ = y;
  xAxis_ = Cross(y, z);
  ou_ = Ou, ov_ = Ov, su_ = Su, sv_ = Sv;
  return D3DRM_OK;
}

UV Wrap::Spherical(const D3DVECTOR& Local) const {
  const D3DVALUE x = Dot(Local, xAxis_), y = Dot(Local, yAxis_), z = Dot(Local, zAxis_);
  const D3DVALUE length = Length(Local);
  const D3DVALUE b = length > 0 ? std::acos(std::clamp(z / length, -1.0f, 1.0f)) : 0.0f;
  return {su_ * AngleFromUp(x, y) / kTwoPi - ou_, sv_ * b / kPi - ov_};
}

UV Wrap::Compute(const D3DVECTOR& WorldPosition, const D3DVECTOR& WorldNormal,
                 const Matrix& RefWorld, const Matrix& WorldToRef) const {
  if (type_ == D3DRMWRAP_CHROME) {
    D3DVECTOR view;
    if (!Normalize(Subtract(WorldPosition, RefWorld.Row(3)), view)) view = RefWorld.Row(2);
    const D3DVECTOR reflected = Subtract(view, Scale(WorldNormal, 2 * Dot(view, WorldNormal)));
    return Spherical(TransformDirection(reflected, WorldToRef));
  }
  const D3DVECTOR local = Subtract(TransformPoint(WorldPosition, WorldToRef), origin_);
  if (type_ == D3DRMWRAP_SPHERE) return Spherical(local);
  const D3DVALUE x = Dot(local, xAxis_), y = Dot(local, yAxis_), z = Dot(local, zAxis_);
  if (type_ == D3DRMWRAP_CYLINDER) return {su_ * AngleFromUp(x, y) / kTwoPi - ou_, sv_ * z - ov_};
  return {su_ * x - ou_, sv_ * y - ov_};  // D3DRMWRAP_FLAT
}

HRESULT Wrap::ApplyWith(const Matrix& ObjectToWorld, IDirect3DRMObject* Object) {
  MeshBuilder* builder = dynamic_cast<MeshBuilder*>(Object);
  Mesh* mesh = dynamic_cast<Mesh*>(Object);
  if (!builder && !mesh) return D3DRMERR_BADOBJECT;
  const Matrix refWorld = WorldMatrixOf(reference_.Get());
  Matrix worldToRef, normals;
  if (!InvertAffine(refWorld, worldToRef) || !NormalMatrix(ObjectToWorld, normals))
    return D3DRMERR_BADVALUE;
  const TextureCoordinateRule rule = [&](const D3DVECTOR& Position, const D3DVECTOR& Normal) {
    D3DVECTOR worldNormal;
    if (!Normalize(TransformDirection(Normal, normals), worldNormal)) worldNormal = {};
    return Compute(TransformPoint(Position, ObjectToWorld), worldNormal, refWorld, worldToRef);
  };
  if (builder)
    builder->ComputeTextureCoordinates(rule);
  else
    mesh->ComputeTextureCoordinates(rule);
  return D3DRM_OK;
}

HRESULT Wrap::Apply(IDirect3DRMObject* Object) {
  return ApplyWith(Matrix{}, Object);
}

HRESULT Wrap::ApplyRelative(IDirect3DRMFrame* Frame, IDirect3DRMObject* Object) {
  if (!Frame) return D3DRMERR_BADOBJECT;
  return ApplyWith(WorldMatrixOf(Frame), Object);
}

}  // namespace platform::d3drm
