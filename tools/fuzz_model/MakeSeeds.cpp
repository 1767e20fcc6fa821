// fuzz_model_seeds <directory>: writes small model files that reach every part of the loader,
// as a starting corpus for the fuzz target (run.sh adds the demo's wisp2.kor).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "model/KorWriter.h"

namespace {

TKorVertex Vertex(float x, float y, float z) {
  TKorVertex v;
  v.X = x;
  v.Y = y;
  v.Z = z;
  v.NZ = -1;
  v.Color = 0xFFFFFFFFu;
  return v;
}

TKorObjectRecord Quad(int32_t parent, int32_t texture) {
  TKorObjectRecord object;
  object.Vertices = {Vertex(0, 0, 0), Vertex(0, 1, 0), Vertex(1, 1, 0), Vertex(1, 0, 0)};
  object.Faces = {{{0, 1, 2, 3}, 6, texture}};
  object.ParentIndex = parent;
  return object;
}

void Write(const std::string& path, const TKorFileRecord& file) {
  const std::vector<uint8_t> bytes = EncodeKorFile(file);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed directory>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  TKorFileRecord repeats;  // a table naming A, B, A
  repeats.TextureNames = {"a.bmp", "b.bmp", "a.bmp"};
  repeats.Objects = {Quad(-1, 0)};
  repeats.Objects[0].Faces.push_back({{3, 2, 1}, 6, 2});
  repeats.Objects[0].Faces.push_back({{0, 2, 1}, 6, 1});
  Write(dir + "/repeats.kor", repeats);

  TKorFileRecord empty;  // no textures, one empty root
  empty.Objects = {TKorObjectRecord{}};
  Write(dir + "/empty.kor", empty);

  TKorFileRecord tree;  // children in file order, a grandchild, an object outside the tree
  tree.TextureNames = {"maps\\c.bmp", "c.bmp"};
  tree.Objects = {Quad(-1, 1), Quad(0, 1), Quad(0, 1), Quad(1, 1), Quad(-1, 1), Quad(4, 1)};
  Write(dir + "/tree.kor", tree);

  TKorFileRecord everything;  // points, plain faces and a Flag with high bytes set
  everything.TextureNames = {"b.bmp"};
  everything.Objects = {Quad(-1, 0)};
  everything.Objects[0].Faces[0].Flag = 0x105;
  everything.Objects[0].Points = {{1, 2, 3}, {-1, -2, -3}};
  everything.Objects[0].PlainFaces = {{{0, 1}, 0x206, 0}, {{}, 0, 0}};
  Write(dir + "/everything.kor", everything);

  TKorFileRecord degenerate;  // faces of no index, one and two, which load as they are
  degenerate.TextureNames = {"a.bmp"};
  degenerate.Objects = {Quad(-1, 0)};
  degenerate.Objects[0].Faces = {{{}, 6, 0}, {{2}, 6, 0}, {{0, 3}, 6, 0}, {{0, 1, 2}, 6, 0}};
  Write(dir + "/degenerate.kor", degenerate);

  TKorFileRecord missing;  // a bitmap the fake view cannot load, after one it can
  missing.TextureNames = {"a.bmp", "missing.bmp"};
  missing.Objects = {Quad(-1, 0)};
  Write(dir + "/missing.kor", missing);
  return 0;
}
