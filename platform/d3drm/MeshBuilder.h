// MeshBuilder: a retained-mode mesh builder (IDirect3DRMMeshBuilder, IDirect3DRMMeshBuilder2).
//
// It holds vertices, normals and polygonal faces; each face corner names a vertex and a
// normal, each vertex has one texture coordinate pair, each face a colour and a texture.
//
// Load reads a mesh of a text ".x" file (XFileReader.h): the face colours come from the
// materials' face colours (white without a material list) and the face textures from the
// materials' TextureFilename, loaded as BMP files relative to the mesh file's folder (a
// backslash in the name is read as a folder separator) unless a callback supplies them.
// Without MeshNormals, each vertex gets the normal of the faces around it (the normalised
// sum of their area-weighted normals; a face's front is the side from which its vertices
// run clockwise), and face corners use their vertex's normal. Without MeshTextureCoords the
// coordinates are (0, 0). A failed Load leaves the builder as it was and sets LastError().
//
// CreateMesh makes a Mesh holding a copy: one group per distinct (colour, texture) pair, in
// the order of the faces that first use them; each group vertex is one (vertex, normal)
// pair with its texture coordinates and the group colour; groups are mapped with
// D3DRMMAP_PERSPCORRECT when SetPerspective(TRUE) was called before.
#pragma once

#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/d3drm/Mesh.h"
#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

struct XFileMesh;

struct BuilderFace {
  std::vector<DWORD> vertexIndices;
  std::vector<DWORD> normalIndices;  // one per vertex index
  D3DCOLOR color = 0xFFFFFFFF;
  ComPtr<IDirect3DRMTexture> texture;
};

class MeshBuilder final : public RMObject<IDirect3DRMMeshBuilder2> {
 public:
  // An empty mesh builder; the caller owns its one reference.
  static MeshBuilder* Create();
  static MeshBuilder* From(IDirect3DRMMeshBuilder* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT Load(LPVOID FileName, LPVOID ObjectId, D3DRMLOADOPTIONS Options,
               D3DRMLOADTEXTURECALLBACK Callback, LPVOID Arg) override;
  HRESULT Scale(D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) override;
  HRESULT Translate(D3DVALUE Tx, D3DVALUE Ty, D3DVALUE Tz) override;
  HRESULT SetColorRGB(D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) override;
  HRESULT SetColor(D3DCOLOR Color) override;
  HRESULT SetTexture(IDirect3DRMTexture* Texture) override;
  HRESULT SetPerspective(BOOL Perspective) override;
  BOOL GetPerspective() override { return perspective_ ? TRUE : FALSE; }
  HRESULT SetTextureCoordinates(DWORD Index, D3DVALUE U, D3DVALUE V) override;
  HRESULT GetTextureCoordinates(DWORD Index, D3DVALUE* U, D3DVALUE* V) override;
  HRESULT SetVertex(DWORD Index, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) override;
  HRESULT SetNormal(DWORD Index, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) override;
  HRESULT GetVertices(DWORD* VertexCount, D3DVECTOR* Vertices, DWORD* NormalCount,
                      D3DVECTOR* Normals, DWORD* FaceDataSize, DWORD* FaceData) override;
  int GetVertexCount() override { return static_cast<int>(vertices_.size()); }
  int GetFaceCount() override { return static_cast<int>(faces_.size()); }
  HRESULT CreateMesh(IDirect3DRMMesh** Mesh) override;
  const char* LastError() override { return lastError_.c_str(); }

  // Read access, for the wraps.
  const std::vector<D3DVECTOR>& Vertices() const { return vertices_; }
  const std::vector<D3DVECTOR>& Normals() const { return normals_; }
  const std::vector<BuilderFace>& Faces() const { return faces_; }
  const std::vector<UV>& TextureCoordinates() const { return coordinates_; }
  // For the wraps: sets every vertex's coordinates by Rule, each vertex taken with the mean
  // of the normals its face corners use.
  void ComputeTextureCoordinates(const TextureCoordinateRule& Rule);

 private:
  MeshBuilder();

  HRESULT Fail(HRESULT Result, std::string Message);
  // Fills the builder from a read mesh, with the textures its materials name; the result
  // is D3DRM_OK or a failure whose message was set.
  HRESULT Adopt(XFileMesh& Read, const std::string& FileName, D3DRMLOADTEXTURECALLBACK Callback,
                LPVOID Arg);
  std::vector<D3DVECTOR> VertexNormals() const;

  std::vector<D3DVECTOR> vertices_;
  std::vector<D3DVECTOR> normals_;
  std::vector<UV> coordinates_;  // one per vertex
  std::vector<BuilderFace> faces_;
  bool perspective_ = false;
  std::string lastError_;
};

}  // namespace platform::d3drm
