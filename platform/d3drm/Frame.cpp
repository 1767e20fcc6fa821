#include "platform/d3drm/Frame.h"

#include <algorithm>
#include <utility>

namespace platform::d3drm {
namespace {

// A snapshot list of objects, the form GetChildren, GetLights and GetVisuals answer in.
template <class ArrayInterface, class Element>
class ObjectArray final : public RefCounted<ArrayInterface> {
 public:
  ObjectArray(const IID& Iid, std::vector<ComPtr<Element>> Items)
      : iid_(Iid), items_(std::move(Items)) {}

  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    if (Iid == IID_IUnknown || Iid == iid_)
      return this->Answer(static_cast<ArrayInterface*>(this), Object);
    return this->NoInterface(Object);
  }
  DWORD GetSize() override { return static_cast<DWORD>(items_.size()); }
  HRESULT GetElement(DWORD Index, Element** Out) override {
    if (!Out) return D3DRMERR_BADVALUE;
    *Out = nullptr;
    if (Index >= items_.size()) return D3DRMERR_BADVALUE;
    *Out = items_[Index].Get();
    (*Out)->AddRef();
    return D3DRM_OK;
  }

 private:
  IID iid_;
  std::vector<ComPtr<Element>> items_;
};

// Hands out a new array holding Items (each with an added reference).
template <class ArrayInterface, class Element, class Source>
HRESULT HandOutArray(const IID& Iid, const std::vector<ComPtr<Source>>& Items,
                     ArrayInterface** Out) {
  if (!Out) return D3DRMERR_BADVALUE;
  std::vector<ComPtr<Element>> copy;
  copy.reserve(Items.size());
  for (const auto& item : Items) copy.emplace_back(static_cast<Element*>(item.Get()));
  *Out = new ObjectArray<ArrayInterface, Element>(Iid, std::move(copy));
  return D3DRM_OK;
}

template <class T>
bool Contains(const std::vector<ComPtr<T>>& Items, const T* Item) {
  return std::any_of(Items.begin(), Items.end(), [&](const ComPtr<T>& p) { return p == Item; });
}

// Removes Item from Items; false when it was not there.
template <class T>
bool Remove(std::vector<ComPtr<T>>& Items, const T* Item) {
  auto it = std::find_if(Items.begin(), Items.end(), [&](const ComPtr<T>& p) { return p == Item; });
  if (it == Items.end()) return false;
  Items.erase(it);
  return true;
}

// Matrix taking Ref's coordinates to the parent space of a frame whose parent's world
// matrix is ParentWorld; false when that parent's matrix cannot be inverted.
bool RefToParent(IDirect3DRMFrame* Ref, const Matrix& ParentWorld, Matrix& Out) {
  Matrix parentInverse;
  if (!InvertAffine(ParentWorld, parentInverse)) return false;
  Out = Multiply(WorldMatrixOf(Ref), parentInverse);
  return true;
}

// Matrix taking world coordinates to Ref's; false when Ref's matrix cannot be inverted.
bool WorldToRef(IDirect3DRMFrame* Ref, Matrix& Out) {
  return InvertAffine(WorldMatrixOf(Ref), Out);
}

}  // namespace

Frame* Frame::Create() {
  return new Frame;
}

Frame* Frame::From(IDirect3DRMFrame* Itf) {
  return dynamic_cast<Frame*>(Itf);
}

Frame::Frame() : RMObject("Frame") {}

Frame::~Frame() {
  for (auto& child : children_) child->parent_ = nullptr;
}

HRESULT Frame::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMFrame || Iid == IID_IDirect3DRMFrame2)
    return Answer(static_cast<IDirect3DRMFrame2*>(this), Object);
  return AnswerCommon(Iid, Object);
}

bool Frame::IsSelfOrAncestorOf(const Frame* Other) const {
  for (const Frame* f = Other; f; f = f->parent_)
    if (f == this) return true;
  return false;
}

void Frame::DetachChild(Frame* Child) {
  Child->parent_ = nullptr;
  Remove(children_, Child);  // may give back the last reference: Child is not used after
}

HRESULT Frame::AddChild(IDirect3DRMFrame* Child) {
  Frame* child = From(Child);
  if (!child) return D3DRMERR_BADOBJECT;
  if (child->IsSelfOrAncestorOf(this)) return D3DRMERR_BADVALUE;  // would close a loop
  if (child->parent_ == this) return D3DRM_OK;
  ComPtr<Frame> keep(child);  // alive while it moves between parents
  if (child->parent_) child->parent_->DetachChild(child);
  child->parent_ = this;
  children_.push_back(std::move(keep));
  return D3DRM_OK;
}

HRESULT Frame::AddLight(IDirect3DRMLight* Light) {
  if (!Light) return D3DRMERR_BADOBJECT;
  if (!Contains(lights_, Light)) lights_.emplace_back(Light);
  return D3DRM_OK;
}

HRESULT Frame::AddVisual(IDirect3DRMVisual* Visual) {
  if (!Visual) return D3DRMERR_BADOBJECT;
  // A frame drawn inside itself would hold its own last reference.
  if (Visual == static_cast<IDirect3DRMVisual*>(this)) return D3DRMERR_BADVALUE;
  if (!Contains(visuals_, Visual)) visuals_.emplace_back(Visual);
  return D3DRM_OK;
}

HRESULT Frame::AddTransform(D3DRMCOMBINETYPE Type, D3DRMMATRIX4D Values) {
  if (!Values) return D3DRMERR_BADVALUE;
  const Matrix m = Matrix::FromD3DRM(Values);
  switch (Type) {
    case D3DRMCOMBINE_REPLACE:
      local_ = m;
      return D3DRM_OK;
    case D3DRMCOMBINE_BEFORE:
      local_ = Multiply(m, local_);
      return D3DRM_OK;
    case D3DRMCOMBINE_AFTER:
      local_ = Multiply(local_, m);
      return D3DRM_OK;
  }
  return D3DRMERR_BADVALUE;
}

HRESULT Frame::DeleteChild(IDirect3DRMFrame* Child) {
  Frame* child = From(Child);
  if (!child) return D3DRMERR_BADOBJECT;
  if (child->parent_ != this) return D3DRMERR_NOTFOUND;
  DetachChild(child);
  return D3DRM_OK;
}

HRESULT Frame::DeleteLight(IDirect3DRMLight* Light) {
  if (!Light) return D3DRMERR_BADOBJECT;
  return Remove(lights_, Light) ? D3DRM_OK : D3DRMERR_NOTFOUND;
}

HRESULT Frame::DeleteVisual(IDirect3DRMVisual* Visual) {
  if (!Visual) return D3DRMERR_BADOBJECT;
  return Remove(visuals_, Visual) ? D3DRM_OK : D3DRMERR_NOTFOUND;
}

HRESULT Frame::GetChildren(IDirect3DRMFrameArray** Children) {
  return HandOutArray<IDirect3DRMFrameArray, IDirect3DRMFrame>(IID_IDirect3DRMFrameArray, children_,
                                                               Children);
}

HRESULT Frame::GetLights(IDirect3DRMLightArray** Lights) {
  return HandOutArray<IDirect3DRMLightArray, IDirect3DRMLight>(IID_IDirect3DRMLightArray, lights_,
                                                               Lights);
}

HRESULT Frame::GetVisuals(IDirect3DRMVisualArray** Visuals) {
  return HandOutArray<IDirect3DRMVisualArray, IDirect3DRMVisual>(IID_IDirect3DRMVisualArray,
                                                                 visuals_, Visuals);
}

HRESULT Frame::GetParent(IDirect3DRMFrame** Parent) {
  if (!Parent) return D3DRMERR_BADVALUE;
  *Parent = parent_;
  if (parent_) parent_->AddRef();
  return D3DRM_OK;
}

HRESULT Frame::GetScene(IDirect3DRMFrame** Scene) {
  if (!Scene) return D3DRMERR_BADVALUE;
  Frame* root = this;
  while (root->parent_) root = root->parent_;
  root->AddRef();
  *Scene = root;
  return D3DRM_OK;
}

Matrix Frame::WorldMatrix() const {
  Matrix world = local_;
  for (const Frame* up = parent_; up; up = up->parent_) world = Multiply(world, up->local_);
  return world;
}

Matrix Frame::ParentWorld() const {
  return parent_ ? parent_->WorldMatrix() : Matrix{};
}

HRESULT Frame::GetPosition(IDirect3DRMFrame* Ref, D3DVECTOR* Position) {
  Matrix toRef;
  if (!Position || !WorldToRef(Ref, toRef)) return D3DRMERR_BADVALUE;
  *Position = TransformPoint(WorldMatrix().Row(3), toRef);
  return D3DRM_OK;
}

HRESULT Frame::GetOrientation(IDirect3DRMFrame* Ref, D3DVECTOR* Direction, D3DVECTOR* Up) {
  Matrix toRef;
  if (!Direction || !Up || !WorldToRef(Ref, toRef)) return D3DRMERR_BADVALUE;
  const Matrix world = WorldMatrix();
  const D3DVECTOR z = TransformDirection(world.Row(2), toRef);
  const D3DVECTOR y = TransformDirection(world.Row(1), toRef);
  if (!Normalize(z, *Direction) || !Normalize(y, *Up)) return D3DRMERR_BADVALUE;
  return D3DRM_OK;
}

HRESULT Frame::GetRotation(IDirect3DRMFrame* Ref, D3DVECTOR* Axis, D3DVALUE* Theta) {
  Matrix toRef;
  if (!Axis || !Theta || !WorldToRef(Ref, toRef)) return D3DRMERR_BADVALUE;
  const D3DVECTOR world = TransformDirection(rotationAxis_, ParentWorld());
  if (!Normalize(TransformDirection(world, toRef), *Axis)) return D3DRMERR_BADVALUE;
  *Theta = rotationTheta_;
  return D3DRM_OK;
}

HRESULT Frame::GetTransform(D3DRMMATRIX4D Values) {
  if (!Values) return D3DRMERR_BADVALUE;
  local_.ToD3DRM(Values);
  return D3DRM_OK;
}

HRESULT Frame::SetPosition(IDirect3DRMFrame* Ref, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) {
  Matrix refToParent;
  if (!RefToParent(Ref, ParentWorld(), refToParent)) return D3DRMERR_BADVALUE;
  local_.SetRow(3, TransformPoint({X, Y, Z}, refToParent));
  return D3DRM_OK;
}

HRESULT Frame::SetOrientation(IDirect3DRMFrame* Ref, D3DVALUE Dx, D3DVALUE Dy, D3DVALUE Dz,
                              D3DVALUE Ux, D3DVALUE Uy, D3DVALUE Uz) {
  D3DVECTOR z, y;
  if (!Normalize({Dx, Dy, Dz}, z)) return D3DRMERR_BADVALUE;
  const D3DVECTOR up{Ux, Uy, Uz};
  // Up made perpendicular to the direction; nothing is left of it when they are parallel.
  if (!Normalize(Subtract(up, Scale(z, Dot(up, z))), y)) return D3DRMERR_BADVALUE;
  Matrix refToParent;
  if (!RefToParent(Ref, ParentWorld(), refToParent)) return D3DRMERR_BADVALUE;
  D3DVECTOR zParent, yParent, xParent;
  if (!Normalize(TransformDirection(z, refToParent), zParent) ||
      !Normalize(TransformDirection(y, refToParent), yParent) ||
      !Normalize(Cross(yParent, zParent), xParent))
    return D3DRMERR_BADVALUE;
  local_.SetRow(0, xParent);
  local_.SetRow(1, Cross(zParent, xParent));  // exactly perpendicular even after a skew
  local_.SetRow(2, zParent);
  return D3DRM_OK;
}

HRESULT Frame::SetRotation(IDirect3DRMFrame* Ref, D3DVALUE X, D3DVALUE Y, D3DVALUE Z,
                           D3DVALUE Theta) {
  Matrix refToParent;
  if (!RefToParent(Ref, ParentWorld(), refToParent)) return D3DRMERR_BADVALUE;
  D3DVECTOR axis;
  if (!Normalize(TransformDirection({X, Y, Z}, refToParent), axis)) {
    if (Theta != 0) return D3DRMERR_BADVALUE;  // a turn needs an axis
    axis = rotationAxis_;
  }
  rotationAxis_ = axis;
  rotationTheta_ = Theta;
  return D3DRM_OK;
}

void Frame::Turn(D3DVALUE Delta) {
  if (rotationTheta_ != 0) {
    // About the frame's own origin: the axes turn, the position stays.
    Matrix turned = Multiply(local_, RotationAboutAxis(rotationAxis_, rotationTheta_ * Delta));
    turned.SetRow(3, local_.Row(3));
    local_ = turned;
  }
  for (auto& child : children_) child->Turn(Delta);
}

HRESULT Frame::Move(D3DVALUE Delta) {
  Turn(Delta);
  return D3DRM_OK;
}

HRESULT Frame::Transform(D3DVECTOR* Destination, D3DVECTOR* Source) {
  if (!Destination || !Source) return D3DRMERR_BADVALUE;
  *Destination = TransformPoint(*Source, WorldMatrix());
  return D3DRM_OK;
}

HRESULT Frame::InverseTransform(D3DVECTOR* Destination, D3DVECTOR* Source) {
  Matrix inverse;
  if (!Destination || !Source || !InvertAffine(WorldMatrix(), inverse)) return D3DRMERR_BADVALUE;
  *Destination = TransformPoint(*Source, inverse);
  return D3DRM_OK;
}

Matrix WorldMatrixOf(IDirect3DRMFrame* Frame) {
  if (!Frame) return Matrix{};
  if (auto* own = Frame::From(Frame)) return own->WorldMatrix();
  // Another implementation: climb through the interface. The bound stops a broken parent
  // chain that loops.
  Matrix world;
  ComPtr<IDirect3DRMFrame> current(Frame);
  for (int depth = 0; current && depth < 4096; ++depth) {
    D3DRMMATRIX4D local;
    if (FAILED(current->GetTransform(local))) break;
    world = Multiply(world, Matrix::FromD3DRM(local));
    ComPtr<IDirect3DRMFrame> parent;
    if (FAILED(current->GetParent(parent.Put()))) break;
    current = std::move(parent);
  }
  return world;
}

HRESULT GetWorldTransform(IDirect3DRMFrame* Frame, D3DRMMATRIX4D World) {
  if (!World) return D3DRMERR_BADVALUE;
  WorldMatrixOf(Frame).ToD3DRM(World);
  return D3DRM_OK;
}

}  // namespace platform::d3drm
