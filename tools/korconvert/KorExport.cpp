#include "tools/korconvert/KorExport.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <assimp/Exporter.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "model/LoadModel.h"
#include "model/TextureRecorder.h"
#include "tools/korconvert/AxisConversion.h"
#include "tools/korconvert/ConvertError.h"
#include "tools/korconvert/StagedOutput.h"
#include "tools/korconvert/TextureImage.h"

namespace fs = std::filesystem;

namespace {

// Frees a loaded tree however the export ends.
struct TTreeOwner {
  TKorObject* Root = nullptr;
  ~TTreeOwner() { FreeObject(Root); }
};

aiMatrix4x4 ToAssimp(const Matrix4& m) {
  aiMatrix4x4 a;
  for (unsigned r = 0; r < 4; ++r) {
    for (unsigned c = 0; c < 4; ++c) a[c][r] = m[static_cast<int>(r * 4 + c)];
  }
  return a;
}

aiColor4D FromArgb(uint32_t c) {
  const auto channel = [c](int shift) { return static_cast<float>((c >> shift) & 0xFFu) / 255.0f; };
  return {channel(16), channel(8), channel(0), channel(24)};
}

std::string TagText(int32_t tag) {
  char bytes[4];
  std::memcpy(bytes, &tag, 4);
  std::string text;
  size_t i = 0;
  for (; i < 4 && bytes[i] != 0; ++i) {
    if (!std::isprint(static_cast<unsigned char>(bytes[i]))) return {};
    text += bytes[i];
  }
  for (; i < 4; ++i) {
    if (bytes[i] != 0) return {};
  }
  return text;
}

struct TTextureReference {
  std::string PngName;
  std::string Path;
};

// One triangle list for the faces of one texture, over the vertices those faces name.
struct TMeshPart {
  const TKorTexdata* Texture = nullptr;
  std::vector<const TKorPolygon*> Faces;
};

class TSceneBuilder {
 public:
  // References holds, for each texture, the PNG file's name and what the material names it
  // by: the same name, or "*N" for the scene's embedded texture N.
  TSceneBuilder(const TKorModelIndex& index,
                std::map<const TKorTexdata*, TTextureReference> references)
      : index(index), references(std::move(references)) {}

  std::unique_ptr<aiScene> Build(const TKorObject& root) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = MakeNode(root, true);
    if (materials.empty()) PointMaterial();
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
    scene->mNumMaterials = static_cast<unsigned>(materials.size());
    scene->mMaterials = new aiMaterial*[materials.size()];
    std::copy(materials.begin(), materials.end(), scene->mMaterials);
    meshes.clear();
    materials.clear();
    return scene;
  }

  ~TSceneBuilder() {
    for (aiMesh* m : meshes) delete m;
    for (aiMaterial* m : materials) delete m;
  }

 private:
  std::string NodeName(const TKorObject& object) const {
    const std::string tag = TagText(object.Tag);
    if (!tag.empty()) return tag;
    const auto at = std::find(index.Objects.begin(), index.Objects.end(), &object);
    return "object " + std::to_string(at - index.Objects.begin());
  }

  aiNode* MakeNode(const TKorObject& object, bool root) {
    auto node = std::make_unique<aiNode>(NodeName(object));
    Matrix4 transform;
    MatrixMultiply(object.Local, object.Base, transform);  // as the transform pass composes it
    // The root turns the renderer's y-down axes back into the format's y-up ones.
    if (root) transform = FollowedByHalfTurnAboutX(transform);
    node->mTransformation = ToAssimp(transform);
    std::vector<unsigned> meshIndexes = AddMeshes(object);
    node->mNumMeshes = static_cast<unsigned>(meshIndexes.size());
    if (!meshIndexes.empty()) {
      node->mMeshes = new unsigned[meshIndexes.size()];
      std::copy(meshIndexes.begin(), meshIndexes.end(), node->mMeshes);
    }
    std::vector<aiNode*> children;
    for (const TKorObject* child = object.FirstChild; child != nullptr; child = child->Next) {
      children.push_back(MakeNode(*child, false));
      children.back()->mParent = node.get();
    }
    node->mNumChildren = static_cast<unsigned>(children.size());
    if (!children.empty()) {
      node->mChildren = new aiNode*[children.size()];
      std::copy(children.begin(), children.end(), node->mChildren);
    }
    return node.release();
  }

  std::vector<unsigned> AddMeshes(const TKorObject& object) {
    std::vector<TMeshPart> parts;
    for (int32_t f = 0; f < object.FaceCount; ++f) {
      const TKorPolygon& face = object.Faces[static_cast<size_t>(f)];
      if (face.Count < 3) continue;  // not a fan
      auto part = std::find_if(parts.begin(), parts.end(),
                               [&](const TMeshPart& p) { return p.Texture == face.TexRef; });
      if (part == parts.end()) part = parts.insert(parts.end(), TMeshPart{face.TexRef, {}});
      part->Faces.push_back(&face);
    }
    std::vector<unsigned> added;
    for (const TMeshPart& part : parts) {
      aiMesh* mesh = TriangleMesh(object, part, parts.size() == 1);
      // OBJ names its groups after meshes.
      mesh->mName = NodeName(object);
      added.push_back(Add(mesh));
    }
    if (object.PointCount > 0) added.push_back(Add(PointMesh(object)));
    return added;
  }

  unsigned Add(aiMesh* mesh) {
    meshes.push_back(mesh);
    return static_cast<unsigned>(meshes.size() - 1);
  }

  // With one part the mesh keeps every vertex in order; otherwise only those its faces name.
  aiMesh* TriangleMesh(const TKorObject& object, const TMeshPart& part, bool allVertices) {
    std::vector<int32_t> remap(static_cast<size_t>(object.VertexCount), -1);
    std::vector<int32_t> used;
    for (int32_t i = 0; allVertices && i < object.VertexCount; ++i) {
      remap[static_cast<size_t>(i)] = i;
      used.push_back(i);
    }
    size_t triangles = 0;
    for (const TKorPolygon* face : part.Faces) {
      triangles += static_cast<size_t>(face->Count - 2);
      for (uint16_t i : face->Indices) {
        if (remap.at(i) < 0) {
          remap[i] = static_cast<int32_t>(used.size());
          used.push_back(i);
        }
      }
    }
    auto mesh = std::make_unique<aiMesh>();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = TextureMaterial(part.Texture);
    FillVertices(*mesh, object, used);
    mesh->mNumFaces = static_cast<unsigned>(triangles);
    mesh->mFaces = new aiFace[triangles];
    size_t t = 0;
    for (const TKorPolygon* face : part.Faces) {
      for (int32_t k = 1; k + 1 < face->Count; ++k, ++t) {
        aiFace& out = mesh->mFaces[t];
        out.mNumIndices = 3;
        out.mIndices = new unsigned[3];
        out.mIndices[0] = static_cast<unsigned>(remap[face->Indices[0]]);
        // Reversed: clockwise front faces here, counter-clockwise in the formats written.
        out.mIndices[1] = static_cast<unsigned>(remap[face->Indices[static_cast<size_t>(k + 1)]]);
        out.mIndices[2] = static_cast<unsigned>(remap[face->Indices[static_cast<size_t>(k)]]);
      }
    }
    return mesh.release();
  }

  static void FillVertices(aiMesh& mesh, const TKorObject& object,
                           const std::vector<int32_t>& used) {
    const size_t n = used.size();
    mesh.mNumVertices = static_cast<unsigned>(n);
    mesh.mVertices = new aiVector3D[n];
    mesh.mNormals = new aiVector3D[n];
    mesh.mTextureCoords[0] = new aiVector3D[n];
    mesh.mNumUVComponents[0] = 2;
    mesh.mColors[0] = new aiColor4D[n];
    for (size_t i = 0; i < n; ++i) {
      const TKorVertex& v = object.Vertices[static_cast<size_t>(used[i])];
      mesh.mVertices[i] = {v.X, v.Y, v.Z};
      mesh.mNormals[i] = {v.NX, v.NY, v.NZ};
      mesh.mTextureCoords[0][i] = {v.U, 1.0f - v.V, 0.0f};  // assimp's v runs bottom-up
      mesh.mColors[0][i] = FromArgb(v.Color);
    }
  }

  aiMesh* PointMesh(const TKorObject& object) {
    auto mesh = std::make_unique<aiMesh>();
    const auto n = static_cast<unsigned>(object.PointCount);
    mesh->mName = NodeName(object) + " points";
    mesh->mPrimitiveTypes = aiPrimitiveType_POINT;
    mesh->mMaterialIndex = PointMaterial();
    mesh->mNumVertices = n;
    mesh->mVertices = new aiVector3D[n];
    mesh->mNumFaces = n;
    mesh->mFaces = new aiFace[n];
    for (unsigned i = 0; i < n; ++i) {
      const Vector3& p = object.Points[i];
      mesh->mVertices[i] = {p.x, p.y, p.z};
      mesh->mFaces[i].mNumIndices = 1;
      mesh->mFaces[i].mIndices = new unsigned[1]{i};
    }
    return mesh.release();
  }

  unsigned NewMaterial(const std::string& name, const std::string& texture) {
    auto material = std::make_unique<aiMaterial>();
    const aiString materialName(name);
    material->AddProperty(&materialName, AI_MATKEY_NAME);
    const aiColor4D white(1, 1, 1, 1);
    material->AddProperty(&white, 1, AI_MATKEY_COLOR_DIFFUSE);
    if (!texture.empty()) {
      const aiString path(texture);
      material->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    materials.push_back(material.release());
    return static_cast<unsigned>(materials.size() - 1);
  }

  unsigned TextureMaterial(const TKorTexdata* texture) {
    const auto known = textureMaterials.find(texture);
    if (known != textureMaterials.end()) return known->second;
    const TTextureReference& reference = references.at(texture);
    const unsigned at = NewMaterial(fs::path(reference.PngName).stem().string(), reference.Path);
    textureMaterials[texture] = at;
    return at;
  }

  unsigned PointMaterial() {
    if (!pointMaterial) pointMaterial = NewMaterial("points", "");
    return *pointMaterial;
  }

  const TKorModelIndex& index;
  std::map<const TKorTexdata*, TTextureReference> references;
  std::map<const TKorTexdata*, unsigned> textureMaterials;
  std::optional<unsigned> pointMaterial;
  std::vector<aiMesh*> meshes;
  std::vector<aiMaterial*> materials;
};

std::string ExportFormat(const std::string& outPath) {
  std::string extension = fs::path(outPath).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".gltf") return "gltf2";
  if (extension == ".glb") return "glb2";
  if (extension == ".obj") return "obj";
  throw EKorConvertError("cannot export to \"" + outPath +
                         "\": the output must end in .gltf, .glb or .obj");
}

// Each distinct texture the model names, decoded, with the PNG name it gets beside the output.
struct TExportTexture {
  const TKorTexdata* Texture = nullptr;
  std::string PngName;
  TRgbaImage Picture;
};

// In the order of the file's texture table, so the output does not depend on where records lie
// in memory.
std::vector<TExportTexture> ReadTextures(const std::string& inPath,
                                         const TKorTextureRecorder& recorder,
                                         const TKorModelIndex& index) {
  std::vector<TExportTexture> textures;
  std::set<const TKorTexdata*> seen;
  std::set<std::string> used;
  for (const TKorTexdata* texture : index.Textures) {
    if (!seen.insert(texture).second) continue;
    const auto call = std::find_if(recorder.Calls().begin(), recorder.Calls().end(),
                                   [&](const auto& c) { return c.Name == texture->Name; });
    if (call == recorder.Calls().end()) {
      throw EKorConvertError("texture \"" + texture->Name + "\" of \"" + inPath +
                             "\" was not read");
    }
    const std::string path = call->Path;
    if (!fs::is_regular_file(path)) {
      throw EKorConvertError("texture \"" + texture->Name + "\" of \"" + inPath +
                             "\" not found (looked for \"" + path + "\")");
    }
    std::string stem = fs::path(path).stem().string();
    std::string png = stem + ".png";
    for (int n = 2; used.count(png) != 0; ++n) png = stem + "_" + std::to_string(n) + ".png";
    used.insert(png);
    textures.push_back({texture, png, DecodeImageFile(path)});
  }
  return textures;
}

// A PNG file's bytes as an embedded texture of the scene (compressed data: height 0, width the
// byte count).
aiTexture* EmbeddedPng(const std::vector<uint8_t>& png, const std::string& name) {
  auto texture = std::make_unique<aiTexture>();
  texture->mWidth = static_cast<unsigned>(png.size());
  texture->mHeight = 0;
  texture->pcData = new aiTexel[(png.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
  std::memcpy(texture->pcData, png.data(), png.size());
  std::strcpy(texture->achFormatHint, "png");
  texture->mFilename = name;
  return texture.release();
}

}  // namespace

void ExportKor(const std::string& InPath, const std::string& OutPath) {
  const std::string format = ExportFormat(OutPath);
  // A binary glTF carries its pictures inside; the other formats name PNG files beside them.
  const bool embed = format == "glb2";
  TKorTextureRecorder recorder;
  TKorModelIndex index;
  TTreeOwner tree;
  tree.Root = LoadModel(&recorder, InPath.c_str(), &index);
  const auto textures = ReadTextures(InPath, recorder, index);
  std::map<const TKorTexdata*, TTextureReference> references;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> pngs;
  for (const TExportTexture& file : textures) {
    const std::string path = embed ? "*" + std::to_string(pngs.size()) : file.PngName;
    references[file.Texture] = {file.PngName, path};
    pngs.emplace_back(file.PngName, EncodePng(file.Picture));
  }
  const std::unique_ptr<aiScene> scene = TSceneBuilder(index, references).Build(*tree.Root);

  TStagedOutput output(OutPath);
  if (embed && !pngs.empty()) {
    scene->mNumTextures = static_cast<unsigned>(pngs.size());
    scene->mTextures = new aiTexture*[pngs.size()];
    for (size_t i = 0; i < pngs.size(); ++i) {
      scene->mTextures[i] = EmbeddedPng(pngs[i].second, pngs[i].first);
    }
  }
  for (const auto& [name, bytes] : pngs) {
    if (!embed) output.WriteFile(name, bytes);
  }
  Assimp::Exporter exporter;
  if (exporter.Export(scene.get(), format, output.MainStagePath()) != AI_SUCCESS) {
    throw EKorConvertError("cannot export \"" + OutPath + "\": " + exporter.GetErrorString());
  }
  output.Commit();
}
