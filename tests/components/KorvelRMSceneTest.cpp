// The view's retained-mode scene: frames loaded from mesh files, texture wraps, and the
// pictures Render draws through the software device.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "components/KorvelRM.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/backends/HeadlessBackend.h"
#include "platform/d3drm/Frame.h"
#include "platform/d3drm/MeshBuilder.h"
#include "platform/d3drm/RMViewport.h"
#include "platform/ddraw/Surface.h"
#include "tests/components/KorvelGFixture.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/BmpBytes.h"
#include "tests/support/Golden.h"
#include "tests/support/TempDirectory.h"
#include "tools/rmscene/SampleScene.h"
#include "tools/snapshot/SurfaceImage.h"

namespace {

using platform::d3drm::Frame;
using platform::d3drm::MeshBuilder;
using platform::d3drm::RMViewport;

const std::string kAssets = KOR_ASSETS_DIR;
const std::string kMeshes = KOR_MESH_DATA_DIR;

class KorvelRMSceneTest : public KorvelGTest {
 protected:
  void SetUp() override {
    KorvelGTest::SetUp();
    UseHeadlessBackend().AnswerMessageBoxesWith(
        [](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
    Panel(8, 64, 185, 41);
    view_ = new TKorvelRM(form_);
    view_->SetParent(form_);
    view_->SetBounds(8, 32, 512, 386);
    D3DDeviceChoice = -1;
    view_->DDEnum();
    DDInitAll();
    view_->RmInit();
    ASSERT_TRUE(view_->Viewport);
  }

  // The frames under the view's scene, in order.
  std::vector<Frame*> SceneChildren() const {
    std::vector<Frame*> children;
    for (const auto& child : Frame::From(view_->Scene.Get())->Children())
      children.push_back(child.Get());
    return children;
  }

  std::vector<TKorvelFrame*> Listed() const {
    std::vector<TKorvelFrame*> listed;
    for (int i = 0; i < FrameList->Count(); ++i) listed.push_back(FrameList->Items(i).get());
    return listed;
  }

  // The texture coordinates of every vertex of the frame's mesh, group after group.
  static std::vector<D3DRMVERTEX> MeshVertices(IDirect3DRMMesh* Mesh) {
    std::vector<D3DRMVERTEX> all;
    for (unsigned g = 0; g < Mesh->GetGroupCount(); ++g) {
      unsigned count = 0;
      EXPECT_EQ(Mesh->GetGroup(static_cast<D3DRMGROUPINDEX>(g), &count, nullptr, nullptr, nullptr,
                               nullptr),
                D3DRM_OK);
      std::vector<D3DRMVERTEX> vertices(count);
      Mesh->GetVertices(static_cast<D3DRMGROUPINDEX>(g), 0, count, vertices.data());
      all.insert(all.end(), vertices.begin(), vertices.end());
    }
    return all;
  }

  // Clears and renders Frames frames; the view's picture.
  testsupport::Picture RenderFrames(int Frames) {
    for (int i = 0; i < Frames; ++i) RenderSampleFrame(*view_);
    testsupport::Picture picture;
    picture.rgba = SurfaceRgba(view_->Surface.Get(), picture.width, picture.height);
    return picture;
  }

  const RMViewport& Viewport() const { return *RMViewport::From(view_->Viewport.Get()); }

  TKorvelRM* view_ = nullptr;
};

TEST_F(KorvelRMSceneTest, AFileLoadsIntoANewFrameOfTheSceneListedAndShown) {
  const size_t childrenBefore = SceneChildren().size();  // the light and camera frames
  view_->MakeFramefromFile(nullptr, (kMeshes + "/cube.x").c_str());
  ASSERT_EQ(FrameList->Count(), 1);
  TKorvelFrame* cube = FrameList->Items(0).get();
  ASSERT_TRUE(cube->Frame && cube->Mesh && cube->MeshBuilder);
  EXPECT_EQ(SceneChildren().size(), childrenBefore + 1);
  EXPECT_EQ(SceneChildren().back(), Frame::From(cube->Frame.Get()));
  EXPECT_EQ(cube->MeshBuilder->GetVertexCount(), 8);
  EXPECT_EQ(cube->MeshBuilder->GetFaceCount(), 6);
  EXPECT_EQ(cube->Mesh->GetGroupCount(), 1u);
  EXPECT_EQ(MeshVertices(cube->Mesh.Get()).size(), 24u) << "each corner once per face normal";
  EXPECT_TRUE(cube->MeshBuilder->GetPerspective()) << "set after the mesh was made";
  const auto& visuals = Frame::From(cube->Frame.Get())->Visuals();
  ASSERT_EQ(visuals.size(), 1u);
  EXPECT_EQ(visuals[0].Get(), static_cast<IDirect3DRMVisual*>(cube->Mesh.Get()));

  // A textured mesh: a group per colour and texture, the file's coordinates kept.
  TKorvelFrame* quad = nullptr;
  view_->MakeFramefromFile(&quad, (kMeshes + "/quad.x").c_str());
  ASSERT_NE(quad, nullptr);
  EXPECT_EQ(Listed(), (std::vector<TKorvelFrame*>{cube, quad}));
  EXPECT_EQ(quad->MeshBuilder->GetVertexCount(), 4);
  EXPECT_EQ(quad->MeshBuilder->GetFaceCount(), 2);
  ASSERT_EQ(quad->Mesh->GetGroupCount(), 2u);
  ComPtr<IDirect3DRMTexture> texture;
  ASSERT_EQ(quad->Mesh->GetGroupTexture(0, texture.Put()), D3DRM_OK);
  EXPECT_TRUE(texture) << "the red face names checker.bmp";
  D3DVALUE u = -1, v = -1;
  ASSERT_EQ(quad->MeshBuilder->GetTextureCoordinates(2, &u, &v), D3DRM_OK);
  EXPECT_FLOAT_EQ(u, 1.0f);
  EXPECT_FLOAT_EQ(v, 0.0f);

  // Render draws both.
  RenderSampleFrame(*view_);
  EXPECT_EQ(Viewport().RenderItems().size(), 2u);
  EXPECT_EQ(Viewport().Renderer().Counts().meshes, 2u);
}

TEST_F(KorvelRMSceneTest, ANewFrameInAVariableReplacesTheOldWhoseVisualLeavesTheScene) {
  TKorvelFrame* held = nullptr;
  view_->MakeFramefromFile(&held, (kMeshes + "/cube.x").c_str());
  ASSERT_NE(held, nullptr);
  TKorvelFrame* const old = held;
  const ComPtr<IDirect3DRMFrame2> oldFrame = old->Frame;  // kept to look at after the swap
  const size_t children = SceneChildren().size();

  view_->MakeFramefromFile(&held, (kMeshes + "/quad.x").c_str());
  ASSERT_NE(held, old);
  EXPECT_EQ(Listed(), (std::vector<TKorvelFrame*>{held}));
  EXPECT_TRUE(Frame::From(oldFrame.Get())->Visuals().empty());
  EXPECT_EQ(Frame::From(oldFrame.Get())->Parent(), nullptr) << "taken out of the scene";
  EXPECT_EQ(SceneChildren().size(), children);
  RenderSampleFrame(*view_);
  ASSERT_EQ(Viewport().RenderItems().size(), 1u);
  EXPECT_EQ(Viewport().RenderItems()[0].visual, static_cast<IDirect3DRMVisual*>(held->Mesh.Get()));
}

TEST_F(KorvelRMSceneTest, AFileThatCannotBeLoadedThrowsNamingItAndListsNothing) {
  TKorvelFrame* held = nullptr;
  view_->MakeFramefromFile(&held, (kMeshes + "/cube.x").c_str());
  const std::vector<TKorvelFrame*> listed = Listed();
  const size_t children = SceneChildren().size();
  struct Case {
    std::string file, says;
  };
  for (const Case& c : {Case{"missing.x", "missing.x"}, Case{"bad_index.x", "bad_index.x, line 7"},
                        Case{"bad_truncated.x", "bad_truncated.x, line "}}) {
    SCOPED_TRACE(c.file);
    TKorvelFrame* variable = held;
    try {
      view_->MakeFramefromFile(&variable, (kMeshes + "/" + c.file).c_str());
      ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
    EXPECT_EQ(variable, held) << "the variable keeps its frame";
    EXPECT_EQ(Listed(), listed);
    EXPECT_EQ(SceneChildren().size(), children);
    EXPECT_EQ(Frame::From(held->Frame.Get())->Visuals().size(), 1u);
  }
}

TEST_F(KorvelRMSceneTest, EachWrapTypeGivesTheMeshItsCoordinatesAndTheTexture) {
  TKorvelFrame* cube = nullptr;
  view_->MakeFramefromFile(&cube, (kMeshes + "/cube.x").c_str());
  const std::string meta = kAssets + "/meta.bmp";
  // Origin 0, z axis +z, y axis +y (so x axis +x), texture origin 0, scale 1.
  const auto wrap = [&](int32_t type) {
    view_->SetWrap(cube, meta.c_str(), type, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1);
  };
  // The coordinates of the cube's mesh vertex at Position (the first, for each face it is on).
  const auto coordinatesAt = [&](D3DVECTOR Position) {
    for (const D3DRMVERTEX& v : MeshVertices(cube->Mesh.Get()))
      if (v.position.x == Position.x && v.position.y == Position.y && v.position.z == Position.z)
        return std::pair{v.tu, v.tv};
    ADD_FAILURE() << "no vertex there";
    return std::pair{0.0f, 0.0f};
  };
  const float pi = 3.14159265f;

  wrap(0);  // flat: u = x, v = y
  EXPECT_FLOAT_EQ(coordinatesAt({1, 1, -1}).first, 1);
  EXPECT_FLOAT_EQ(coordinatesAt({-1, 1, 1}).first, -1);
  EXPECT_FLOAT_EQ(coordinatesAt({-1, -1, 1}).second, -1);

  wrap(1);  // cylinder: u the angle from +y toward +x over 2π, v = z
  EXPECT_NEAR(coordinatesAt({1, 1, -1}).first, 0.125f, 1e-5f);
  EXPECT_NEAR(coordinatesAt({1, -1, 1}).first, 0.375f, 1e-5f);
  EXPECT_NEAR(coordinatesAt({-1, 1, 1}).first, 0.875f, 1e-5f);
  EXPECT_FLOAT_EQ(coordinatesAt({1, -1, 1}).second, 1);

  wrap(2);  // sphere: v the angle from +z over π
  EXPECT_NEAR(coordinatesAt({1, 1, 1}).first, 0.125f, 1e-5f);
  EXPECT_NEAR(coordinatesAt({1, 1, 1}).second, std::acos(1 / std::sqrt(3.0f)) / pi, 1e-5f);
  EXPECT_NEAR(coordinatesAt({1, 1, -1}).second, 1 - std::acos(1 / std::sqrt(3.0f)) / pi, 1e-5f);

  // The texture is on every face, and the rebuilt mesh is the frame's one visual.
  ComPtr<IDirect3DRMTexture> texture;
  ASSERT_EQ(cube->Mesh->GetGroupTexture(0, texture.Put()), D3DRM_OK);
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->GetImage()->width, 256);
  const auto& visuals = Frame::From(cube->Frame.Get())->Visuals();
  ASSERT_EQ(visuals.size(), 1u);
  EXPECT_EQ(visuals[0].Get(), static_cast<IDirect3DRMVisual*>(cube->Mesh.Get()));
  EXPECT_EQ(cube->Mesh->GetGroupMapping(0) & D3DRMMAP_PERSPCORRECT, D3DRMMAP_PERSPCORRECT);
}

TEST_F(KorvelRMSceneTest, TheChromeWrapIsAppliedRelativeToTheFrameWithTheCameraAsReference) {
  TKorvelFrame* cube = nullptr;
  view_->MakeFramefromFile(&cube, (kMeshes + "/cube.x").c_str());
  // The frame away from the world's origin and turned, so that relative and absolute differ.
  ASSERT_EQ(cube->Frame->SetPosition(view_->Scene.Get(), 2, 1, 3), D3DRM_OK);
  ASSERT_EQ(cube->Frame->SetOrientation(view_->Scene.Get(), 1, 0, 1, 0, 1, 0), D3DRM_OK);
  view_->SetWrap(cube, (kAssets + "/meta.bmp").c_str(), 3, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1);

  // The same wrap made directly: chrome with the camera as reference.
  const auto expectedWith = [&](IDirect3DRMFrame* Reference, bool Relative) {
    ComPtr<IDirect3DRMMeshBuilder2> builder;
    EXPECT_EQ(Direct3DRM2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
    EXPECT_EQ(builder->Load(const_cast<char*>((kMeshes + "/cube.x").c_str()), nullptr,
                            D3DRMLOAD_FROMFILE, nullptr, nullptr),
              D3DRM_OK);
    ComPtr<IDirect3DRMMesh> mesh;
    EXPECT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
    ComPtr<IDirect3DRMWrap> wrap;
    EXPECT_EQ(Direct3DRM2->CreateWrap(D3DRMWRAP_CHROME, Reference, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0,
                                      1, 1, wrap.Put()),
              D3DRM_OK);
    EXPECT_EQ(
        Relative ? wrap->ApplyRelative(cube->Frame.Get(), mesh.Get()) : wrap->Apply(mesh.Get()),
        D3DRM_OK);
    return MeshVertices(mesh.Get());
  };
  const auto same = [](const std::vector<D3DRMVERTEX>& A, const std::vector<D3DRMVERTEX>& B) {
    if (A.size() != B.size()) return false;
    for (size_t i = 0; i < A.size(); ++i)
      if (std::fabs(A[i].tu - B[i].tu) > 1e-6f || std::fabs(A[i].tv - B[i].tv) > 1e-6f)
        return false;
    return true;
  };
  const auto actual = MeshVertices(cube->Mesh.Get());
  EXPECT_TRUE(same(actual, expectedWith(view_->CameraFrame.Get(), true)));
  EXPECT_FALSE(same(actual, expectedWith(view_->CameraFrame.Get(), false)))
      << "the frame's place counts";
  EXPECT_FALSE(same(actual, expectedWith(nullptr, true))) << "the camera is the eye";
  // The builder got the same coordinates, for meshes made from it later.
  D3DVALUE u = 0, v = 0;
  ASSERT_EQ(cube->MeshBuilder->GetTextureCoordinates(0, &u, &v), D3DRM_OK);
  EXPECT_TRUE(std::isfinite(u) && std::isfinite(v));
}

TEST_F(KorvelRMSceneTest, AWrapTypeOutsideZeroToThreeThrowsAndChangesNothing) {
  TKorvelFrame* cube = nullptr;
  view_->MakeFramefromFile(&cube, (kMeshes + "/cube.x").c_str());
  const ComPtr<IDirect3DRMMesh> mesh = cube->Mesh;
  const auto before = MeshVertices(mesh.Get());
  for (int32_t type : {7, -1, 4}) {
    SCOPED_TRACE(type);
    try {
      view_->SetWrap(cube, (kAssets + "/meta.bmp").c_str(), type, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0,
                     1, 1);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find("wrap type " + std::to_string(type)), std::string::npos) << text;
      EXPECT_NE(text.find("nothing changed"), std::string::npos) << text;
    }
    EXPECT_EQ(cube->Mesh, mesh);
    const auto after = MeshVertices(mesh.Get());
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].tu, before[i].tu);
      EXPECT_EQ(after[i].tv, before[i].tv);
    }
    ComPtr<IDirect3DRMTexture> texture;
    ASSERT_EQ(mesh->GetGroupTexture(0, texture.Put()), D3DRM_OK);
    EXPECT_FALSE(texture);
  }
}

TEST_F(KorvelRMSceneTest, RenderTurnsTheFramesAndDrawsTheSampleLit) {
  TKorvelFrame* sample = nullptr;
  LoadSampleScene(*view_, kAssets, &sample);
  SetSampleBackground(*view_);
  D3DVECTOR before, after, up;
  ASSERT_EQ(sample->Frame->GetOrientation(view_->Scene.Get(), &before, &up), D3DRM_OK);
  const auto picture = RenderFrames(1);
  ASSERT_EQ(sample->Frame->GetOrientation(view_->Scene.Get(), &after, &up), D3DRM_OK);
  EXPECT_GT(std::fabs(after.x - before.x) + std::fabs(after.y - before.y), 1e-3f)
      << "Move turned it";

  const auto& counts = Viewport().Renderer().Counts();
  EXPECT_EQ(counts.meshes, 1u);
  EXPECT_EQ(counts.faces, 128u);
  EXPECT_EQ(counts.triangles, 256u);
  EXPECT_EQ(counts.drawCalls, 2u) << "one per material";
  ASSERT_EQ(picture.width, 512);
  // The torus's hole shows the background at the centre; its ring lies left of the centre.
  const auto pixel = [&](int x, int y) {
    const std::uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * 512 + x) * 4];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  const auto background = pixel(4, 4);
  EXPECT_EQ(pixel(256, 193), background);
  EXPECT_NE(pixel(200, 193), background);
  EXPECT_GT(pixel(200, 193)[0], background[0]) << "lit ivory or blue";
}

TEST_F(KorvelRMSceneTest, ATextureThatCannotBeLoadedStopsSetWrapWithTheDecodersReason) {
  TKorvelFrame* cube = nullptr;
  view_->MakeFramefromFile(&cube, (kMeshes + "/cube.x").c_str());
  testsupport::TempDirectory dir{"components_setwrap"};
  testsupport::WriteBytes(dir.File("huge.bmp"),
                          testsupport::BmpBytes({65535, 65535, 8, 0, 0}, std::vector<uint8_t>(64)));
  const auto messageOf = [&](const std::string& File) -> std::string {
    try {
      view_->SetWrap(cube, File.c_str(), 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1);
    } catch (const Exception& error) {
      return error.what();
    }
    return "no exception";
  };
  const std::string huge = messageOf(dir.File("huge.bmp"));
  EXPECT_NE(huge.find("huge.bmp"), std::string::npos) << huge;
  EXPECT_NE(huge.find("65535 x 65535"), std::string::npos) << huge;
  const std::string missing = messageOf(dir.File("missing.bmp"));
  EXPECT_NE(missing.find("missing.bmp\": texture file not found"), std::string::npos) << missing;
  const std::string notBitmap = messageOf(kMeshes + "/cube.x");
  EXPECT_NE(notBitmap.find("not a BMP file"), std::string::npos) << notBitmap;
}

TEST_F(KorvelRMSceneTest, TexturesReachTheDeviceInTheirOwnFormat) {
  TKorvelFrame* cube = nullptr;
  view_->MakeFramefromFile(&cube, (kMeshes + "/cube.x").c_str());
  ASSERT_EQ(cube->Frame->SetPosition(view_->Scene.Get(), 0, 0, 0), D3DRM_OK);
  for (const std::string& file : {kAssets + "/meta.bmp", kMeshes + "/truecolor.bmp"}) {
    SCOPED_TRACE(file);
    view_->SetWrap(cube, file.c_str(), 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1);
    RenderSampleFrame(*view_);
    ComPtr<IDirect3DRMTexture> texture;
    ASSERT_EQ(cube->Mesh->GetGroupTexture(0, texture.Put()), D3DRM_OK);
    IDirectDrawSurface* surface = Viewport().Renderer().Textures().SurfaceOf(texture.Get());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(Viewport().Renderer().Textures().Count(), 1u)
        << "the previous texture was given back";
    const D3DRMIMAGE& image = *texture->GetImage();
    const DDSURFACEDESC desc = DescOf(surface);
    EXPECT_EQ(desc.dwWidth, static_cast<DWORD>(image.width));
    // The last pixel of the last row: the bottom-right corner, read as the image holds it.
    const LONG x = image.width - 1, y = image.height - 1;
    const auto* row = static_cast<const BYTE*>(image.buffer1) + y * image.bytes_per_line;
    if (!image.rgb) {
      EXPECT_TRUE(desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
      EXPECT_EQ(testsupport::SurfacePixel(surface, x, y), row[x]) << "indices kept";
      ComPtr<IDirectDrawPalette> palette;
      ASSERT_EQ(surface->GetPalette(palette.Put()), DD_OK);
      PALETTEENTRY entry;
      palette->GetEntries(0, row[x], 1, &entry);
      EXPECT_EQ(entry.peRed, image.palette[row[x]].red);
      EXPECT_EQ(entry.peBlue, image.palette[row[x]].blue);
    } else {
      EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
      DWORD expected;
      std::memcpy(&expected, row + x * 4, 4);
      EXPECT_EQ(testsupport::SurfacePixel(surface, x, y) & 0xFFFFFFu, expected & 0xFFFFFFu);
    }
  }
}

TEST_F(KorvelRMSceneTest, ATextureLostWithTheDisplayIsRestoredBeforeItIsDrawn) {
  TKorvelFrame* sample = nullptr;
  LoadSampleScene(*view_, kAssets, &sample);
  WrapSample(*view_, sample, kAssets, 1);
  SetSampleBackground(*view_);
  ASSERT_EQ(sample->Frame->SetRotation(view_->Scene.Get(), 0, 1, 0, 0), D3DRM_OK);  // stand still
  const auto first = RenderFrames(1);
  platform::MarkAllSurfacesLost();
  view_->RmRestore();
  const auto second = RenderFrames(1);
  EXPECT_EQ(LastResult, D3DRM_OK);
  EXPECT_EQ(first.rgba, second.rgba);
}

TEST_F(KorvelRMSceneTest, AFrameAfterTheFirstAllocatesNothing) {
  TKorvelFrame* sample = nullptr;
  LoadSampleScene(*view_, kAssets, &sample);
  WrapSample(*view_, sample, kAssets, 2);
  RenderSampleFrame(*view_);  // sizes the buffers, makes the texture
  const auto allocations = testsupport::AllocationsDuring([&] {
    for (int i = 0; i < 5; ++i) RenderSampleFrame(*view_);
  });
  EXPECT_EQ(allocations, 0u);
  EXPECT_EQ(Viewport().Renderer().Counts().triangles, 256u);
}

// The sample as rmscene draws it after 20 frames, plain and with a cylinder wrap of meta.bmp.
TEST_F(KorvelRMSceneTest, TheSampleMatchesItsPictures) {
  TKorvelFrame* sample = nullptr;  // the second load replaces the first
  for (int32_t wrapType : {-1, 1}) {
    SCOPED_TRACE(wrapType);
    LoadSampleScene(*view_, kAssets, &sample);
    if (wrapType >= 0) WrapSample(*view_, sample, kAssets, wrapType);
    SetSampleBackground(*view_);
    const auto picture = RenderFrames(20);
    testsupport::ExpectMatchesGolden(wrapType < 0 ? "rm_sample_plain_20" : "rm_sample_cylinder_20",
                                     picture, 2);
  }
}

}  // namespace
