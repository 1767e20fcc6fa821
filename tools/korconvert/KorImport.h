// Import: any scene Open Asset Import Library reads becomes a ".kor" file with its textures as
// 8-bit palettised bitmaps beside it.
//
// - Each node becomes one object, in the node tree's shape: its matrix goes into Local, Base is
//   the identity, its name's first four bytes into Tag. The root's Local is followed by the
//   half turn about x that takes the format's y-up axes to the renderer's y-down ones. Children are
//   written so that the tree the loader builds walks them in the node's order.
// - The node's meshes become that object's vertices and faces. Polygons keep their shape as
//   triangle fans; one of more than 128 indices becomes several fans of at most 128. Point
//   meshes become the object's points. Lines are left out, with a note. Corners are reversed:
//   front faces run counter-clockwise in those formats, clockwise in ".kor" files.
// - Every face is a textured face of flag 6, the one the renderer draws. A mesh without a
//   texture gets a 1 x 1 white one and carries its colour in the vertex colours.
// - Normals are generated where missing (shared across edges under 80 degrees); vertex colours
//   come from the mesh, else from the material's diffuse colour, else white.
// - Limits of the format and the renderer are checked before anything is written: at most 256
//   textures, 1,025 objects, 65,536 vertices in the whole model (a frame addresses its vertices
//   with 16-bit indices, so splitting a mesh cannot help), texture names of at most 255 bytes.
#pragma once

#include <ostream>
#include <string>

#include "model/KorWriter.h"
#include "tools/korconvert/TextureImage.h"

// What the renderer can draw in one frame; a bigger model is refused.
constexpr int32_t KorMaxModelVertices = 65536;
// The largest texture side the software device takes; bigger pictures are scaled down.
constexpr int32_t KorMaxTextureSide = 1024;
// Texture numbers pick one of 256 queues.
constexpr int32_t KorMaxTextures = 256;
// The polygon's flag the renderer draws.
constexpr int32_t KorDrawnFaceFlag = 6;

// A converted model before it is written: the file record and each texture's picture, in the
// order of the file's texture table.
struct TKorConversion {
  TKorFileRecord File;
  std::vector<TPalettedImage> Textures;
};

// Reads InPath and converts it; throws EKorConvertError naming the file, mesh or limit.
// Notes (things left out) go to Notes.
TKorConversion ImportScene(const std::string& InPath, TPaletteQuantiser* Quantiser,
                           std::ostream& Notes);

// ImportScene, then writes OutPath and its bitmaps; nothing appears unless all of it is written.
void ImportToKor(const std::string& InPath, const std::string& OutPath,
                 TPaletteQuantiser* Quantiser, std::ostream& Notes);
