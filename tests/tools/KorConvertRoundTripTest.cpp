// korconvert's export and the way back: the demo model through glTF keeps what the renderer
// draws, each export format writes what its help says, and the committed sample is what the
// generator and the converter make today.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "model/KorWriter.h"
#include "tests/support/LoadedModel.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDirectory.h"
#include "tools/makesample/SampleModel.h"

namespace {

using testsupport::RunProgram;
using testsupport::TLoadedModel;

const std::string AssetsDir = KOR_ASSETS_DIR;
const std::string Korconvert = KOR_KORCONVERT;
constexpr float Tolerance = 1e-6f;

void Convert(const std::string& in, const std::string& out) {
  const auto run = RunProgram(Korconvert, {in, out});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
}

Matrix4 Composed(const TKorObject& object) {
  Matrix4 m;
  MatrixMultiply(object.Local, object.Base, m);
  return m;
}

// The triangles a face list draws: each fan's triangles, turned so the smallest index leads
// (keeping the winding), sorted.
std::vector<std::array<uint16_t, 3>> Triangles(const TKorObject& object) {
  std::vector<std::array<uint16_t, 3>> out;
  for (int32_t f = 0; f < object.FaceCount; ++f) {
    const TKorPolygon& p = object.Faces[static_cast<size_t>(f)];
    for (int32_t k = 1; k + 1 < p.Count; ++k) {
      std::array<uint16_t, 3> t{p.Indices[0], p.Indices[static_cast<size_t>(k)],
                                p.Indices[static_cast<size_t>(k + 1)]};
      std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
      out.push_back(t);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

void ExpectSameVertices(const TKorObject& a, const TKorObject& b, size_t object) {
  ASSERT_EQ(a.VertexCount, b.VertexCount) << "object " << object;
  for (int32_t i = 0; i < a.VertexCount; ++i) {
    const TKorVertex& u = a.Vertices[static_cast<size_t>(i)];
    const TKorVertex& v = b.Vertices[static_cast<size_t>(i)];
    const std::array<float, 8> x{u.X, u.Y, u.Z, u.NX, u.NY, u.NZ, u.U, u.V};
    const std::array<float, 8> y{v.X, v.Y, v.Z, v.NX, v.NY, v.NZ, v.U, v.V};
    for (size_t c = 0; c < x.size(); ++c) {
      ASSERT_NEAR(x[c], y[c], Tolerance)
          << "object " << object << " vertex " << i << " field " << c;
    }
    ASSERT_EQ(u.Color, v.Color) << "object " << object << " vertex " << i;
  }
}

// The pixels of a bitmap as RGB, through a decoder of its own.
std::vector<uint8_t> Pixels(const std::string& path) {
  int w = 0, h = 0, n = 0;
  stbi_uc* data = stbi_load(path.c_str(), &w, &h, &n, 3);
  EXPECT_NE(data, nullptr) << path;
  if (data == nullptr) return {};
  std::vector<uint8_t> out(data, data + static_cast<size_t>(w) * h * 3);
  stbi_image_free(data);
  return out;
}

void ExpectSameModel(const TLoadedModel& a, const TLoadedModel& b) {
  ASSERT_EQ(a.Objects.size(), b.Objects.size());
  EXPECT_EQ(a.Parents, b.Parents);
  for (size_t i = 0; i < a.Objects.size(); ++i) {
    const TKorObject& x = *a.Objects[i];
    const TKorObject& y = *b.Objects[i];
    EXPECT_EQ(x.Tag, y.Tag) << "object " << i;
    const Matrix4 mx = Composed(x), my = Composed(y);
    for (int e = 0; e < 16; ++e) EXPECT_NEAR(mx[e], my[e], Tolerance) << "object " << i;
    ExpectSameVertices(x, y, i);
    ASSERT_EQ(x.PointCount, y.PointCount) << "object " << i;
    for (int32_t p = 0; p < x.PointCount; ++p) {
      EXPECT_EQ(x.Points[p].x, y.Points[p].x);
      EXPECT_EQ(x.Points[p].y, y.Points[p].y);
      EXPECT_EQ(x.Points[p].z, y.Points[p].z);
    }
    EXPECT_EQ(Triangles(x), Triangles(y)) << "object " << i;
    for (int32_t f = 0; f < y.FaceCount; ++f) ASSERT_EQ(y.Faces[f].Flag, 6);
  }
}

TEST(KorConvertRoundTrip, DemoModelThroughGltfKeepsTreeTransformsAndGeometry) {
  testsupport::TempDirectory dir("korconvert_gltf");
  Convert(AssetsDir + "/wisp2.kor", dir.File("wisp.gltf"));
  EXPECT_TRUE(std::filesystem::exists(dir.File("wisp.bin")));
  Convert(dir.File("wisp.gltf"), dir.File("back.kor"));
  const TLoadedModel original(AssetsDir + "/wisp2.kor");
  const TLoadedModel back(dir.File("back.kor"));
  ExpectSameModel(original, back);
  // The child's matrix was Base only; it comes back in Local, Base the identity.
  EXPECT_EQ(back.Objects[1]->Base, IdentityMatrix);
  EXPECT_NE(back.Objects[1]->Local, IdentityMatrix);
  // Textures went out as PNG and came back as bitmaps with the same pixels.
  ASSERT_EQ(back.Index.TextureNames, original.Index.TextureNames);
  for (const std::string& name : original.Index.TextureNames) {
    EXPECT_EQ(Pixels(dir.File(name)), Pixels(AssetsDir + "/" + name)) << name;
  }
}

TEST(KorConvertRoundTrip, BinaryGltfKeepsTheSameModelWithItsPicturesInside) {
  testsupport::TempDirectory dir("korconvert_glb");
  Convert(AssetsDir + "/wisp2.kor", dir.File("wisp.glb"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("wisp_body.png")));
  // The same file gives the same bytes.
  testsupport::TempDirectory again("korconvert_glb_again");
  Convert(AssetsDir + "/wisp2.kor", again.File("wisp.glb"));
  EXPECT_EQ(testsupport::ReadBytes(dir.File("wisp.glb")),
            testsupport::ReadBytes(again.File("wisp.glb")));
  Convert(dir.File("wisp.glb"), dir.File("back.kor"));
  const TLoadedModel original(AssetsDir + "/wisp2.kor");
  const TLoadedModel back(dir.File("back.kor"));
  ExpectSameModel(original, back);
  ASSERT_EQ(back.Index.TextureNames, original.Index.TextureNames);
  for (const std::string& name : original.Index.TextureNames) {
    EXPECT_EQ(Pixels(dir.File(name)), Pixels(AssetsDir + "/" + name)) << name;
  }
}

// Counts the faces of an OBJ file that run counter-clockwise seen from outside, as OBJ's front
// faces do (cross product of the first two edges along the first corner's normal), and the rest.
std::pair<int, int> ObjWindings(const std::string& path) {
  std::vector<std::array<float, 3>> positions, normals;
  int counter = 0, clockwise = 0;
  std::istringstream text([&] {
    const auto bytes = testsupport::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }());
  for (std::string line; std::getline(text, line);) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    std::array<float, 3> xyz{};
    if (kind == "v" || kind == "vn") {
      words >> xyz[0] >> xyz[1] >> xyz[2];
      (kind == "v" ? positions : normals).push_back(xyz);
    } else if (kind == "f") {
      std::array<std::array<float, 3>, 3> p{};
      std::array<float, 3> n{};
      for (size_t k = 0; k < 3; ++k) {
        int v = 0, t = 0, vn = 0;
        char slash = 0;
        words >> v >> slash >> t >> slash >> vn;
        p[k] = positions.at(static_cast<size_t>(v - 1));
        if (k == 0) n = normals.at(static_cast<size_t>(vn - 1));
      }
      const std::array<float, 3> u{p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
      const std::array<float, 3> w{p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
      const float along = (u[1] * w[2] - u[2] * w[1]) * n[0] + (u[2] * w[0] - u[0] * w[2]) * n[1] +
                          (u[0] * w[1] - u[1] * w[0]) * n[2];
      (along > 0 ? counter : clockwise) += 1;
    }
  }
  return {counter, clockwise};
}

TEST(KorConvertRoundTrip, ObjPlacesEveryVertexInWorldSpaceWithItsMaterials) {
  testsupport::TempDirectory dir("korconvert_obj");
  Convert(AssetsDir + "/wisp2.kor", dir.File("wisp.obj"));
  const auto mtlBytes = testsupport::ReadBytes(dir.File("wisp.mtl"));
  const std::string mtlText(mtlBytes.begin(), mtlBytes.end());
  EXPECT_NE(mtlText.find("map_Kd wisp_body.png"), std::string::npos) << mtlText;
  EXPECT_NE(mtlText.find("map_Kd wisp_base.png"), std::string::npos) << mtlText;
  // The demo model's clockwise faces go out counter-clockwise, as OBJ's front faces run.
  const auto [counter, clockwise] = ObjWindings(dir.File("wisp.obj"));
  EXPECT_EQ(clockwise, 0);
  EXPECT_GT(counter, 2000);
  Convert(dir.File("wisp.obj"), dir.File("back.kor"));
  const TLoadedModel original(AssetsDir + "/wisp2.kor");
  const TLoadedModel back(dir.File("back.kor"));
  size_t triangles = 0, originalTriangles = 0;
  int32_t points = 0;
  float lowest = 1e9f;
  // Only the root has a matrix: the half turn from OBJ's y-up axes back to the renderer's.
  const Matrix4& turn = back.Objects[0]->Local;
  EXPECT_EQ(turn, (Matrix4{{1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}}));
  for (const TKorObject* object : back.Objects) {
    triangles += Triangles(*object).size();
    points += object->PointCount;
    if (object != back.Objects[0]) {
      EXPECT_EQ(object->Local, IdentityMatrix);
    }
    for (int32_t i = 0; i < object->VertexCount; ++i) {
      const TKorVertex& v = object->Vertices[i];
      lowest = std::min(lowest, v.X * turn[2] + v.Y * turn[6] + v.Z * turn[10] + turn[14]);
    }
  }
  for (const TKorObject* object : original.Objects) originalTriangles += Triangles(*object).size();
  EXPECT_EQ(triangles, originalTriangles);
  EXPECT_EQ(points, original.Objects[0]->PointCount);
  // The base sits at z 0 in its own space and is moved down by 0.5 by its Base matrix.
  EXPECT_FLOAT_EQ(lowest, -0.5f);
}

TEST(KorConvertRoundTrip, ObjectOfTwoTexturesGoesOutAsOneMeshPerTexture) {
  testsupport::TempDirectory dir("korconvert_two_textures");
  for (const char* name : {"wisp_body.bmp", "wisp_base.bmp"}) {
    std::filesystem::copy_file(AssetsDir + "/" + name, dir.File(name));
  }
  // A quad of two clockwise triangles, one per texture, sharing an edge; vertex 4 is unused.
  TKorFileRecord file;
  file.TextureNames = {"wisp_body.bmp", "wisp_base.bmp"};
  TKorObjectRecord object;
  object.Tag = 0x01020304;  // not text: the node is named after the object's number
  for (const auto& [x, y] :
       std::vector<std::pair<float, float>>{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {9, 9}}) {
    TKorVertex v;
    v.X = x;
    v.Y = y;
    v.NZ = 1;
    v.Color = 0xFF808080u;
    object.Vertices.push_back(v);
  }
  object.Faces = {{{0, 2, 1}, 6, 0}, {{0, 3, 2}, 6, 1}};
  file.Objects = {object};
  testsupport::WriteBytes(dir.File("two.kor"), EncodeKorFile(file));
  Convert(dir.File("two.kor"), dir.File("two.gltf"));
  Convert(dir.File("two.gltf"), dir.File("back.kor"));
  const TLoadedModel back(dir.File("back.kor"));
  ASSERT_EQ(back.Objects.size(), 1u);
  const TKorObject& out = *back.Objects[0];
  EXPECT_EQ(out.Tag, 0x656a626f);  // "obje" (little-endian), from "object 0"
  // Each mesh carries the vertices its faces name: the shared edge twice, the unused one not.
  EXPECT_EQ(out.VertexCount, 6);
  ASSERT_EQ(out.FaceCount, 2);
  for (int32_t f = 0; f < 2; ++f) {
    const TKorPolygon& p = out.Faces[f];
    float xs = 0;
    for (uint16_t i : p.Indices) xs += out.Vertices[i].X;
    // The triangle with corners at x 0, 1, 1 is the first texture's; 0, 0, 1 the second's.
    EXPECT_EQ(p.TexRef->Name, xs == 2 ? "wisp_body.bmp" : "wisp_base.bmp");
    EXPECT_EQ(out.Vertices[p.Indices[0]].Color, 0xFF808080u);
  }
}

// The positions of an OBJ file's "v" lines.
std::vector<std::array<float, 3>> ObjPositions(const std::string& path) {
  const auto bytes = testsupport::ReadBytes(path);
  std::istringstream text(std::string(bytes.begin(), bytes.end()));
  std::vector<std::array<float, 3>> out;
  for (std::string line; std::getline(text, line);) {
    std::istringstream words(line);
    std::string kind;
    std::array<float, 3> xyz{};
    if (words >> kind && kind == "v" && words >> xyz[0] >> xyz[1] >> xyz[2]) out.push_back(xyz);
  }
  return out;
}

// Local turns and Base moves: the renderer applies Local first (Local x Base), and a child's
// transform before its parent's. Export must place vertices the same way.
TEST(KorConvertRoundTrip, ExportComposesLocalThenBaseThenTheParent) {
  testsupport::TempDirectory dir("korconvert_matrices");
  std::filesystem::copy_file(AssetsDir + "/wisp_body.bmp", dir.File("wisp_body.bmp"));
  TKorFileRecord file;
  file.TextureNames = {"wisp_body.bmp"};
  TKorObjectRecord parent, child;
  MakeMatrix(parent.Local, 0, 0, 0, 0, 0, 1.5707963f);  // a quarter turn, x toward y
  MakeMatrix(parent.Base, 5, 0, 0, 0, 0, 0);
  MakeMatrix(child.Local, 0, 0, 2, 0, 0, 0);
  child.ParentIndex = 0;
  std::memcpy(&parent.Tag, "PRNT", 4);
  std::memcpy(&child.Tag, "CHLD", 4);
  for (TKorObjectRecord* object : {&parent, &child}) {
    for (float x : {1.0f, 0.0f, 0.0f}) {
      TKorVertex v;
      v.X = x;
      v.Y = x == 0 && object->Vertices.size() == 2 ? 1.0f : 0.0f;
      v.NZ = 1;
      object->Vertices.push_back(v);
    }
    object->Faces = {{{0, 1, 2}, 6, 0}};
  }
  file.Objects = {parent, child};
  testsupport::WriteBytes(dir.File("m.kor"), EncodeKorFile(file));
  Convert(dir.File("m.kor"), dir.File("m.obj"));
  const auto positions = ObjPositions(dir.File("m.obj"));
  const auto has = [&](float x, float y, float z) {
    return std::any_of(positions.begin(), positions.end(), [&](const auto& p) {
      return std::fabs(p[0] - x) < 1e-5f && std::fabs(p[1] - y) < 1e-5f &&
             std::fabs(p[2] - z) < 1e-5f;
    });
  };
  // Last of all the root's half turn about x takes (x, y, z) to OBJ's y-up (x, -y, -z).
  EXPECT_TRUE(has(5, -1, 0)) << "parent's (1, 0, 0): turned to (0, 1, 0), then moved";
  EXPECT_TRUE(has(5, 0, 0)) << "parent's origin";
  EXPECT_TRUE(has(5, -1, -2)) << "child's (1, 0, 0): moved up by its Local, then the parent's";
  EXPECT_TRUE(has(4, 0, -2)) << "child's (0, 1, 0)";
  // Through glTF the tree comes back with the composed matrices in Local: the half turn
  // import adds after the root node's matrix undoes the one export added.
  Convert(dir.File("m.kor"), dir.File("m.gltf"));
  Convert(dir.File("m.gltf"), dir.File("back.kor"));
  const TLoadedModel original(dir.File("m.kor"));
  const TLoadedModel back(dir.File("back.kor"));
  ExpectSameModel(original, back);
}

TEST(KorConvertSample, GeneratorAndConverterRemakeTheCommittedFiles) {
  const std::string samples = AssetsDir + "/samples";
  for (const TSampleFile& file : MakeSampleFiles()) {
    EXPECT_EQ(file.Bytes, testsupport::ReadBytes(samples + "/" + file.Name))
        << file.Name << " differs";
  }
  testsupport::TempDirectory dir("korconvert_sample");
  Convert(samples + "/crate.obj", dir.File("crate.kor"));
  for (const char* name : {"crate.kor", "crate_wood.bmp", "white.bmp"}) {
    EXPECT_EQ(testsupport::ReadBytes(dir.File(name)), testsupport::ReadBytes(samples + "/" + name))
        << name << " differs";
  }
}

}  // namespace
