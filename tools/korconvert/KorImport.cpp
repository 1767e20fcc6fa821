#include "tools/korconvert/KorImport.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "model/LoadModel.h"
#include "tools/korconvert/AxisConversion.h"
#include "tools/korconvert/ConvertError.h"
#include "tools/korconvert/StagedOutput.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kImportSteps =
    aiProcess_GenSmoothNormals | aiProcess_JoinIdenticalVertices | aiProcess_SortByPType;

// Generated normals are shared across an edge only where the faces meet at less than this many
// degrees, so boxes keep their hard edges and round things look round.
constexpr float kSmoothingAngle = 80.0f;

std::string MeshName(const aiMesh& mesh, unsigned index) {
  return mesh.mName.length > 0 ? "\"" + std::string(mesh.mName.C_Str()) + "\""
                               : "#" + std::to_string(index);
}

Matrix4 FromAssimp(const aiMatrix4x4& a) {
  // Assimp multiplies column vectors on the right; ours are row vectors on the left.
  Matrix4 m;
  for (unsigned r = 0; r < 4; ++r) {
    for (unsigned c = 0; c < 4; ++c) m[static_cast<int>(r * 4 + c)] = a[c][r];
  }
  return m;
}

uint8_t ToByte(float channel) {
  return static_cast<uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

uint32_t ToArgb(const aiColor4D& c) {
  return (uint32_t{ToByte(c.a)} << 24) | (uint32_t{ToByte(c.r)} << 16) |
         (uint32_t{ToByte(c.g)} << 8) | ToByte(c.b);
}

// A name made of characters every file system takes, at most MaxLength bytes.
std::string SafeStem(const std::string& raw, size_t maxLength) {
  std::string stem;
  for (char c : raw) {
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    stem += plain ? c : '_';
  }
  if (stem.empty()) stem = "texture";
  return stem.substr(0, maxLength);
}

// Reads textures for materials and hands out texture-table entries, once per picture.
class TTextureTable {
 public:
  TTextureTable(const aiScene& scene, fs::path directory, TPaletteQuantiser* quantiser,
                std::ostream& notes)
      : scene(scene), directory(std::move(directory)), quantiser(quantiser), notes(notes) {}

  int32_t IndexFor(unsigned materialIndex) {
    const aiMaterial& material = *scene.mMaterials[materialIndex];
    const std::string source = TexturePathOf(material);
    const auto known = indexes.find(source);
    if (known != indexes.end()) return known->second;
    if (static_cast<int32_t>(names.size()) >= KorMaxTextures) {
      throw EKorConvertError("material \"" + std::string(material.GetName().C_Str()) +
                             "\" needs texture " + std::to_string(names.size() + 1) +
                             "; the renderer draws at most " + std::to_string(KorMaxTextures) +
                             " textures");
    }
    const TRgbaImage image = source.empty() ? WhiteImage() : Fit(Load(material, source), source);
    const std::string name = UniqueName(StemFor(source));
    const auto index = static_cast<int32_t>(names.size());
    names.push_back(name);
    pictures.push_back(PaletteImage(image, quantiser, source));
    indexes[source] = index;
    return index;
  }

  std::vector<std::string> names;
  std::vector<TPalettedImage> pictures;

 private:
  static std::string TexturePathOf(const aiMaterial& material) {
    aiString path;
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR}) {
      if (material.GetTexture(type, 0, &path) == AI_SUCCESS && path.length > 0) {
        return path.C_Str();
      }
    }
    return {};
  }

  TRgbaImage Fit(const TRgbaImage& image, const std::string& source) const {
    TRgbaImage fitted = FitWithin(image, KorMaxTextureSide);
    if (fitted.Width != image.Width || fitted.Height != image.Height) {
      notes << "note: texture \"" << source << "\" (" << image.Width << " x " << image.Height
            << ") scaled down to " << fitted.Width << " x " << fitted.Height
            << ", the largest the renderer's device takes\n";
    }
    return fitted;
  }

  // The bitmap's name before ".bmp": the picture file's own, for an embedded picture the name
  // it was stored under when it has one.
  std::string StemFor(const std::string& source) const {
    if (source.empty()) return "white";
    const aiTexture* embedded = scene.GetEmbeddedTexture(source.c_str());
    if (embedded == nullptr) return fs::path(source).stem().string();
    const std::string stored = embedded->mFilename.C_Str();
    return stored.empty() ? "embedded" + source.substr(1) : fs::path(stored).stem().string();
  }

  TRgbaImage Load(const aiMaterial& material, const std::string& source) const {
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(source.c_str())) {
      return Embedded(*embedded, source);
    }
    std::string relative = source;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const fs::path path =
        fs::path(relative).is_absolute() ? fs::path(relative) : directory / relative;
    if (!fs::is_regular_file(path)) {
      throw EKorConvertError("texture \"" + source + "\" of material \"" +
                             material.GetName().C_Str() + "\" not found (looked for \"" +
                             path.string() + "\")");
    }
    return DecodeImageFile(path.string());
  }

  static TRgbaImage Embedded(const aiTexture& texture, const std::string& source) {
    if (texture.mHeight == 0) {  // compressed file data, mWidth bytes long
      const auto* bytes = reinterpret_cast<const uint8_t*>(texture.pcData);
      return DecodeImageBytes({bytes, texture.mWidth}, source);
    }
    TRgbaImage image;
    image.Width = static_cast<int32_t>(texture.mWidth);
    image.Height = static_cast<int32_t>(texture.mHeight);
    for (unsigned i = 0; i < texture.mWidth * texture.mHeight; ++i) {
      const aiTexel& t = texture.pcData[i];
      image.Pixels.insert(image.Pixels.end(), {t.r, t.g, t.b, t.a});
    }
    return image;
  }

  // The bitmap's name beside the output: the source's stem made safe, ".bmp", unique in the
  // table and within the format's 255 bytes.
  std::string UniqueName(const std::string& stem) {
    const size_t room = KorMaxNameLength - 4 - 8;  // ".bmp" and a "_" counter
    const std::string base = SafeStem(stem, room);
    std::string name = base + ".bmp";
    for (int n = 2; used.count(name) != 0; ++n) name = base + "_" + std::to_string(n) + ".bmp";
    used.insert(name);
    return name;
  }

  const aiScene& scene;
  fs::path directory;
  TPaletteQuantiser* quantiser;
  std::ostream& notes;
  std::map<std::string, int32_t> indexes;
  std::set<std::string> used;
};

class TSceneConverter {
 public:
  TSceneConverter(const aiScene& scene, const std::string& inPath, TPaletteQuantiser* quantiser,
                  std::ostream& notes)
      : scene(scene),
        inPath(inPath),
        textures(scene, fs::path(inPath).parent_path(), quantiser, notes),
        notes(notes) {}

  TKorConversion Convert() {
    CheckNotEmpty();
    CheckObjectCount();
    AddNode(*scene.mRootNode, -1);
    TKorConversion out;
    out.File.Objects = std::move(objects);
    out.File.TextureNames = std::move(textures.names);
    out.Textures = std::move(textures.pictures);
    return out;
  }

 private:
  void CheckNotEmpty() const {
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
      if (scene.mMeshes[i]->mNumFaces > 0) return;
    }
    throw EKorConvertError("\"" + inPath + "\" holds no meshes: the scene is empty");
  }

  static size_t CountNodes(const aiNode& node) {
    size_t count = 1;
    for (unsigned i = 0; i < node.mNumChildren; ++i) count += CountNodes(*node.mChildren[i]);
    return count;
  }

  void CheckObjectCount() const {
    const size_t nodes = CountNodes(*scene.mRootNode);
    if (nodes > static_cast<size_t>(KorMaxObjects)) {
      throw EKorConvertError("\"" + inPath + "\" has " + std::to_string(nodes) +
                             " nodes; a .kor file holds at most " + std::to_string(KorMaxObjects) +
                             " objects");
    }
  }

  // Writes the node, then its children last to first: the loader puts each new child first,
  // so the tree it builds walks them first to last.
  void AddNode(const aiNode& node, int32_t parent) {
    const auto index = static_cast<int32_t>(objects.size());
    objects.emplace_back();
    TKorObjectRecord& object = objects.back();
    object.Local = FromAssimp(node.mTransformation);
    // The root turns the format's y-up axes into the renderer's y-down ones.
    if (parent < 0) object.Local = FollowedByHalfTurnAboutX(object.Local);
    object.ParentIndex = parent;
    std::memcpy(&object.Tag, node.mName.C_Str(), std::min<size_t>(node.mName.length, 4));
    for (unsigned i = 0; i < node.mNumMeshes; ++i) AddMesh(index, node.mMeshes[i]);
    for (unsigned i = node.mNumChildren; i-- > 0;) AddNode(*node.mChildren[i], index);
  }

  void AddMesh(int32_t objectIndex, unsigned meshIndex) {
    const aiMesh& mesh = *scene.mMeshes[meshIndex];
    TKorObjectRecord& object = objects[static_cast<size_t>(objectIndex)];
    if (mesh.mPrimitiveTypes == aiPrimitiveType_POINT) {
      for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        object.Points.push_back({mesh.mVertices[i].x, mesh.mVertices[i].y, mesh.mVertices[i].z});
      }
      return;
    }
    if ((mesh.mPrimitiveTypes & (aiPrimitiveType_TRIANGLE | aiPrimitiveType_POLYGON)) == 0) {
      notes << "note: mesh " << MeshName(mesh, meshIndex) << " holds only lines; left out\n";
      return;
    }
    CountVertices(mesh, meshIndex);
    const auto first = static_cast<uint32_t>(object.Vertices.size());
    AddVertices(object, mesh);
    const int32_t texture = textures.IndexFor(mesh.mMaterialIndex);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) AddFace(object, mesh.mFaces[f], first, texture);
  }

  void CountVertices(const aiMesh& mesh, unsigned meshIndex) {
    vertexTotal += mesh.mNumVertices;
    if (vertexTotal > static_cast<size_t>(KorMaxModelVertices)) {
      throw EKorConvertError(
          "mesh " + MeshName(mesh, meshIndex) + " brings the model to " +
          std::to_string(vertexTotal) + " vertices; the renderer draws at most " +
          std::to_string(KorMaxModelVertices) + " vertices a frame (16-bit indices)");
    }
  }

  uint32_t FallbackColor(const aiMesh& mesh) const {
    aiColor4D diffuse(1, 1, 1, 1);
    const aiMaterial& material = *scene.mMaterials[mesh.mMaterialIndex];
    if (material.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) != AI_SUCCESS) diffuse = {1, 1, 1, 1};
    return ToArgb(diffuse);
  }

  void AddVertices(TKorObjectRecord& object, const aiMesh& mesh) const {
    const uint32_t fallback = FallbackColor(mesh);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
      TKorVertex v;
      v.X = mesh.mVertices[i].x;
      v.Y = mesh.mVertices[i].y;
      v.Z = mesh.mVertices[i].z;
      if (mesh.HasNormals()) {
        v.NX = mesh.mNormals[i].x;
        v.NY = mesh.mNormals[i].y;
        v.NZ = mesh.mNormals[i].z;
      }
      if (mesh.HasTextureCoords(0)) {
        // Assimp puts v = 0 at the picture's bottom; texture rows here start at the top.
        v.U = mesh.mTextureCoords[0][i].x;
        v.V = 1.0f - mesh.mTextureCoords[0][i].y;
      }
      v.Color = mesh.HasVertexColors(0) ? ToArgb(mesh.mColors[0][i]) : fallback;
      object.Vertices.push_back(v);
    }
  }

  // Faces are front faces when their corners run counter-clockwise seen from outside in the
  // formats Assimp reads, clockwise in ".kor" files (the demo model, drawn with
  // counter-clockwise faces culled): the corner order is reversed, keeping the first corner so
  // the fan holds the same triangles. A polygon of more than 128 indices becomes several fans
  // sharing that first corner.
  static void AddFace(TKorObjectRecord& object, const aiFace& face, uint32_t first,
                      int32_t texture) {
    const unsigned n = face.mNumIndices;
    if (n < 3) return;
    std::vector<uint16_t> corners{static_cast<uint16_t>(first + face.mIndices[0])};
    for (unsigned i = n - 1; i >= 1; --i) {
      corners.push_back(static_cast<uint16_t>(first + face.mIndices[i]));
    }
    const unsigned span = KorMaxPolygonIndices - 2;  // triangles one fan can hold
    for (unsigned start = 1; start + 1 < n; start += span) {
      const unsigned end = std::min(start + span, n - 1);
      TKorFaceRecord record;
      record.Flag = KorDrawnFaceFlag;
      record.TextureIndex = texture;
      record.Indices.push_back(corners[0]);
      record.Indices.insert(record.Indices.end(), corners.begin() + start,
                            corners.begin() + end + 1);
      object.Faces.push_back(std::move(record));
    }
  }

  const aiScene& scene;
  std::string inPath;
  TTextureTable textures;
  std::ostream& notes;
  std::vector<TKorObjectRecord> objects;
  size_t vertexTotal = 0;
};

void CheckReadable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || fs::is_directory(path)) throw EKorConvertError("cannot read \"" + path + "\"");
}

}  // namespace

TKorConversion ImportScene(const std::string& InPath, TPaletteQuantiser* Quantiser,
                           std::ostream& Notes) {
  CheckReadable(InPath);
  Assimp::Importer importer;
  importer.SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, kSmoothingAngle);
  const aiScene* scene = importer.ReadFile(InPath, kImportSteps);
  if (scene == nullptr || scene->mRootNode == nullptr) {
    throw EKorConvertError("cannot import \"" + InPath + "\": " + importer.GetErrorString());
  }
  return TSceneConverter(*scene, InPath, Quantiser, Notes).Convert();
}

void ImportToKor(const std::string& InPath, const std::string& OutPath,
                 TPaletteQuantiser* Quantiser, std::ostream& Notes) {
  const TKorConversion conversion = ImportScene(InPath, Quantiser, Notes);
  TStagedOutput output(OutPath);
  for (size_t i = 0; i < conversion.Textures.size(); ++i) {
    const TPalettedImage& texture = conversion.Textures[i];
    output.WriteFile(conversion.File.TextureNames[i], EncodeBmp8(texture.Picture, texture.Palette));
  }
  output.WriteFile(fs::path(OutPath).filename().string(), EncodeKorFile(conversion.File));
  output.Commit();
}
