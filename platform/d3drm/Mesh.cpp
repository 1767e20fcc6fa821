#include "platform/d3drm/Mesh.h"

#include "platform/d3drm/RMMath.h"

namespace platform::d3drm {
namespace {

// Rewrites fixed-size or counted face data into the counted form, checking every face;
// false when the data does not describe FaceCount faces of at least 3 valid indices.
bool ReadFaceData(unsigned VertexCount, unsigned FaceCount, unsigned VerticesPerFace,
                  const unsigned* FaceData, std::vector<unsigned>& Out) {
  Out.clear();
  size_t at = 0;
  for (unsigned face = 0; face < FaceCount; ++face) {
    const unsigned count = VerticesPerFace ? VerticesPerFace : FaceData[at++];
    if (count < 3) return false;
    Out.push_back(count);
    for (unsigned k = 0; k < count; ++k) {
      const unsigned index = FaceData[at++];
      if (index >= VertexCount) return false;
      Out.push_back(index);
    }
  }
  return true;
}

}  // namespace

D3DVECTOR ScaleNormal(const D3DVECTOR& Normal, D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) {
  if (Sx == 0 || Sy == 0 || Sz == 0) return Normal;
  D3DVECTOR scaled = Normal;
  Normalize({Normal.x / Sx, Normal.y / Sy, Normal.z / Sz}, scaled);
  return scaled;
}

Mesh* Mesh::Create() {
  return new Mesh;
}

Mesh* Mesh::From(IDirect3DRMMesh* Itf) {
  return dynamic_cast<Mesh*>(Itf);
}

Mesh::Mesh() : RMObject("Mesh") {}

HRESULT Mesh::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMMesh) return Answer(static_cast<IDirect3DRMMesh*>(this), Object);
  return AnswerCommon(Iid, Object);
}

MeshGroup* Mesh::Find(D3DRMGROUPINDEX Id) {
  if (Id < 0 || static_cast<size_t>(Id) >= groups_.size()) return nullptr;
  return &groups_[static_cast<size_t>(Id)];
}

HRESULT Mesh::Scale(D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) {
  for (auto& group : groups_)
    for (auto& vertex : group.vertices) {
      vertex.position = {vertex.position.x * Sx, vertex.position.y * Sy, vertex.position.z * Sz};
      vertex.normal = ScaleNormal(vertex.normal, Sx, Sy, Sz);
    }
  return D3DRM_OK;
}

HRESULT Mesh::Translate(D3DVALUE Tx, D3DVALUE Ty, D3DVALUE Tz) {
  for (auto& group : groups_)
    for (auto& vertex : group.vertices) vertex.position = Add(vertex.position, {Tx, Ty, Tz});
  return D3DRM_OK;
}

HRESULT Mesh::AddGroup(unsigned VertexCount, unsigned FaceCount, unsigned VerticesPerFace,
                       unsigned* FaceData, D3DRMGROUPINDEX* Id) {
  if (!Id || (FaceCount > 0 && !FaceData)) return D3DRMERR_BADVALUE;
  MeshGroup group;
  if (!ReadFaceData(VertexCount, FaceCount, VerticesPerFace, FaceData, group.faceData))
    return D3DRMERR_BADVALUE;
  group.vertices.resize(VertexCount);
  for (auto& vertex : group.vertices) vertex.color = group.color;
  group.faceCount = FaceCount;
  *Id = AppendGroup(std::move(group));
  return D3DRM_OK;
}

D3DRMGROUPINDEX Mesh::AppendGroup(MeshGroup Group) {
  groups_.push_back(std::move(Group));
  return static_cast<D3DRMGROUPINDEX>(groups_.size() - 1);
}

HRESULT Mesh::SetVertices(D3DRMGROUPINDEX Id, unsigned Index, unsigned Count, D3DRMVERTEX* Values) {
  MeshGroup* group = Find(Id);
  if (!group || (Count > 0 && !Values) || Index > group->vertices.size() ||
      Count > group->vertices.size() - Index)
    return D3DRMERR_BADVALUE;
  for (unsigned i = 0; i < Count; ++i) group->vertices[Index + i] = Values[i];
  return D3DRM_OK;
}

HRESULT Mesh::SetGroupColor(D3DRMGROUPINDEX Id, D3DCOLOR Color) {
  MeshGroup* group = Find(Id);
  if (!group) return D3DRMERR_BADVALUE;
  group->color = Color;
  for (auto& vertex : group->vertices) vertex.color = Color;
  return D3DRM_OK;
}

HRESULT Mesh::SetGroupColorRGB(D3DRMGROUPINDEX Id, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) {
  return SetGroupColor(Id, D3DRGB(Red, Green, Blue));
}

HRESULT Mesh::SetGroupMapping(D3DRMGROUPINDEX Id, D3DRMMAPPING Value) {
  MeshGroup* group = Find(Id);
  if (!group) return D3DRMERR_BADVALUE;
  group->mapping = Value;
  return D3DRM_OK;
}

HRESULT Mesh::SetGroupTexture(D3DRMGROUPINDEX Id, IDirect3DRMTexture* Texture) {
  MeshGroup* group = Find(Id);
  if (!group) return D3DRMERR_BADVALUE;
  group->texture = ComPtr<IDirect3DRMTexture>(Texture);
  return D3DRM_OK;
}

unsigned Mesh::GetGroupCount() {
  return static_cast<unsigned>(groups_.size());
}

HRESULT Mesh::GetGroup(D3DRMGROUPINDEX Id, unsigned* VertexCount, unsigned* FaceCount,
                       unsigned* VerticesPerFace, DWORD* FaceDataSize, unsigned* FaceData) {
  MeshGroup* group = Find(Id);
  if (!group) return D3DRMERR_BADVALUE;
  const auto needed = static_cast<DWORD>(group->faceData.size());
  if (FaceData) {
    if (!FaceDataSize || *FaceDataSize < needed) return D3DRMERR_BADVALUE;
    for (DWORD i = 0; i < needed; ++i) FaceData[i] = group->faceData[i];
  }
  if (VertexCount) *VertexCount = static_cast<unsigned>(group->vertices.size());
  if (FaceCount) *FaceCount = group->faceCount;
  if (VerticesPerFace) *VerticesPerFace = 0;
  if (FaceDataSize) *FaceDataSize = needed;
  return D3DRM_OK;
}

HRESULT Mesh::GetVertices(D3DRMGROUPINDEX Id, DWORD Index, DWORD Count, D3DRMVERTEX* Values) {
  MeshGroup* group = Find(Id);
  if (!group || (Count > 0 && !Values) || Index > group->vertices.size() ||
      Count > group->vertices.size() - Index)
    return D3DRMERR_BADVALUE;
  for (DWORD i = 0; i < Count; ++i) Values[i] = group->vertices[Index + i];
  return D3DRM_OK;
}

D3DCOLOR Mesh::GetGroupColor(D3DRMGROUPINDEX Id) {
  const MeshGroup* group = Find(Id);
  return group ? group->color : 0;
}

D3DRMMAPPING Mesh::GetGroupMapping(D3DRMGROUPINDEX Id) {
  const MeshGroup* group = Find(Id);
  return group ? group->mapping : 0;
}

HRESULT Mesh::GetGroupTexture(D3DRMGROUPINDEX Id, IDirect3DRMTexture** Texture) {
  if (!Texture) return D3DRMERR_BADVALUE;
  *Texture = nullptr;
  MeshGroup* group = Find(Id);
  if (!group) return D3DRMERR_BADVALUE;
  if (group->texture) {
    *Texture = group->texture.Get();
    (*Texture)->AddRef();
  }
  return D3DRM_OK;
}

void Mesh::ComputeTextureCoordinates(const TextureCoordinateRule& Rule) {
  for (auto& group : groups_)
    for (auto& vertex : group.vertices) {
      const UV uv = Rule(vertex.position, vertex.normal);
      vertex.tu = uv.u;
      vertex.tv = uv.v;
    }
}

}  // namespace platform::d3drm
