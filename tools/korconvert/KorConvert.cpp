#include "tools/korconvert/KorConvert.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "model/ModelError.h"
#include "tools/korconvert/ConvertError.h"
#include "tools/korconvert/KorExport.h"
#include "tools/korconvert/KorImport.h"

const char* const KorConvertHelp =
    R"(usage: korconvert IN OUT.kor               import a model into a .kor file
       korconvert IN.kor OUT.gltf|.glb|.obj  export a .kor file
       korconvert --help

Import reads OBJ, glTF 2.0, FBX, Collada, 3DS, PLY, STL and the other formats of Open Asset
Import Library. Each node becomes an object of the same tree: the node's matrix goes into
Local (the root's followed by the half turn below), Base is the identity, the node name's
first four bytes into Tag. Each node's meshes become its object's vertices and faces; every
face is a textured face of flag 6, the one the renderer draws (a polygon of more than 128
indices becomes several fans). Normals are generated where missing (smooth across edges
under 80 degrees). Vertex colours come from the mesh, else the material's diffuse colour,
else white; a mesh without a texture gets a 1 x 1 white texture. PNG and JPEG textures
become 8-bit palettised BMP files beside OUT (more than 256 colours are quantised with
libimagequant; transparency is dropped; a side over 1,024 pixels, the most the renderer's
device takes, is scaled down). Point meshes become the object's points; lines, bones,
animations, cameras and lights are left out. Refused: more than 256 textures, 1,025
objects, 65,536 vertices.

Axes: the other formats are y-up and look toward -z; a .kor file's world is y-down (screen
y grows with y) and its camera looks along +z. Import composes a half turn about x (y to
-y, z to -z) into the root object's Local, after the root node's matrix; export composes
the same half turn (its own inverse) into the root node's matrix. Vertices keep their
coordinates: only the root's matrix changes, and the half turn added on the way out is
taken off exactly on the way back. It is a rotation: it changes neither handedness nor the
way faces wind.

Front faces run clockwise seen from outside in a .kor file (the demo's model, drawn with
counter-clockwise faces culled) and counter-clockwise in the other formats: each face's
corners are reversed on the way in and on the way out.

Export writes the tree, faces, normals, texture coordinates, vertex colours and points,
with every texture as a PNG (beside OUT, or inside a .glb). An object has two matrices,
a node one: the node gets the object's transform as the renderer composes it, Local x
Base (the root's followed by the half turn above). Not kept: untextured faces (never
drawn), face flags, and Tag bytes that are not text (the node is named "object N" then).
  .gltf  glTF 2.0 text with a .bin buffer beside it: the tree, with each face split into the
         triangles of its fan and the points as a separate point primitive of the node.
  .glb   the same in one binary file, the textures (PNG) inside it.
  .obj   OBJ with a .mtl material library: no tree and no matrices (every vertex placed in
         world space, one group a mesh), triangles, points; vertex colours as the common
         "v x y z r g b" extension.

Nothing is left at OUT when a conversion fails: files are written aside and renamed. Files of
the same names beside OUT (an earlier conversion's textures) are replaced.
)";

namespace {

bool EndsWithKor(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".kor";
}

}  // namespace

int RunKorConvert(const std::vector<std::string>& Args, TPaletteQuantiser* Quantiser,
                  std::ostream& Out, std::ostream& Err) {
  if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
    Out << KorConvertHelp;
    return 0;
  }
  if (Args.size() != 2) {
    Err << "usage: korconvert IN OUT.kor | korconvert IN.kor OUT.gltf|OUT.glb|OUT.obj"
           " (korconvert --help tells more)\n";
    return 2;
  }
  const std::string& in = Args[0];
  const std::string& out = Args[1];
  try {
    if (EndsWithKor(out)) {
      ImportToKor(in, out, Quantiser, Err);
    } else if (EndsWithKor(in)) {
      ExportKor(in, out);
    } else {
      throw EKorConvertError("one of IN and OUT must be a .kor file");
    }
  } catch (const std::exception& error) {
    Err << "korconvert: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
