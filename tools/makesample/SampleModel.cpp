#include "tools/makesample/SampleModel.h"

#include <stb_image_write.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

constexpr int kTextureSize = 64;
constexpr int kPlinthSides = 8;

// Planks: four boards a side with dark gaps between them and a nail at each board's ends. A
// handful of colours, so the converted bitmap keeps them exactly.
std::vector<uint8_t> WoodPixels() {
  const std::array<std::array<uint8_t, 3>, 4> boards{
      {{176, 122, 68}, {160, 108, 58}, {186, 132, 76}, {150, 100, 54}}};
  std::vector<uint8_t> rgb;
  for (int y = 0; y < kTextureSize; ++y) {
    for (int x = 0; x < kTextureSize; ++x) {
      const int board = y / 16, row = y % 16;
      std::array<uint8_t, 3> c = boards[static_cast<size_t>(board)];
      if (row == 0 || row == 15) c = {92, 60, 30};                              // gap
      if ((x == 4 || x == 59) && (row == 7 || row == 8)) c = {60, 60, 64};      // nail
      if ((x + 3 * board) % 16 == 0 && row > 2 && row < 13) c = {136, 90, 46};  // grain
      if (x == 0 || x == kTextureSize - 1) c = {92, 60, 30};                    // frame
      rgb.insert(rgb.end(), c.begin(), c.end());
    }
  }
  return rgb;
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

std::vector<uint8_t> WoodPng() {
  const std::vector<uint8_t> rgb = WoodPixels();
  std::vector<uint8_t> png;
  stbi_write_png_to_func(AppendBytes, &png, kTextureSize, kTextureSize, 3, rgb.data(),
                         kTextureSize * 3);
  return png;
}

// Text built with fixed-point formatting ("%.4f" is not affected by the C++ locale, and the
// program never sets the C locale).
class TText {
 public:
  TText& Line(const char* format, double a = 0, double b = 0, double c = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    text += buffer;
    text += '\n';
    return *this;
  }
  TText& Raw(const std::string& line) {
    text += line + '\n';
    return *this;
  }
  std::vector<uint8_t> Bytes() const { return {text.begin(), text.end()}; }

 private:
  std::string text;
};

// The crate: a cube of side 2 on the plinth, each face with its own normal and the whole
// picture. Vertices 1-8 are the corners, texture coordinates 1-4 the picture's corners.
void Crate(TText& obj) {
  obj.Raw("o crate").Raw("usemtl wood");
  for (int i = 0; i < 8; ++i) {
    obj.Line("v %.4f %.4f %.4f", (i & 1) ? 1.0 : -1.0, (i & 2) ? 2.6 : 0.6, (i & 4) ? 1.0 : -1.0);
  }
  obj.Raw("vt 0 0").Raw("vt 1 0").Raw("vt 1 1").Raw("vt 0 1");
  const std::array<std::array<int, 4>, 6> faces{{{1, 5, 7, 3},    // -x
                                                 {6, 2, 4, 8},    // +x
                                                 {1, 2, 6, 5},    // -y
                                                 {7, 8, 4, 3},    // +y
                                                 {2, 1, 3, 4},    // -z
                                                 {5, 6, 8, 7}}};  // +z
  const std::array<std::array<int, 3>, 6> normals{
      {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}}};
  for (const auto& n : normals) obj.Line("vn %.0f %.0f %.0f", n[0], n[1], n[2]);
  for (size_t f = 0; f < faces.size(); ++f) {
    std::string line = "f";
    for (int k = 0; k < 4; ++k) {
      line += " " + std::to_string(faces[f][static_cast<size_t>(k)]) + "/" + std::to_string(k + 1) +
              "/" + std::to_string(f + 1);
    }
    obj.Raw(line);
  }
}

// The plinth: an eight-sided prism under the crate, with no normals and no texture.
void Plinth(TText& obj) {
  obj.Raw("o plinth").Raw("usemtl paint");
  const double pi = std::acos(-1.0);
  for (int level = 0; level < 2; ++level) {
    for (int i = 0; i < kPlinthSides; ++i) {
      const double angle = 2 * pi * (i + 0.5) / kPlinthSides;
      obj.Line("v %.4f %.4f %.4f", 1.9 * std::cos(angle), level == 0 ? 0.0 : 0.6,
               1.9 * std::sin(angle));
    }
  }
  // Corners continue after the crate's eight: bottom ring 9-16, top ring 17-24.
  std::string bottom = "f", top = "f";
  for (int i = 0; i < kPlinthSides; ++i) {
    bottom += " " + std::to_string(9 + i);
    top += " " + std::to_string(17 + kPlinthSides - 1 - i);
  }
  obj.Raw(top).Raw(bottom);
  for (int i = 0; i < kPlinthSides; ++i) {
    const int j = (i + 1) % kPlinthSides;
    obj.Raw("f " + std::to_string(9 + j) + " " + std::to_string(9 + i) + " " +
            std::to_string(17 + i) + " " + std::to_string(17 + j));
  }
}

std::vector<uint8_t> Obj() {
  TText obj;
  obj.Raw("# A plank crate on an octagonal plinth: the korconvert sample (made by makesample).");
  obj.Raw("mtllib crate.mtl");
  Crate(obj);
  Plinth(obj);
  return obj.Bytes();
}

std::vector<uint8_t> Mtl() {
  TText mtl;
  mtl.Raw("# Materials of crate.obj (made by makesample).");
  mtl.Raw("newmtl wood").Raw("Kd 1 1 1").Raw("map_Kd crate_wood.png");
  mtl.Raw("newmtl paint").Raw("Kd 0.7 0.18 0.12");
  return mtl.Bytes();
}

}  // namespace

std::vector<TSampleFile> MakeSampleFiles() {
  return {{"crate.obj", Obj()}, {"crate.mtl", Mtl()}, {"crate_wood.png", WoodPng()}};
}

void WriteSampleFiles(const std::string& Directory) {
  for (const TSampleFile& file : MakeSampleFiles()) {
    const std::string path = Directory + "/" + file.Name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.Bytes.data()),
              static_cast<std::streamsize>(file.Bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
  }
}
