// XFileReader: reads meshes from the text form of the DirectX file format (".x"), the
// retained-mode mesh format. It knows nothing of COM; MeshBuilder::Load turns its result
// into a mesh builder.
//
// What is read:
//   - the header "xof 0302txt 0032" ("0303" and float size "0064" are accepted too; binary
//     and compressed files are refused);
//   - Mesh objects: vertices and faces (polygons of 3 or more vertices), with the optional
//     MeshNormals, MeshTextureCoords and MeshMaterialList (with Material objects inline or
//     referred to by name as { Name }, and each Material's TextureFilename);
//   - Mesh and Material objects at the top level and inside Frame objects (nested up to 256
//     deep); frame transforms are not applied.
// What is skipped: template declarations, and any data object of another type (Header,
// MeshVertexColors, MeshFaceWraps, AnimationSet, ...), with its nested objects.
//
// Within data, ',' and ';' are both taken as separators, as the format's readers commonly
// do, so that the separator styles of different exporters all read; counts are checked
// instead: a list with fewer values than its count runs into the next item and is reported
// there, one with more is reported where the closing brace was expected. "//" and "#" start
// comments that run to the end of the line.
//
// A MeshMaterialList with fewer face indexes than faces gives its last index to the
// remaining faces (0 when it has none).
//
// Every fault is an XFileError whose message names the file and, for a malformed file, the
// line: "cube.x, line 12: face 3 refers to vertex 9, but the mesh has 8 vertices".
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3drm/RMTypes.h"

namespace platform::d3drm {

struct XFileMaterial {
  D3DVALUE faceColor[4] = {1, 1, 1, 1};  // red, green, blue, alpha
  D3DVALUE power = 0;
  D3DVALUE specularColor[3] = {0, 0, 0};
  D3DVALUE emissiveColor[3] = {0, 0, 0};
  std::string textureFileName;  // as written in the file; "" for none
  int line = 0;                 // where the material's data starts
};

struct XFileFace {
  std::vector<DWORD> vertexIndices;
  std::vector<DWORD> normalIndices;  // one per vertex index, or empty without MeshNormals
  DWORD material = 0;                // index into XFileMesh::materials (if any)
};

struct XFileTextureCoordinates {
  D3DVALUE u = 0;
  D3DVALUE v = 0;
};

struct XFileMesh {
  std::string name;
  std::vector<D3DVECTOR> vertices;
  std::vector<D3DVECTOR> normals;  // empty without MeshNormals
  std::vector<XFileFace> faces;
  std::vector<XFileTextureCoordinates> textureCoordinates;  // empty, or one per vertex
  std::vector<XFileMaterial> materials;                     // empty without MeshMaterialList
};

// Which of a file's meshes to take, counting in the order they appear.
struct XFileMeshChoice {
  enum class Kind { First, ByName, ByPosition };
  Kind kind = Kind::First;
  std::string name;
  DWORD position = 0;
};

class XFileError : public std::runtime_error {
 public:
  // Result is the retained-mode code for the fault: D3DRMERR_FILENOTFOUND (cannot open),
  // D3DRMERR_NOTFOUND (no such mesh) or D3DRMERR_BADFILE (malformed).
  XFileError(HRESULT Result, const std::string& Message)
      : std::runtime_error(Message), result_(Result) {}
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// Reads the chosen mesh of the file at FileName. Throws XFileError.
XFileMesh ReadXFileMesh(const std::string& FileName, const XFileMeshChoice& Choice);

// The same for text already in memory; FileName is used in messages only.
XFileMesh ParseXFileMesh(std::string_view Text, const std::string& FileName,
                         const XFileMeshChoice& Choice);

}  // namespace platform::d3drm
