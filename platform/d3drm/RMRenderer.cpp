#include "platform/d3drm/RMRenderer.h"

#include <algorithm>

#include "platform/d3drm/Light.h"
#include "platform/d3drm/Mesh.h"

namespace platform::d3drm {
namespace {

// A state value no caller sets: on a device that does not report its states, the first
// group of a Draw always sets them.
constexpr DWORD kUnknownState = 0xFFFFFFFFu;

D3DVALUE Unit(D3DVALUE Value) {
  return std::clamp(Value, 0.0f, 1.0f);
}

DWORD ToByte(D3DVALUE Value) {
  return static_cast<DWORD>(Unit(Value) * 255.0f + 0.5f);
}

D3DVALUE ChannelOf(D3DCOLOR Color, int Shift) {
  return static_cast<D3DVALUE>((Color >> Shift) & 0xFFu) / 255.0f;
}

D3DVECTOR Apply3x3(const D3DVECTOR& V, const Matrix& M) {
  return {V.x * M.m[0][0] + V.y * M.m[1][0] + V.z * M.m[2][0],
          V.x * M.m[0][1] + V.y * M.m[1][1] + V.z * M.m[2][1],
          V.x * M.m[0][2] + V.y * M.m[1][2] + V.z * M.m[2][2]};
}

D3DVECTOR ApplyPoint(const D3DVECTOR& P, const Matrix& M) {
  const D3DVECTOR turned = Apply3x3(P, M);
  return {turned.x + M.m[3][0], turned.y + M.m[3][1], turned.z + M.m[3][2]};
}

// The matrix that takes normals of a model with world matrix World to the world: the transpose
// of the inverse of its 3 × 3 part. False for a flattened (singular) frame.
bool NormalMatrix(const Matrix& World, Matrix& Out) {
  Matrix inverse;
  if (!InvertAffine(World, inverse)) return false;
  Out = Matrix{};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) Out.m[row][column] = inverse.m[column][row];
  return true;
}

struct LightColour {
  D3DVALUE red, green, blue;
};

// Lights of this layer keep channels outside [0, 1]; others give their clamped colour.
LightColour ColourOf(IDirect3DRMLight* Itf) {
  if (const Light* light = Light::From(Itf)) return {light->Red(), light->Green(), light->Blue()};
  const D3DCOLOR color = Itf->GetColor();
  return {ChannelOf(color, 16), ChannelOf(color, 8), ChannelOf(color, 0)};
}

}  // namespace

HRESULT RMRenderer::Draw(IDirect3DDevice2* Device, const std::vector<RenderItem>& Items,
                         const std::vector<RenderLight>& Lights, const Matrix& View,
                         const ViewVolume& Volume) {
  counts_ = {};
  device_ = Device;
  volume_ = Volume;
  centreX_ = Volume.x + Volume.width / 2;
  centreY_ = Volume.y + Volume.height / 2;
  scale_ = Volume.width / 2 / Volume.field;
  depthScale_ = Volume.back / (Volume.back - Volume.front);
  haveSavedTextureHandle_ =
      SUCCEEDED(Device->GetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, &savedTextureHandle_));
  haveSavedPerspective_ =
      SUCCEEDED(Device->GetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, &savedPerspective_));
  textureHandle_ = haveSavedTextureHandle_ ? savedTextureHandle_ : kUnknownState;
  perspective_ = haveSavedPerspective_ ? savedPerspective_ : kUnknownState;
  GatherLights(Lights);

  HRESULT result = D3DRM_OK;
  for (const RenderItem& item : Items) {
    const Mesh* mesh = dynamic_cast<const Mesh*>(item.visual);
    if (!mesh) {
      ++counts_.skippedVisuals;
      continue;
    }
    ItemTransform transform;
    if (!NormalMatrix(item.world, transform.normalToWorld)) continue;  // flat: nothing to see
    transform.toCamera = Multiply(item.world, View);
    ++counts_.meshes;
    for (const MeshGroup& group : mesh->Groups()) {
      result = DrawGroup(group, transform);
      if (FAILED(result)) break;
    }
    if (FAILED(result)) break;
  }
  RestoreStates();
  textures_.EndFrame();
  device_ = nullptr;
  return result;
}

void RMRenderer::GatherLights(const std::vector<RenderLight>& Lights) {
  ambient_[0] = ambient_[1] = ambient_[2] = 0;
  directionals_.clear();
  for (const RenderLight& entry : Lights) {
    const LightColour colour = ColourOf(entry.light);
    switch (entry.light->GetType()) {
      case D3DRMLIGHT_AMBIENT:
        ambient_[0] += colour.red;
        ambient_[1] += colour.green;
        ambient_[2] += colour.blue;
        break;
      case D3DRMLIGHT_DIRECTIONAL: {
        D3DVECTOR direction;
        if (!Normalize(entry.world.Row(2), direction)) break;
        directionals_.push_back({Scale(direction, -1.0f), colour.red, colour.green, colour.blue});
        break;
      }
      default:
        ++counts_.unlitLights;
        break;
    }
  }
}

void RMRenderer::LightVertex(const D3DVECTOR& WorldNormal, D3DCOLOR GroupColor,
                             ClipVertex& Out) const {
  D3DVALUE light[3] = {ambient_[0], ambient_[1], ambient_[2]};
  D3DVECTOR normal;
  if (Normalize(WorldNormal, normal)) {
    for (const Directional& d : directionals_) {
      const D3DVALUE facing = Dot(normal, d.towardLight);
      if (facing <= 0) continue;
      light[0] += d.red * facing;
      light[1] += d.green * facing;
      light[2] += d.blue * facing;
    }
  }
  Out.red = Unit(ChannelOf(GroupColor, 16) * light[0]);
  Out.green = Unit(ChannelOf(GroupColor, 8) * light[1]);
  Out.blue = Unit(ChannelOf(GroupColor, 0) * light[2]);
  Out.alpha = ChannelOf(GroupColor, 24);
}

D3DTLVERTEX RMRenderer::Project(const ClipVertex& Vertex) const {
  const D3DVALUE inverseZ = 1.0f / Vertex.position.z;
  D3DTLVERTEX out;
  out.sx = centreX_ + scale_ * Vertex.position.x * inverseZ;
  out.sy = centreY_ - scale_ * Vertex.position.y * inverseZ;
  out.sz = depthScale_ * (1.0f - volume_.front * inverseZ);
  out.rhw = inverseZ;
  out.color = (ToByte(Vertex.alpha) << 24) | (ToByte(Vertex.red) << 16) |
              (ToByte(Vertex.green) << 8) | ToByte(Vertex.blue);
  out.specular = 0xFF000000u;
  out.tu = Vertex.tu;
  out.tv = Vertex.tv;
  return out;
}

void RMRenderer::PrepareVertices(const MeshGroup& Group, const ItemTransform& Transform) {
  const size_t count = Group.vertices.size();
  if (camera_.size() < count) {
    camera_.resize(count);
    side_.resize(count);
    screen_.resize(count);
    slot_.resize(count);
    slotStamp_.resize(count);
  }
  for (size_t i = 0; i < count; ++i) {
    const D3DRMVERTEX& vertex = Group.vertices[i];
    ClipVertex& out = camera_[i];
    out.position = ApplyPoint(vertex.position, Transform.toCamera);
    out.tu = vertex.tu;
    out.tv = vertex.tv;
    LightVertex(Apply3x3(vertex.normal, Transform.normalToWorld), Group.color, out);
    const D3DVALUE z = out.position.z;
    side_[i] = z < volume_.front ? -1 : (z > volume_.back ? 1 : 0);
    if (side_[i] == 0) screen_[i] = Project(out);
  }
}

HRESULT RMRenderer::DrawGroup(const MeshGroup& Group, const ItemTransform& Transform) {
  if (Group.faceCount == 0 || Group.vertices.empty()) return D3DRM_OK;
  PrepareVertices(Group, Transform);
  HRESULT result = SetGroupStates(Group);
  NextBatch();
  const std::vector<unsigned>& faces = Group.faceData;
  for (size_t at = 0; at < faces.size() && SUCCEEDED(result);) {
    const unsigned count = faces[at];
    const unsigned* corners = &faces[at + 1];
    at += 1 + count;
    bool allBefore = true, allBeyond = true, allInside = true;
    for (unsigned k = 0; k < count; ++k) {
      const std::int8_t side = side_[corners[k]];
      allBefore = allBefore && side < 0;
      allBeyond = allBeyond && side > 0;
      allInside = allInside && side == 0;
    }
    if (allBefore || allBeyond || count > kMaxBatchVertices) {
      ++counts_.droppedFaces;
    } else if (allInside) {
      ++counts_.faces;
      result = AddWholeFace(corners, count);
    } else {
      ++counts_.clippedFaces;
      result = AddClippedFace(corners, count);
    }
  }
  if (SUCCEEDED(result)) result = Flush();
  return result;
}

HRESULT RMRenderer::SetGroupStates(const MeshGroup& Group) {
  const D3DTEXTUREHANDLE handle = textures_.Handle(device_, Group.texture.Get());
  const DWORD perspective = (Group.mapping & D3DRMMAP_PERSPCORRECT) ? 1 : 0;
  const HRESULT result = SetState(D3DRENDERSTATE_TEXTUREHANDLE, handle, textureHandle_);
  if (FAILED(result)) return result;
  return SetState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, perspective, perspective_);
}

HRESULT RMRenderer::SetState(D3DRENDERSTATETYPE State, DWORD Value, DWORD& Current) {
  if (Current == Value) return D3DRM_OK;
  const HRESULT result = device_->SetRenderState(State, Value);
  if (SUCCEEDED(result)) Current = Value;
  return result;
}

void RMRenderer::RestoreStates() {
  if (haveSavedTextureHandle_ && textureHandle_ != savedTextureHandle_)
    device_->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, savedTextureHandle_);
  if (haveSavedPerspective_ && perspective_ != savedPerspective_)
    device_->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, savedPerspective_);
}

HRESULT RMRenderer::AddWholeFace(const unsigned* Corners, unsigned Count) {
  const HRESULT result = MakeRoom(Count);
  if (FAILED(result)) return result;
  fan_.clear();
  for (unsigned k = 0; k < Count; ++k) fan_.push_back(BatchSlot(Corners[k]));
  AddFan(fan_.data(), fan_.size());
  return D3DRM_OK;
}

HRESULT RMRenderer::AddClippedFace(const unsigned* Corners, unsigned Count) {
  polygon_.clear();
  for (unsigned k = 0; k < Count; ++k) polygon_.push_back(camera_[Corners[k]]);
  const std::vector<ClipVertex>& cut =
      clipper_.Clip(polygon_.data(), polygon_.size(), volume_.front, volume_.back);
  if (cut.empty()) return D3DRM_OK;
  const HRESULT result = MakeRoom(cut.size());
  if (FAILED(result)) return result;
  fan_.clear();
  for (const ClipVertex& vertex : cut) fan_.push_back(AppendToBatch(Project(vertex)));
  AddFan(fan_.data(), fan_.size());
  return D3DRM_OK;
}

HRESULT RMRenderer::MakeRoom(size_t Count) {
  if (batchVertices_.size() + Count <= kMaxBatchVertices) return D3DRM_OK;
  const HRESULT result = Flush();
  NextBatch();
  return result;
}

WORD RMRenderer::BatchSlot(unsigned Vertex) {
  if (slotStamp_[Vertex] != batchStamp_) {
    slot_[Vertex] = AppendToBatch(screen_[Vertex]);
    slotStamp_[Vertex] = batchStamp_;
  }
  return slot_[Vertex];
}

WORD RMRenderer::AppendToBatch(const D3DTLVERTEX& Vertex) {
  if (batchVertices_.empty()) {
    batchLeft_ = batchRight_ = Vertex.sx;
    batchTop_ = batchBottom_ = Vertex.sy;
  } else {
    batchLeft_ = std::min(batchLeft_, Vertex.sx);
    batchRight_ = std::max(batchRight_, Vertex.sx);
    batchTop_ = std::min(batchTop_, Vertex.sy);
    batchBottom_ = std::max(batchBottom_, Vertex.sy);
  }
  batchVertices_.push_back(Vertex);
  return static_cast<WORD>(batchVertices_.size() - 1);
}

void RMRenderer::AddFan(const WORD* Slots, size_t Count) {
  for (size_t k = 1; k + 1 < Count; ++k) {
    batchIndices_.push_back(Slots[0]);
    batchIndices_.push_back(Slots[k]);
    batchIndices_.push_back(Slots[k + 1]);
  }
  counts_.triangles += static_cast<unsigned>(Count - 2);
}

void RMRenderer::NextBatch() {
  batchVertices_.clear();
  batchIndices_.clear();
  if (++batchStamp_ == 0) {  // the stamp wrapped: no old stamp may match the new one
    std::fill(slotStamp_.begin(), slotStamp_.end(), 0u);
    batchStamp_ = 1;
  }
}

HRESULT RMRenderer::Flush() {
  if (batchIndices_.empty()) return D3DRM_OK;
  const bool inside = batchLeft_ >= volume_.x && batchTop_ >= volume_.y &&
                      batchRight_ <= volume_.x + volume_.width &&
                      batchBottom_ <= volume_.y + volume_.height;
  ++counts_.drawCalls;
  const HRESULT result = device_->DrawIndexedPrimitive(
      D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, batchVertices_.data(),
      static_cast<DWORD>(batchVertices_.size()), batchIndices_.data(),
      static_cast<DWORD>(batchIndices_.size()), D3DDP_WAIT | (inside ? D3DDP_DONOTCLIP : 0));
  batchVertices_.clear();
  batchIndices_.clear();
  return result;
}

}  // namespace platform::d3drm
