// Mesh: a retained-mode mesh (IDirect3DRMMesh), the visual a mesh builder creates.
//
// A mesh is a list of groups. Each group has its own vertices (D3DRMVERTEX: position,
// normal, tu, tv, color), its faces as polygons indexing those vertices, one colour, one
// texture (or none) and its mapping flags (D3DRMMAP_PERSPCORRECT when the builder had
// SetPerspective(TRUE)). A mesh owns a copy of its geometry and a reference to each texture.
//
// Reading a mesh (for drawing): GetGroupCount(); per group GetGroup() for the counts and the
// faces (each face: its vertex count n, then n indices into the group's vertices),
// GetVertices() for the vertices, GetGroupColor(), GetGroupTexture() and
// GetGroupMapping(). Within this layer Mesh::Groups() gives the same data directly.
#pragma once

#include <functional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

struct UV {
  D3DVALUE u = 0;
  D3DVALUE v = 0;
};

// Texture coordinates for a vertex with this position and unit normal (model coordinates):
// what a wrap computes.
using TextureCoordinateRule = std::function<UV(const D3DVECTOR& Position, const D3DVECTOR& Normal)>;

struct MeshGroup {
  std::vector<D3DRMVERTEX> vertices;
  std::vector<unsigned> faceData;  // per face: its vertex count n, then n vertex indices
  unsigned faceCount = 0;
  D3DCOLOR color = 0xFFFFFFFF;
  D3DRMMAPPING mapping = 0;
  ComPtr<IDirect3DRMTexture> texture;
};

class Mesh final : public RMObject<IDirect3DRMMesh> {
 public:
  // An empty mesh; the caller owns its one reference.
  static Mesh* Create();
  static Mesh* From(IDirect3DRMMesh* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT Scale(D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) override;
  HRESULT Translate(D3DVALUE Tx, D3DVALUE Ty, D3DVALUE Tz) override;
  HRESULT AddGroup(unsigned VertexCount, unsigned FaceCount, unsigned VerticesPerFace,
                   unsigned* FaceData, D3DRMGROUPINDEX* Id) override;
  HRESULT SetVertices(D3DRMGROUPINDEX Id, unsigned Index, unsigned Count,
                      D3DRMVERTEX* Values) override;
  HRESULT SetGroupColor(D3DRMGROUPINDEX Id, D3DCOLOR Color) override;
  HRESULT SetGroupColorRGB(D3DRMGROUPINDEX Id, D3DVALUE Red, D3DVALUE Green,
                           D3DVALUE Blue) override;
  HRESULT SetGroupMapping(D3DRMGROUPINDEX Id, D3DRMMAPPING Value) override;
  HRESULT SetGroupTexture(D3DRMGROUPINDEX Id, IDirect3DRMTexture* Texture) override;
  unsigned GetGroupCount() override;
  HRESULT GetGroup(D3DRMGROUPINDEX Id, unsigned* VertexCount, unsigned* FaceCount,
                   unsigned* VerticesPerFace, DWORD* FaceDataSize, unsigned* FaceData) override;
  HRESULT GetVertices(D3DRMGROUPINDEX Id, DWORD Index, DWORD Count, D3DRMVERTEX* Values) override;
  D3DCOLOR GetGroupColor(D3DRMGROUPINDEX Id) override;
  D3DRMMAPPING GetGroupMapping(D3DRMGROUPINDEX Id) override;
  HRESULT GetGroupTexture(D3DRMGROUPINDEX Id, IDirect3DRMTexture** Texture) override;

  // For the mesh builder: adds a finished group (faces already checked) and answers its id.
  D3DRMGROUPINDEX AppendGroup(MeshGroup Group);
  const std::vector<MeshGroup>& Groups() const { return groups_; }
  // For the wraps: sets every vertex's tu, tv by Rule.
  void ComputeTextureCoordinates(const TextureCoordinateRule& Rule);

 private:
  Mesh();
  MeshGroup* Find(D3DRMGROUPINDEX Id);

  std::vector<MeshGroup> groups_;
};

// Scales a normal for a model scaled by (Sx, Sy, Sz): by the inverse scale, then back to
// length 1, so that it stays perpendicular to the scaled surface. A zero scale leaves it.
D3DVECTOR ScaleNormal(const D3DVECTOR& Normal, D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz);

}  // namespace platform::d3drm
