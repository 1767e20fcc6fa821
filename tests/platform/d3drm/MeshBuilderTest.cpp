// Mesh builders loaded from the sample files in data/, the meshes they create, textures read
// from BMP files, and the messages of files that cannot be loaded.
#include <fstream>
#include <string>

#include "platform/d3drm/Mesh.h"
#include "platform/d3drm/MeshBuilder.h"
#include "platform/d3drm/Texture.h"
#include "tests/platform/d3drm/RMTestKit.h"
#include "tests/support/BmpBytes.h"
#include "tests/support/TempDirectory.h"

namespace {

using namespace testsupport;

using platform::d3drm::MeshBuilder;

class MeshBuilderTest : public RMTest {
 protected:
  ComPtr<IDirect3DRMMeshBuilder2> Builder() {
    ComPtr<IDirect3DRMMeshBuilder2> builder;
    EXPECT_EQ(rm2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
    return builder;
  }

  static HRESULT Load(IDirect3DRMMeshBuilder* Builder, const char* File) {
    return Builder->Load(const_cast<char*>(File), nullptr, D3DRMLOAD_FROMFILE, nullptr, nullptr);
  }
};

TEST_F(MeshBuilderTest, LoadsACubeWithItsNormals) {
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/cube.x"), D3DRM_OK) << builder->LastError();
  EXPECT_STREQ(builder->LastError(), "");
  EXPECT_EQ(builder->GetVertexCount(), 8);
  EXPECT_EQ(builder->GetFaceCount(), 6);

  DWORD vertexCount = 0, normalCount = 0, faceDataSize = 0;
  ASSERT_EQ(
      builder->GetVertices(&vertexCount, nullptr, &normalCount, nullptr, &faceDataSize, nullptr),
      D3DRM_OK);
  EXPECT_EQ(vertexCount, 8u);
  EXPECT_EQ(normalCount, 6u);
  EXPECT_EQ(faceDataSize, 6u * (1 + 2 * 4) + 1);

  std::vector<D3DVECTOR> vertices(vertexCount), normals(normalCount);
  std::vector<DWORD> faceData(faceDataSize);
  ASSERT_EQ(builder->GetVertices(&vertexCount, vertices.data(), &normalCount, normals.data(),
                                 &faceDataSize, faceData.data()),
            D3DRM_OK);
  EXPECT_TRUE(VectorNear(vertices[6], {1, 1, 1}));
  EXPECT_TRUE(VectorNear(normals[4], {0, 1, 0}));
  // The second face: 4 corners, (vertex, normal) pairs 7/1, 6/1, 5/1, 4/1; the list ends in 0.
  const std::vector<DWORD> second(faceData.begin() + 9, faceData.begin() + 18);
  EXPECT_EQ(second, (std::vector<DWORD>{4, 7, 1, 6, 1, 5, 1, 4, 1}));
  EXPECT_EQ(faceData.back(), 0u);

  DWORD tooFew = 4;
  EXPECT_EQ(builder->GetVertices(&tooFew, vertices.data(), nullptr, nullptr, nullptr, nullptr),
            D3DRMERR_BADVALUE);
}

TEST_F(MeshBuilderTest, GeneratedNormalsAreFiniteUnitVectorsForHugeAndTinyCoordinates) {
  // Two squares without normals, one near the float limit, one near its smallest steps: their
  // area-weighted cross products overflow or vanish in float.
  testsupport::TempDirectory dir{"d3drm_normals"};
  std::ofstream(dir.File("extremes.x"))
      << "xof 0302txt 0032\nMesh {\n 8;\n"
         " -3e38;-3e38;0;, -3e38;3e38;0;, 3e38;3e38;0;, 3e38;-3e38;0;,\n"
         " 0;0;1e-30;, 0;1e-30;1e-30;, 1e-30;1e-30;1e-30;, 1e-30;0;1e-30;;\n"
         " 2; 4;0,1,2,3;, 4;4,5,6,7;;\n}\n";
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), dir.File("extremes.x").c_str()), D3DRM_OK) << builder->LastError();
  const MeshBuilder* read = MeshBuilder::From(builder.Get());
  ASSERT_EQ(read->Normals().size(), 8u);
  for (const D3DVECTOR& normal : read->Normals())
    EXPECT_TRUE(VectorNear(normal, {0, 0, -1})) << normal.x << ", " << normal.y << ", " << normal.z;
}

TEST_F(MeshBuilderTest, LoadsATexturedMeshWithCoordinatesMaterialsAndGeneratedNormals) {
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/quad.x"), D3DRM_OK) << builder->LastError();
  EXPECT_EQ(builder->GetVertexCount(), 4);
  EXPECT_EQ(builder->GetFaceCount(), 2);
  D3DVALUE u = -1, v = -1;
  ASSERT_EQ(builder->GetTextureCoordinates(2, &u, &v), D3DRM_OK);
  EXPECT_FLOAT_EQ(u, 1.0f);
  EXPECT_FLOAT_EQ(v, 0.0f);
  EXPECT_EQ(builder->GetTextureCoordinates(4, &u, &v), D3DRMERR_BADVALUE);

  const MeshBuilder* read = MeshBuilder::From(builder.Get());
  ASSERT_EQ(read->Faces().size(), 2u);
  EXPECT_EQ(read->Faces()[0].color, RGBA_MAKE(255, 0, 0, 255));
  EXPECT_EQ(read->Faces()[1].color, RGBA_MAKE(0, 255, 0, 255)) << "material given by reference";
  ASSERT_TRUE(read->Faces()[0].texture);
  EXPECT_FALSE(read->Faces()[1].texture);
  const D3DRMIMAGE* image = read->Faces()[0].texture->GetImage();
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(image->height, 4);
  // No MeshNormals: each vertex gets the normal of its faces, here the square's front, −z.
  ASSERT_EQ(read->Normals().size(), 4u);
  for (const D3DVECTOR& normal : read->Normals()) EXPECT_TRUE(VectorNear(normal, {0, 0, -1}));
  char name[16] = {};
  DWORD size = sizeof name;
  ASSERT_EQ(builder->GetName(&size, name), D3DRM_OK);
  EXPECT_STREQ(name, "Quad");
}

TEST_F(MeshBuilderTest, CreateMeshMakesOneGroupPerColourAndTexture) {
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/quad.x"), D3DRM_OK) << builder->LastError();
  ComPtr<IDirect3DRMMesh> mesh;
  ASSERT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
  ASSERT_EQ(mesh->GetGroupCount(), 2u);
  EXPECT_EQ(mesh->GetGroupColor(0), RGBA_MAKE(255, 0, 0, 255));
  EXPECT_EQ(mesh->GetGroupColor(1), RGBA_MAKE(0, 255, 0, 255));
  EXPECT_EQ(mesh->GetGroupMapping(0), 0u) << "perspective was not asked for";

  unsigned vertexCount = 0, faceCount = 0, perFace = 9;
  DWORD dataSize = 0;
  ASSERT_EQ(mesh->GetGroup(0, &vertexCount, &faceCount, &perFace, &dataSize, nullptr), D3DRM_OK);
  EXPECT_EQ(vertexCount, 3u);
  EXPECT_EQ(faceCount, 1u);
  EXPECT_EQ(perFace, 0u);
  std::vector<unsigned> faces(dataSize);
  ASSERT_EQ(mesh->GetGroup(0, nullptr, nullptr, nullptr, &dataSize, faces.data()), D3DRM_OK);
  EXPECT_EQ(faces, (std::vector<unsigned>{3, 0, 1, 2}));
  D3DRMVERTEX corners[3];
  ASSERT_EQ(mesh->GetVertices(0, 0, 3, corners), D3DRM_OK);
  EXPECT_TRUE(VectorNear(corners[1].position, {-1, 1, 0}));
  EXPECT_TRUE(VectorNear(corners[1].normal, {0, 0, -1}));
  EXPECT_FLOAT_EQ(corners[1].tu, 0.0f);
  EXPECT_FLOAT_EQ(corners[1].tv, 0.0f);
  EXPECT_EQ(corners[1].color, RGBA_MAKE(255, 0, 0, 255));
  EXPECT_EQ(mesh->GetVertices(0, 1, 3, corners), D3DRMERR_BADVALUE) << "past the group's end";

  ComPtr<IDirect3DRMTexture> texture;
  ASSERT_EQ(mesh->GetGroupTexture(0, texture.Put()), D3DRM_OK);
  EXPECT_NE(texture, nullptr);
  ASSERT_EQ(mesh->GetGroupTexture(1, texture.Put()), D3DRM_OK);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(mesh->GetGroupTexture(2, texture.Put()), D3DRMERR_BADVALUE);

  // The mesh holds a copy: changing the builder afterwards leaves it as it was.
  ASSERT_EQ(builder->SetVertex(1, 5, 5, 5), D3DRM_OK);
  ASSERT_EQ(mesh->GetVertices(0, 1, 1, corners), D3DRM_OK);
  EXPECT_TRUE(VectorNear(corners[0].position, {-1, 1, 0}));
}

TEST_F(MeshBuilderTest, ACubesCornersAreSplitByNormal) {
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/cube.x"), D3DRM_OK) << builder->LastError();
  ComPtr<IDirect3DRMMesh> mesh;
  ASSERT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
  ASSERT_EQ(mesh->GetGroupCount(), 1u) << "one colour, no texture";
  unsigned vertexCount = 0, faceCount = 0;
  ASSERT_EQ(mesh->GetGroup(0, &vertexCount, &faceCount, nullptr, nullptr, nullptr), D3DRM_OK);
  EXPECT_EQ(vertexCount, 24u) << "each corner once per face normal";
  EXPECT_EQ(faceCount, 6u);
  EXPECT_EQ(mesh->GetGroupColor(0), 0xFFFFFFFFu) << "white without a material list";
}

TEST_F(MeshBuilderTest, SetTextureColourAndPerspectiveReachMeshesCreatedAfterwards) {
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/quad.x"), D3DRM_OK) << builder->LastError();
  ComPtr<IDirect3DRMTexture> texture;
  ASSERT_EQ(rm->LoadTexture("data/truecolor.bmp", texture.Put()), D3DRM_OK);
  ASSERT_EQ(builder->SetTexture(texture.Get()), D3DRM_OK);
  ASSERT_EQ(builder->SetColorRGB(1, 1, 1), D3DRM_OK);
  ASSERT_EQ(builder->SetPerspective(TRUE), D3DRM_OK);
  EXPECT_EQ(builder->GetPerspective(), TRUE);

  ComPtr<IDirect3DRMMesh> mesh;
  ASSERT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
  ASSERT_EQ(mesh->GetGroupCount(), 1u) << "every face now has one colour and one texture";
  EXPECT_EQ(mesh->GetGroupMapping(0), D3DRMMAP_PERSPCORRECT);
  ComPtr<IDirect3DRMTexture> onMesh;
  ASSERT_EQ(mesh->GetGroupTexture(0, onMesh.Put()), D3DRM_OK);
  EXPECT_EQ(onMesh, texture);
  unsigned vertexCount = 0;
  ASSERT_EQ(mesh->GetGroup(0, &vertexCount, nullptr, nullptr, nullptr, nullptr), D3DRM_OK);
  EXPECT_EQ(vertexCount, 4u) << "the two triangles share their diagonal";

  ASSERT_EQ(builder->SetTexture(nullptr), D3DRM_OK);
  EXPECT_FALSE(MeshBuilder::From(builder.Get())->Faces()[0].texture);
}

TEST_F(MeshBuilderTest, ScaleAndTranslateMoveTheVertices) {
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/cube.x"), D3DRM_OK) << builder->LastError();
  ASSERT_EQ(builder->Scale(2, 1, 1), D3DRM_OK);
  ASSERT_EQ(builder->Translate(0, 0, 10), D3DRM_OK);
  const MeshBuilder* read = MeshBuilder::From(builder.Get());
  EXPECT_TRUE(VectorNear(read->Vertices()[6], {2, 1, 11}));
  EXPECT_TRUE(VectorNear(read->Normals()[2], {1, 0, 0})) << "normals stay unit length";
}

int g_callbackCalls = 0;

HRESULT TextureFromTheCaller(char* Name, void* Arg, IDirect3DRMTexture** Texture) {
  ++g_callbackCalls;
  EXPECT_STREQ(Name, "checker.bmp");
  auto* rm = static_cast<IDirect3DRM*>(Arg);
  return rm->LoadTexture("data/truecolor.bmp", Texture);
}

TEST_F(MeshBuilderTest, ATextureCallbackSuppliesTheMaterialsTextures) {
  auto builder = Builder();
  g_callbackCalls = 0;
  ASSERT_EQ(builder->Load(const_cast<char*>("data/quad.x"), nullptr, D3DRMLOAD_FROMFILE,
                          TextureFromTheCaller, rm.Get()),
            D3DRM_OK)
      << builder->LastError();
  EXPECT_EQ(g_callbackCalls, 1);
  const D3DRMIMAGE* image = MeshBuilder::From(builder.Get())->Faces()[0].texture->GetImage();
  EXPECT_EQ(image->width, 3) << "the callback's texture, not the file's";
}

TEST_F(MeshBuilderTest, MeshesAreChosenByNameOrPosition) {
  auto builder = Builder();
  char second[] = "Second";
  ASSERT_EQ(builder->Load(const_cast<char*>("data/two_meshes.x"), second, D3DRMLOAD_BYNAME, nullptr,
                          nullptr),
            D3DRM_OK)
      << builder->LastError();
  EXPECT_EQ(builder->GetVertexCount(), 4) << "found inside nested frames";
  DWORD first = 0;
  ASSERT_EQ(builder->Load(const_cast<char*>("data/two_meshes.x"), &first, D3DRMLOAD_BYPOSITION,
                          nullptr, nullptr),
            D3DRM_OK);
  EXPECT_EQ(builder->GetVertexCount(), 3);
  char missing[] = "Third";
  EXPECT_EQ(builder->Load(const_cast<char*>("data/two_meshes.x"), missing, D3DRMLOAD_BYNAME,
                          nullptr, nullptr),
            D3DRMERR_NOTFOUND);
  EXPECT_EQ(std::string(builder->LastError()), "data/two_meshes.x: no Mesh is named \"Third\"");
  EXPECT_EQ(builder->GetVertexCount(), 3) << "a failed load leaves the builder as it was";
  EXPECT_EQ(builder->Load(const_cast<char*>("data/two_meshes.x"), nullptr, D3DRMLOAD_FROMMEMORY,
                          nullptr, nullptr),
            D3DRMERR_BADVALUE);
}

struct BadFile {
  const char* file;
  HRESULT result;
  const char* message;  // the whole of LastError()
};

class BadFileTest : public MeshBuilderTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, FailsWithAMessageNamingTheFileAndLine) {
  const BadFile& bad = GetParam();
  auto builder = Builder();
  ASSERT_EQ(Load(builder.Get(), "data/cube.x"), D3DRM_OK);
  EXPECT_EQ(Load(builder.Get(), bad.file), bad.result);
  EXPECT_EQ(std::string(builder->LastError()), bad.message);
  EXPECT_EQ(builder->GetVertexCount(), 8) << "the cube loaded before is still there";
}

INSTANTIATE_TEST_SUITE_P(
    MalformedFiles, BadFileTest,
    ::testing::Values(
        BadFile{"data/bad_header.x", D3DRMERR_BADFILE,
                "data/bad_header.x, line 1: format \"bin \" is not supported: only text files "
                "(\"txt \") are read"},
        BadFile{"data/bad_index.x", D3DRMERR_BADFILE,
                "data/bad_index.x, line 7: face 1 refers to vertex 9, but the mesh has 4 "
                "vertices"},
        BadFile{"data/bad_truncated.x", D3DRMERR_BADFILE,
                "data/bad_truncated.x, line 6: expected vertex 1 z, found end of file"},
        BadFile{"data/bad_extra_values.x", D3DRMERR_BADFILE,
                "data/bad_extra_values.x, line 9: expected \"}\" to end MeshTextureCoords, "
                "found number 1 (more values than its counts say?)"},
        BadFile{"data/bad_normals.x", D3DRMERR_BADFILE,
                "data/bad_normals.x, line 10: MeshNormals has 2 faces, but the mesh has 1"},
        BadFile{"data/bad_material_index.x", D3DRMERR_BADFILE,
                "data/bad_material_index.x, line 10: face 0 uses material 3, but the list has "
                "1 materials"},
        BadFile{"data/bad_missing_texture.x", D3DRMERR_FILENOTFOUND,
                "data/bad_missing_texture.x, line 11: texture \"no_such_texture.bmp\": not "
                "found (looked for \"data/no_such_texture.bmp\" and \"no_such_texture.bmp\")"},
        BadFile{"data/no_such_file.x", D3DRMERR_FILENOTFOUND, "data/no_such_file.x: no such file"},
        BadFile{"data/checker.bmp", D3DRMERR_BADFILE,
                "data/checker.bmp, line 1: not a DirectX file (it must begin with \"xof "
                "0302txt 0032\")"}),
    [](const ::testing::TestParamInfo<BadFile>& info) {
      std::string name = info.param.file + 5;  // after "data/"
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

using TextureTest = MeshBuilderTest;

TEST_F(TextureTest, APalettisedBitmapKeepsItsIndicesAndPalette) {
  ComPtr<IDirect3DRMTexture2> texture;
  ASSERT_EQ(rm2->LoadTexture("data/checker.bmp", texture.Put()), D3DRM_OK);
  const D3DRMIMAGE* image = texture->GetImage();
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(image->height, 4);
  EXPECT_EQ(image->depth, 8);
  EXPECT_EQ(image->rgb, FALSE);
  EXPECT_EQ(image->bytes_per_line, 4);
  ASSERT_EQ(image->palette_size, 2);
  EXPECT_EQ(image->palette[1].red, 255);
  EXPECT_EQ(image->palette[1].green, 255);
  EXPECT_EQ(image->palette[1].blue, 0);
  const auto* pixels = static_cast<const BYTE*>(image->buffer1);
  // Top row first: 0 1 0 1; the bottom row ends 1 1.
  EXPECT_EQ(pixels[0], 0);
  EXPECT_EQ(pixels[1], 1);
  EXPECT_EQ(pixels[3 * 4 + 2], 1);
  EXPECT_EQ(pixels[3 * 4 + 3], 1);
  EXPECT_EQ(pixels[2 * 4 + 3], 1);
  EXPECT_EQ(pixels[2 * 4 + 2], 0);
}

TEST_F(TextureTest, ATrueColourBitmapBecomes32BitPixels) {
  ComPtr<IDirect3DRMTexture> texture;
  ASSERT_EQ(rm->LoadTexture("data/truecolor.bmp", texture.Put()), D3DRM_OK);
  const D3DRMIMAGE* image = texture->GetImage();
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->depth, 32);
  EXPECT_EQ(image->rgb, TRUE);
  EXPECT_EQ(image->bytes_per_line, 12);
  EXPECT_EQ(image->red_mask, 0xFF0000u);
  const auto* pixels = static_cast<const std::uint32_t*>(image->buffer1);
  EXPECT_EQ(pixels[0], 0x00FF0000u);
  EXPECT_EQ(pixels[2], 0x000000FFu);
  EXPECT_EQ(pixels[3], 0x000A141Eu) << "second row, first pixel (10, 20, 30)";
  ComPtr<IDirect3DRMTexture2> second;
  EXPECT_EQ(texture.As(IID_IDirect3DRMTexture2, second), D3DRM_OK);
}

TEST_F(TextureTest, FilesThatAreMissingOrNotBitmapsAreRefused) {
  ComPtr<IDirect3DRMTexture> texture;
  EXPECT_EQ(rm->LoadTexture("data/no_such.bmp", texture.Put()), D3DRMERR_FILENOTFOUND);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(rm->LoadTexture("data/cube.x", texture.Put()), D3DRMERR_BADFILE);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(TextureTest, AFileDeclaringAHugePictureIsRefusedWithTheReason) {
  testsupport::TempDirectory dir{"d3drm_texture"};
  testsupport::WriteBytes(
      dir.File("huge.bmp"),
      testsupport::BmpBytes({65535, 65535, 8, 0, 0}, std::vector<std::uint8_t>(64)));
  platform::d3drm::Texture* texture = nullptr;
  std::string error;
  EXPECT_EQ(platform::d3drm::Texture::LoadBMP(dir.File("huge.bmp"), &texture, error),
            D3DRMERR_BADFILE);
  EXPECT_EQ(texture, nullptr);
  EXPECT_NE(error.find("huge.bmp"), std::string::npos) << error;
  EXPECT_NE(error.find("65535 x 65535"), std::string::npos) << error;
}

}  // namespace
