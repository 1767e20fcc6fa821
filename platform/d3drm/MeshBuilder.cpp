#include "platform/d3drm/MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <new>
#include <utility>

#include "platform/d3drm/RMMath.h"
#include "platform/d3drm/Texture.h"
#include "platform/d3drm/XFileReader.h"

namespace platform::d3drm {
namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DRMLOADOPTIONS kSourceOptions = 0x0F;  // FROMFILE (0) ... FROMURL

D3DCOLOR FaceColor(const XFileMaterial& Material) {
  const D3DVALUE* c = Material.faceColor;
  return D3DRGBA(c[0], c[1], c[2], c[3]);
}

// Where a texture file named in a mesh file is looked for: beside the mesh file, then as
// given (relative to the working directory). "" when it is in neither place.
std::string FindTextureFile(const std::string& Name, const std::string& MeshFile,
                            std::string& Error) {
  std::string relative = Name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const std::string beside =
      (std::filesystem::path(MeshFile).parent_path() / std::filesystem::path(relative)).string();
  std::error_code ignored;
  for (const std::string& candidate : {beside, relative})
    if (std::filesystem::is_regular_file(candidate, ignored)) return candidate;
  Error = "not found (looked for \"" + beside + "\" and \"" + relative + "\")";
  return "";
}

// The texture a material names: from Callback when there is one, else read from its file.
HRESULT ObtainTexture(const std::string& Name, const std::string& MeshFile,
                      D3DRMLOADTEXTURECALLBACK Callback, LPVOID Arg,
                      ComPtr<IDirect3DRMTexture>& Out, std::string& Error) {
  if (Callback) {
    std::vector<char> name(Name.begin(), Name.end());
    name.push_back('\0');
    IDirect3DRMTexture* texture = nullptr;
    const HRESULT result = Callback(name.data(), Arg, &texture);
    Out.Attach(texture);
    if (FAILED(result) || !texture) {
      Error = "the texture callback gave no texture";
      return FAILED(result) ? result : D3DRMERR_NOTFOUND;
    }
    return D3DRM_OK;
  }
  const std::string file = FindTextureFile(Name, MeshFile, Error);
  if (file.empty()) return D3DRMERR_FILENOTFOUND;
  Texture* texture = nullptr;
  const HRESULT result = Texture::LoadBMP(file, &texture, Error);
  Out.Attach(texture);
  return result;
}

// A vector in double, for the generated normals: the differences and cross products of
// float coordinates near the float limit overflow float (1e30 squared is 1e60), never double.
struct WideVector {
  double x = 0, y = 0, z = 0;
};

WideVector Widen(const D3DVECTOR& V) {
  return {V.x, V.y, V.z};
}

// A face's area-weighted normal (twice its area long), facing the side from which its
// vertices run clockwise in left-handed axes.
WideVector AreaNormal(const std::vector<D3DVECTOR>& Vertices, const std::vector<DWORD>& Corners) {
  WideVector sum;
  const WideVector first = Widen(Vertices[Corners[0]]);
  for (size_t k = 1; k + 1 < Corners.size(); ++k) {
    const WideVector b = Widen(Vertices[Corners[k]]), c = Widen(Vertices[Corners[k + 1]]);
    const WideVector u{b.x - first.x, b.y - first.y, b.z - first.z};
    const WideVector v{c.x - first.x, c.y - first.y, c.z - first.z};
    sum.x += u.y * v.z - u.z * v.y;
    sum.y += u.z * v.x - u.x * v.z;
    sum.z += u.x * v.y - u.y * v.x;
  }
  return sum;
}

// Per-vertex normals for a mesh that came without any: finite and of unit length for any
// finite coordinates; (0, 0, 0) for a vertex of no face or only of faces without area.
std::vector<D3DVECTOR> GenerateNormals(const std::vector<D3DVECTOR>& Vertices,
                                       const std::vector<XFileFace>& Faces) {
  std::vector<WideVector> sums(Vertices.size());
  for (const auto& face : Faces) {
    const WideVector area = AreaNormal(Vertices, face.vertexIndices);
    for (DWORD vertex : face.vertexIndices) {
      sums[vertex].x += area.x;
      sums[vertex].y += area.y;
      sums[vertex].z += area.z;
    }
  }
  std::vector<D3DVECTOR> normals(Vertices.size());
  for (size_t i = 0; i < sums.size(); ++i) {
    const WideVector& n = sums[i];
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0 && std::isfinite(length))
      normals[i] = {static_cast<D3DVALUE>(n.x / length), static_cast<D3DVALUE>(n.y / length),
                    static_cast<D3DVALUE>(n.z / length)};
  }
  return normals;
}

// One group of the mesh being built, with the (vertex, normal) pairs it already has.
struct GroupInProgress {
  MeshGroup group;
  IDirect3DRMTexture* texture = nullptr;
  std::map<std::pair<DWORD, DWORD>, unsigned> corners;
};

}  // namespace

MeshBuilder* MeshBuilder::Create() {
  return new MeshBuilder;
}

MeshBuilder* MeshBuilder::From(IDirect3DRMMeshBuilder* Itf) {
  return dynamic_cast<MeshBuilder*>(Itf);
}

MeshBuilder::MeshBuilder() : RMObject("MeshBuilder") {}

HRESULT MeshBuilder::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMMeshBuilder || Iid == IID_IDirect3DRMMeshBuilder2)
    return Answer(static_cast<IDirect3DRMMeshBuilder2*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT MeshBuilder::Fail(HRESULT Result, std::string Message) {
  lastError_ = std::move(Message);
  return Result;
}

HRESULT MeshBuilder::Load(LPVOID FileName, LPVOID ObjectId, D3DRMLOADOPTIONS Options,
                          D3DRMLOADTEXTURECALLBACK Callback, LPVOID Arg) {
  if (!FileName) return Fail(D3DRMERR_BADVALUE, "Load: no file name given");
  const std::string file(static_cast<const char*>(FileName));
  if (Options & kSourceOptions)
    return Fail(D3DRMERR_BADVALUE, file + ": only D3DRMLOAD_FROMFILE is supported");
  XFileMeshChoice choice;
  if (Options & D3DRMLOAD_BYGUID)
    return Fail(D3DRMERR_BADVALUE, file + ": choosing a mesh by GUID is not supported");
  if (Options & (D3DRMLOAD_BYNAME | D3DRMLOAD_BYPOSITION)) {
    if (!ObjectId) return Fail(D3DRMERR_BADVALUE, file + ": no mesh name or position given");
    if (Options & D3DRMLOAD_BYNAME) {
      choice.kind = XFileMeshChoice::Kind::ByName;
      choice.name = static_cast<const char*>(ObjectId);
    } else {
      choice.kind = XFileMeshChoice::Kind::ByPosition;
      choice.position = *static_cast<const DWORD*>(ObjectId);
    }
  }
  try {
    XFileMesh read = ReadXFileMesh(file, choice);
    return Adopt(read, file, Callback, Arg);
  } catch (const XFileError& error) {
    return Fail(error.Result(), error.what());
  } catch (const std::bad_alloc&) {
    return Fail(D3DRMERR_BADALLOC, file + ": out of memory");
  }
}

HRESULT MeshBuilder::Adopt(XFileMesh& Read, const std::string& FileName,
                           D3DRMLOADTEXTURECALLBACK Callback, LPVOID Arg) {
  // Textures first: the builder changes only once everything is in hand.
  std::map<std::string, ComPtr<IDirect3DRMTexture>> byName;
  std::vector<ComPtr<IDirect3DRMTexture>> textures(Read.materials.size());
  for (size_t i = 0; i < Read.materials.size(); ++i) {
    const XFileMaterial& material = Read.materials[i];
    if (material.textureFileName.empty()) continue;
    ComPtr<IDirect3DRMTexture>& texture = byName[material.textureFileName];
    std::string error;
    if (!texture) {
      const HRESULT result =
          ObtainTexture(material.textureFileName, FileName, Callback, Arg, texture, error);
      if (FAILED(result))
        return Fail(result, FileName + ", line " + std::to_string(material.line) + ": texture \"" +
                                material.textureFileName + "\": " + error);
    }
    textures[i] = texture;
  }

  const bool hasNormals = !Read.normals.empty();
  std::vector<D3DVECTOR> normals =
      hasNormals ? std::move(Read.normals) : GenerateNormals(Read.vertices, Read.faces);
  std::vector<UV> coordinates(Read.vertices.size());
  for (size_t i = 0; i < Read.textureCoordinates.size(); ++i)
    coordinates[i] = {Read.textureCoordinates[i].u, Read.textureCoordinates[i].v};
  std::vector<BuilderFace> faces(Read.faces.size());
  for (size_t i = 0; i < faces.size(); ++i) {
    XFileFace& read = Read.faces[i];
    BuilderFace& face = faces[i];
    face.normalIndices = hasNormals ? std::move(read.normalIndices) : read.vertexIndices;
    face.vertexIndices = std::move(read.vertexIndices);
    if (!Read.materials.empty()) {
      face.color = FaceColor(Read.materials[read.material]);
      face.texture = textures[read.material];
    }
  }

  vertices_ = std::move(Read.vertices);
  normals_ = std::move(normals);
  coordinates_ = std::move(coordinates);
  faces_ = std::move(faces);
  SetName(Read.name.c_str());
  lastError_.clear();
  return D3DRM_OK;
}

HRESULT MeshBuilder::Scale(D3DVALUE Sx, D3DVALUE Sy, D3DVALUE Sz) {
  for (auto& v : vertices_) v = {v.x * Sx, v.y * Sy, v.z * Sz};
  for (auto& n : normals_) n = ScaleNormal(n, Sx, Sy, Sz);
  return D3DRM_OK;
}

HRESULT MeshBuilder::Translate(D3DVALUE Tx, D3DVALUE Ty, D3DVALUE Tz) {
  for (auto& v : vertices_) v = Add(v, {Tx, Ty, Tz});
  return D3DRM_OK;
}

HRESULT MeshBuilder::SetColorRGB(D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) {
  return SetColor(D3DRGB(Red, Green, Blue));
}

HRESULT MeshBuilder::SetColor(D3DCOLOR Color) {
  for (auto& face : faces_) face.color = Color;
  return D3DRM_OK;
}

HRESULT MeshBuilder::SetTexture(IDirect3DRMTexture* Texture) {
  for (auto& face : faces_) face.texture = ComPtr<IDirect3DRMTexture>(Texture);
  return D3DRM_OK;
}

HRESULT MeshBuilder::SetPerspective(BOOL Perspective) {
  perspective_ = Perspective != FALSE;
  return D3DRM_OK;
}

HRESULT MeshBuilder::SetTextureCoordinates(DWORD Index, D3DVALUE U, D3DVALUE V) {
  if (Index >= coordinates_.size()) return D3DRMERR_BADVALUE;
  coordinates_[Index] = {U, V};
  return D3DRM_OK;
}

HRESULT MeshBuilder::GetTextureCoordinates(DWORD Index, D3DVALUE* U, D3DVALUE* V) {
  if (Index >= coordinates_.size() || !U || !V) return D3DRMERR_BADVALUE;
  *U = coordinates_[Index].u;
  *V = coordinates_[Index].v;
  return D3DRM_OK;
}

HRESULT MeshBuilder::SetVertex(DWORD Index, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) {
  if (Index >= vertices_.size()) return D3DRMERR_BADVALUE;
  vertices_[Index] = {X, Y, Z};
  return D3DRM_OK;
}

HRESULT MeshBuilder::SetNormal(DWORD Index, D3DVALUE X, D3DVALUE Y, D3DVALUE Z) {
  if (Index >= normals_.size()) return D3DRMERR_BADVALUE;
  normals_[Index] = {X, Y, Z};
  return D3DRM_OK;
}

HRESULT MeshBuilder::GetVertices(DWORD* VertexCount, D3DVECTOR* Vertices, DWORD* NormalCount,
                                 D3DVECTOR* Normals, DWORD* FaceDataSize, DWORD* FaceData) {
  const auto vertexCount = static_cast<DWORD>(vertices_.size());
  const auto normalCount = static_cast<DWORD>(normals_.size());
  DWORD faceDataSize = 1;  // the closing 0
  for (const auto& face : faces_)
    faceDataSize += 1 + 2 * static_cast<DWORD>(face.vertexIndices.size());
  // Every capacity is checked before anything is written.
  if ((Vertices && (!VertexCount || *VertexCount < vertexCount)) ||
      (Normals && (!NormalCount || *NormalCount < normalCount)) ||
      (FaceData && (!FaceDataSize || *FaceDataSize < faceDataSize)))
    return D3DRMERR_BADVALUE;
  if (Vertices) std::copy(vertices_.begin(), vertices_.end(), Vertices);
  if (Normals) std::copy(normals_.begin(), normals_.end(), Normals);
  if (FaceData) {
    DWORD at = 0;
    for (const auto& face : faces_) {
      FaceData[at++] = static_cast<DWORD>(face.vertexIndices.size());
      for (size_t k = 0; k < face.vertexIndices.size(); ++k) {
        FaceData[at++] = face.vertexIndices[k];
        FaceData[at++] = face.normalIndices[k];
      }
    }
    FaceData[at] = 0;
  }
  if (VertexCount) *VertexCount = vertexCount;
  if (NormalCount) *NormalCount = normalCount;
  if (FaceDataSize) *FaceDataSize = faceDataSize;
  return D3DRM_OK;
}

HRESULT MeshBuilder::CreateMesh(IDirect3DRMMesh** Out) {
  if (!Out) return D3DRMERR_BADVALUE;
  std::vector<GroupInProgress> groups;
  for (const auto& face : faces_) {
    auto it = std::find_if(groups.begin(), groups.end(), [&](const GroupInProgress& g) {
      return g.group.color == face.color && g.texture == face.texture.Get();
    });
    if (it == groups.end()) {
      GroupInProgress fresh;
      fresh.group.color = face.color;
      fresh.group.texture = face.texture;
      fresh.group.mapping = perspective_ ? D3DRMMAP_PERSPCORRECT : 0;
      fresh.texture = face.texture.Get();
      groups.push_back(std::move(fresh));
      it = groups.end() - 1;
    }
    MeshGroup& group = it->group;
    group.faceData.push_back(static_cast<unsigned>(face.vertexIndices.size()));
    for (size_t k = 0; k < face.vertexIndices.size(); ++k) {
      const DWORD vertex = face.vertexIndices[k], normal = face.normalIndices[k];
      auto [corner, added] = it->corners.try_emplace({vertex, normal}, 0u);
      if (added) {
        corner->second = static_cast<unsigned>(group.vertices.size());
        D3DRMVERTEX v;
        v.position = vertices_[vertex];
        v.normal = normals_[normal];
        v.tu = coordinates_[vertex].u;
        v.tv = coordinates_[vertex].v;
        v.color = group.color;
        group.vertices.push_back(v);
      }
      group.faceData.push_back(corner->second);
    }
    ++group.faceCount;
  }
  Mesh* mesh = Mesh::Create();
  for (auto& g : groups) mesh->AppendGroup(std::move(g.group));
  *Out = mesh;
  return D3DRM_OK;
}

std::vector<D3DVECTOR> MeshBuilder::VertexNormals() const {
  std::vector<D3DVECTOR> sums(vertices_.size());
  for (const auto& face : faces_)
    for (size_t k = 0; k < face.vertexIndices.size(); ++k)
      sums[face.vertexIndices[k]] =
          Add(sums[face.vertexIndices[k]], normals_[face.normalIndices[k]]);
  for (auto& normal : sums) Normalize(normal, normal);
  return sums;
}

void MeshBuilder::ComputeTextureCoordinates(const TextureCoordinateRule& Rule) {
  const std::vector<D3DVECTOR> normals = VertexNormals();
  for (size_t i = 0; i < vertices_.size(); ++i) coordinates_[i] = Rule(vertices_[i], normals[i]);
}

}  // namespace platform::d3drm
