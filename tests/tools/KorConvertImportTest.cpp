// korconvert's import: what a scene becomes (textures, colours, normals, long polygons), and
// every kind of bad input refused with a message and nothing left at the output.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/LoadedModel.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDirectory.h"
#include "tools/korconvert/ConvertError.h"
#include "tools/korconvert/KorImport.h"

namespace {

using testsupport::RunProgram;
using testsupport::TLoadedModel;
namespace fs = std::filesystem;

const std::string AssetsDir = KOR_ASSETS_DIR;
const std::string Korconvert = KOR_KORCONVERT;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb) {
  ASSERT_NE(stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3), 0) << path;
}

// One triangle per group, each with its own material, in an OBJ of Count groups.
std::string Triangles(int count, bool ownMaterial) {
  std::string obj = ownMaterial ? "mtllib m.mtl\n" : "";
  for (int i = 0; i < count; ++i) {
    obj += "o t" + std::to_string(i) + "\n";
    if (ownMaterial) obj += "usemtl m" + std::to_string(i) + "\n";
    obj += "v " + std::to_string(i) + " 0 0\nv " + std::to_string(i) + " 1 0\nv " +
           std::to_string(i) + " 0 1\nf -3 -2 -1\n";
  }
  return obj;
}

// Runs a conversion that must fail: status 1, a message containing Expected, and the output
// path still holding what it held before, with no staging files left beside it.
void ExpectRefused(const std::string& in, const std::string& out, const std::string& expected) {
  const std::vector<uint8_t> before{'o', 'l', 'd'};
  testsupport::WriteBytes(out, before);
  const auto entriesBefore =
      std::distance(fs::directory_iterator(fs::path(out).parent_path()), fs::directory_iterator());
  const auto run = RunProgram(Korconvert, {in, out});
  EXPECT_EQ(run.Status, 1) << run.Err;
  EXPECT_NE(run.Err.find(expected), std::string::npos) << run.Err;
  EXPECT_EQ(run.Err.rfind("korconvert: ", 0), 0u) << run.Err;
  EXPECT_EQ(testsupport::ReadBytes(out), before);
  EXPECT_EQ(
      std::distance(fs::directory_iterator(fs::path(out).parent_path()), fs::directory_iterator()),
      entriesBefore);
}

TEST(KorConvertImport, SampleGetsTexturesColoursAndNormalsTheRendererDraws) {
  testsupport::TempDirectory dir("korconvert_sample_import");
  const auto run = RunProgram(Korconvert, {AssetsDir + "/samples/crate.obj", dir.File("c.kor")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TLoadedModel model(dir.File("c.kor"));
  ASSERT_EQ(model.Objects.size(), 3u);  // the file's node and its two groups, in file order
  EXPECT_EQ(model.Parents, (std::vector<int>{-1, 0, 0}));
  // OBJ's y-up axes become the renderer's y-down ones by an exact half turn about x at the
  // root; the groups keep their identity matrices and the vertices their coordinates.
  EXPECT_EQ(model.Objects[0]->Local, (Matrix4{{1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}}));
  EXPECT_EQ(model.Objects[1]->Local, IdentityMatrix);
  EXPECT_EQ(model.Objects[2]->Local, IdentityMatrix);
  const TKorObject& crate = *model.Objects[1];
  const TKorObject& plinth = *model.Objects[2];
  EXPECT_EQ(crate.FaceCount, 6);
  EXPECT_EQ(crate.Faces[0].TexRef->Name, "crate_wood.bmp");
  // The plinth has no texture: a white one, and the material's red in the vertex colours.
  EXPECT_EQ(plinth.Faces[0].TexRef->Name, "white.bmp");
  int w = 0, h = 0, n = 0;
  stbi_uc* white = stbi_load(dir.File("white.bmp").c_str(), &w, &h, &n, 3);
  ASSERT_NE(white, nullptr);
  EXPECT_EQ(w * h, 1);
  EXPECT_EQ(white[0] & white[1] & white[2], 255);
  stbi_image_free(white);
  for (int32_t i = 0; i < plinth.VertexCount; ++i) {
    const TKorVertex& v = plinth.Vertices[i];
    EXPECT_EQ(v.Color, 0xFFB32E1Fu);  // Kd 0.7 0.18 0.12
    // Generated normals are unit length; the caps keep theirs straight up or down.
    EXPECT_NEAR(std::hypot(v.NX, v.NY, v.NZ), 1.0f, 1e-5f);
    if (v.Y == 0.6f && std::fabs(v.NY) > 0.5f) {
      EXPECT_NEAR(v.NY, 1.0f, 1e-6f);
    }
  }
  // The eight-sided caps stay one fan each; every face is textured and drawn.
  int caps = 0;
  for (const TKorObject* object : model.Objects) {
    for (int32_t f = 0; f < object->FaceCount; ++f) {
      EXPECT_EQ(object->Faces[f].Flag, 6);
      EXPECT_NE(object->Faces[f].TexRef, nullptr);
      caps += object->Faces[f].Count == 8;
    }
  }
  EXPECT_EQ(caps, 2);
  // The crate's own normals and white vertex colour (Kd 1 1 1) are kept.
  for (int32_t i = 0; i < crate.VertexCount; ++i) {
    const TKorVertex& v = crate.Vertices[i];
    EXPECT_EQ(std::fabs(v.NX) + std::fabs(v.NY) + std::fabs(v.NZ), 1.0f);
    EXPECT_EQ(v.Color, 0xFFFFFFFFu);
  }
}

// How many faces of the model run clockwise seen from outside (their first triangle's cross
// product against its first corner's outward normal), and how many counter-clockwise.
std::pair<int, int> Windings(const TLoadedModel& model) {
  int clockwise = 0, counter = 0;
  for (const TKorObject* object : model.Objects) {
    for (int32_t f = 0; f < object->FaceCount; ++f) {
      const TKorPolygon& p = object->Faces[f];
      const TKorVertex& a = object->Vertices[p.Indices[0]];
      const TKorVertex& b = object->Vertices[p.Indices[1]];
      const TKorVertex& c = object->Vertices[p.Indices[2]];
      const float ux = b.X - a.X, uy = b.Y - a.Y, uz = b.Z - a.Z;
      const float vx = c.X - a.X, vy = c.Y - a.Y, vz = c.Z - a.Z;
      const float along =
          (uy * vz - uz * vy) * a.NX + (uz * vx - ux * vz) * a.NY + (ux * vy - uy * vx) * a.NZ;
      (along < 0 ? clockwise : counter) += 1;
    }
  }
  return {clockwise, counter};
}

TEST(KorConvertImport, FacesRunClockwiseSeenFromOutsideAsInTheDemoModel) {
  const TLoadedModel demo(AssetsDir + "/wisp2.kor");
  const auto [demoClockwise, demoCounter] = Windings(demo);
  EXPECT_EQ(demoCounter, 0);
  EXPECT_GT(demoClockwise, 1000);
  // The sample's OBJ faces run counter-clockwise, as OBJ's do; converted, they run clockwise.
  const TLoadedModel sample(AssetsDir + "/samples/crate.kor");
  const auto [clockwise, counter] = Windings(sample);
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(clockwise, 16);
}

TEST(KorConvertImport, PolygonOverTheIndexLimitBecomesFansOfTheSameTriangles) {
  testsupport::TempDirectory dir("korconvert_long_polygon");
  constexpr int corners = 300;
  std::string obj, face = "f";
  for (int i = 0; i < corners; ++i) {
    const double a = 6.283185307179586 * i / corners;
    obj += "v " + std::to_string(std::cos(a)) + " " + std::to_string(std::sin(a)) + " 0\n";
    face += " " + std::to_string(i + 1);
  }
  WriteText(dir.File("disc.obj"), obj + face + "\n");
  const auto run = RunProgram(Korconvert, {dir.File("disc.obj"), dir.File("disc.kor")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TLoadedModel model(dir.File("disc.kor"));
  int triangles = 0, fans = 0;
  for (const TKorObject* object : model.Objects) {
    for (int32_t f = 0; f < object->FaceCount; ++f) {
      const TKorPolygon& p = object->Faces[f];
      ++fans;
      EXPECT_LE(p.Count, 128);
      EXPECT_EQ(p.Indices[0], object->Faces[0].Indices[0]);  // all fans share the first corner
      if (f > 0) {  // and each continues where the one before ended
        EXPECT_EQ(p.Indices[1], object->Faces[f - 1].Indices.back());
      }
      triangles += p.Count - 2;
    }
  }
  EXPECT_EQ(fans, 3);
  EXPECT_EQ(triangles, corners - 2);
}

// The largest difference of any channel between a 4,096-colour ramp, written as File (PNG or
// JPEG), and the 8-bit bitmap the converter makes of it.
int RampError(const std::string& file) {
  testsupport::TempDirectory dir("korconvert_quantise");
  constexpr int size = 64;
  std::vector<uint8_t> rgb;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      rgb.insert(rgb.end(), {static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4),
                             static_cast<uint8_t>(128 + (x + y) % 7)});
    }
  }
  const std::string path = dir.File(file);
  const bool png = file.ends_with(".png");
  EXPECT_NE(png ? stbi_write_png(path.c_str(), size, size, 3, rgb.data(), size * 3)
                : stbi_write_jpg(path.c_str(), size, size, 3, rgb.data(), 95),
            0);
  WriteText(dir.File("m.mtl"), "newmtl m0\nmap_Kd " + file + "\n");
  WriteText(dir.File("q.obj"), Triangles(1, true));
  const auto run = RunProgram(Korconvert, {dir.File("q.obj"), dir.File("q.kor")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  const std::vector<uint8_t> bmp = testsupport::ReadBytes(dir.File("ramp.bmp"));
  EXPECT_GT(bmp.size(), 30u);
  if (bmp.size() <= 30) return 255;
  EXPECT_EQ(bmp[28], 8);  // bits per pixel
  int w = 0, h = 0, n = 0;
  stbi_uc* back = stbi_load(dir.File("ramp.bmp").c_str(), &w, &h, &n, 3);
  EXPECT_EQ(w, size);
  if (back == nullptr || w != size) return 255;
  int worst = 0;
  for (size_t i = 0; i < rgb.size(); ++i) worst = std::max(worst, std::abs(back[i] - rgb[i]));
  stbi_image_free(back);
  return worst;
}

TEST(KorConvertImport, PngAndJpegTexturesOfManyColoursBecomeEightBitBitmaps) {
  EXPECT_LE(RampError("ramp.png"), 24);
  EXPECT_LE(RampError("ramp.jpg"), 40);  // JPEG adds its own error
}

TEST(KorConvertImport, PointsBecomePointsLinesAreLeftOutWithANote) {
  testsupport::TempDirectory dir("korconvert_primitives");
  WriteText(dir.File("p.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 6 7\np 4\nl 1 2\nf 1 2 3\n");
  const auto run = RunProgram(Korconvert, {dir.File("p.obj"), dir.File("p.kor")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("holds only lines; left out"), std::string::npos) << run.Err;
  const TLoadedModel model(dir.File("p.kor"));
  int points = 0, faces = 0;
  for (const TKorObject* object : model.Objects) {
    faces += object->FaceCount;
    for (int32_t i = 0; i < object->PointCount; ++i, ++points) {
      EXPECT_EQ(object->Points[i].x, 5.0f);
      EXPECT_EQ(object->Points[i].z, 7.0f);
    }
  }
  EXPECT_EQ(points, 1);
  EXPECT_EQ(faces, 1);
}

TEST(KorConvertImport, TextureLargerThanTheDeviceTakesIsScaledDown) {
  testsupport::TempDirectory dir("korconvert_large_texture");
  std::vector<uint8_t> rgb(1500 * 700 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>((i / 3 % 1500) / 6);
  WritePng(dir.File("wide.png"), 1500, 700, rgb);
  WriteText(dir.File("m.mtl"), "newmtl m0\nmap_Kd wide.png\n");
  WriteText(dir.File("t.obj"), Triangles(1, true));
  const auto run = RunProgram(Korconvert, {dir.File("t.obj"), dir.File("t.kor")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("(1500 x 700) scaled down to 1024 x 478"), std::string::npos) << run.Err;
  int w = 0, h = 0, n = 0;
  stbi_uc* back = stbi_load(dir.File("wide.bmp").c_str(), &w, &h, &n, 3);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 478);
  // The ramp runs left to right across the whole picture still.
  EXPECT_LT(back[0], 4);
  EXPECT_GT(back[(1023) * 3], 240);
  stbi_image_free(back);
}

TEST(KorConvertImport, LongTextureNamesAreShortenedWithinTheFormatsLimit) {
  testsupport::TempDirectory dir("korconvert_long_names");
  const std::string stem(250, 'n');
  WritePng(dir.File(stem + ".png"), 1, 1, {10, 20, 30});
  WriteText(dir.File("m.mtl"), "newmtl m0\nmap_Kd " + stem + ".png\n");
  WriteText(dir.File("t.obj"), Triangles(1, true));
  const auto run = RunProgram(Korconvert, {dir.File("t.obj"), dir.File("t.kor")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TLoadedModel model(dir.File("t.kor"));
  ASSERT_EQ(model.Index.TextureNames.size(), 1u);
  EXPECT_LE(model.Index.TextureNames[0].size(), 255u);
  EXPECT_TRUE(fs::exists(dir.File(model.Index.TextureNames[0])));
}

TEST(KorConvertErrors, UnreadableUnsupportedAndEmptyInputs) {
  testsupport::TempDirectory dir("korconvert_bad_inputs");
  ExpectRefused(dir.File("missing.obj"), dir.File("out.kor"), "cannot read");
  WriteText(dir.File("noise.xyz"), "this is not a model\n");
  ExpectRefused(dir.File("noise.xyz"), dir.File("out.kor"), "cannot import");
  WriteText(dir.File("empty.obj"), "# nothing\nv 0 0 0\nv 1 0 0\n");
  ExpectRefused(dir.File("empty.obj"), dir.File("out.kor"), "holds no meshes: the scene is empty");
  ExpectRefused(AssetsDir + "/wisp2.kor", dir.File("out.fbx"), ".gltf, .glb or .obj");
  std::vector<uint8_t> truncated = testsupport::ReadBytes(AssetsDir + "/wisp2.kor");
  truncated.resize(truncated.size() / 2);
  testsupport::WriteBytes(dir.File("half.kor"), truncated);
  ExpectRefused(dir.File("half.kor"), dir.File("out.gltf"), "half.kor");
  fs::create_directory(dir.File("folder.kor"));
  const auto folder =
      RunProgram(Korconvert, {AssetsDir + "/samples/crate.obj", dir.File("folder.kor")});
  EXPECT_EQ(folder.Status, 1);
  EXPECT_NE(folder.Err.find("is a directory"), std::string::npos) << folder.Err;
  EXPECT_TRUE(fs::is_empty(dir.File("folder.kor")));
  const auto usage = RunProgram(Korconvert, {dir.File("one-argument")});
  EXPECT_EQ(usage.Status, 2);
  EXPECT_NE(usage.Err.find("usage"), std::string::npos);
}

TEST(KorConvertErrors, MissingTexturesOnTheWayInAndOut) {
  testsupport::TempDirectory dir("korconvert_missing_texture");
  WriteText(dir.File("m.mtl"), "newmtl m0\nmap_Kd gone.png\n");
  WriteText(dir.File("t.obj"), Triangles(1, true));
  ExpectRefused(dir.File("t.obj"), dir.File("out.kor"), "gone.png");
  // A .kor whose bitmap is not beside it cannot be exported either.
  fs::copy_file(AssetsDir + "/wisp2.kor", dir.File("wisp2.kor"));
  ExpectRefused(dir.File("wisp2.kor"), dir.File("out.gltf"), "wisp_body.bmp");
}

TEST(KorConvertErrors, ScenesOverTheLimitsAreRefusedNamingTheLimit) {
  testsupport::TempDirectory dir("korconvert_limits");
  // 257 materials, each with a texture of its own.
  std::string mtl;
  for (int i = 0; i < 257; ++i) {
    const std::string png = "t" + std::to_string(i) + ".png";
    WritePng(dir.File(png), 1, 1, {static_cast<uint8_t>(i), 0, 0});
    mtl += "newmtl m" + std::to_string(i) + "\nmap_Kd " + png + "\n";
  }
  WriteText(dir.File("m.mtl"), mtl);
  WriteText(dir.File("textures.obj"), Triangles(257, true));
  ExpectRefused(dir.File("textures.obj"), dir.File("out.kor"), "at most 256 textures");
  // 1,025 groups under the file's own node: 1,026 objects.
  WriteText(dir.File("objects.obj"), Triangles(1025, false));
  ExpectRefused(dir.File("objects.obj"), dir.File("out.kor"), "at most 1025 objects");
  // One mesh of 65,538 distinct vertices.
  std::string big = "o big\n";
  for (int i = 0; i < 21846; ++i) {
    big += "v " + std::to_string(i) + " 0 0\nv " + std::to_string(i) + " 1 0\nv " +
           std::to_string(i) + " 0 1\nf -3 -2 -1\n";
  }
  WriteText(dir.File("big.obj"), big);
  ExpectRefused(dir.File("big.obj"), dir.File("out.kor"), "\"big\" brings the model to 65538");
}

TEST(KorConvertErrors, WithinTheLimitsTheSameShapesConvert) {
  testsupport::TempDirectory dir("korconvert_at_limits");
  WriteText(dir.File("objects.obj"), Triangles(1024, false));
  const auto run = RunProgram(Korconvert, {dir.File("objects.obj"), dir.File("out.kor")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TLoadedModel model(dir.File("out.kor"));
  EXPECT_EQ(model.Objects.size(), 1025u);
}

// Whatever the importer makes of a damaged file, what korconvert writes is a file the loader
// takes whole, with faces the renderer draws; or the file is refused with a converter message.
TEST(KorConvertImport, DamagedObjFilesConvertToGoodFilesOrAreRefused) {
  const std::vector<uint8_t> sample = testsupport::ReadBytes(AssetsDir + "/samples/crate.obj");
  testsupport::TempDirectory dir("korconvert_damaged");
  std::mt19937 random(16);
  int converted = 0, refused = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = sample;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
      const size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<uint8_t>("0123456789 -/\nfvo"[random() % 17]);
          break;
        case 1:
          bytes.erase(bytes.begin() + static_cast<long>(at));
          break;
        default:
          bytes.insert(bytes.begin() + static_cast<long>(at), bytes[random() % bytes.size()]);
      }
    }
    std::ostringstream notes;
    TKorConversion conversion;
    try {
      testsupport::WriteBytes(dir.File("damaged.obj"), bytes);
      conversion = ImportScene(dir.File("damaged.obj"), nullptr, notes);
    } catch (const EKorConvertError&) {
      ++refused;
      continue;
    }
    ++converted;
    TKorTextureRecorder maker;
    TKorObject* root = LoadModelFromBytes(&maker, "damaged.kor", EncodeKorFile(conversion.File));
    for (const TKorObjectRecord& object : conversion.File.Objects) {
      for (const TKorFaceRecord& face : object.Faces) {
        ASSERT_GE(face.Indices.size(), 3u);
        ASSERT_LE(face.Indices.size(), 128u);
        ASSERT_EQ(face.Flag, 6);
        for (uint16_t i : face.Indices) ASSERT_LT(i, object.Vertices.size()) << "round " << round;
      }
    }
    FreeObject(root);
  }
  EXPECT_GT(converted, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
