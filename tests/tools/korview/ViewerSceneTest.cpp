// The viewer's scene on a headless 3D view: models of very different sizes and places framed
// in the picture, capacities that draw what the demo's fixed ones cannot, a rejected file that
// leaves the open model as it was, the missing bitmap named, texture numbers that stay low,
// and the pictures of the demo figure and of the converted sample in the viewer's framing.
#include "tools/korview/ViewerScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/Golden.h"
#include "tests/tools/korview/TestModels.h"
#include "tools/korview/HeadlessViewer.h"
#include "tools/snapshot/HeadlessView.h"

namespace {

struct PixelBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int count = 0;
};

// Where the picture is not black (the view's background).
PixelBox DrawnPixels(THeadlessView& View, int& Width, int& Height) {
  const auto rgba = View.Pixels(Width, Height);
  PixelBox box;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const auto* p = &rgba[(static_cast<size_t>(y) * Width + x) * 4];
      if (std::max({p[0], p[1], p[2]}) < 24) continue;
      ++box.count;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  return box;
}

class ViewerSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scene_ = std::make_unique<TViewerScene>(&view_.View());
    scene_->Switches.Culling = false;  // the boxes' windings do not matter here
    scene_->ApplySwitches();
  }
  void TearDown() override { scene_.reset(); }

  // The picture after one frame of FileName, framed.
  PixelBox FramedPicture(const std::string& FileName) {
    scene_->Open(FileName);
    scene_->Tick();
    int width = 0, height = 0;
    return DrawnPixels(view_, width, height);
  }

  testsupport::TempDirectory folder_{"korview_scene"};
  THeadlessView view_;
  std::unique_ptr<TViewerScene> scene_;
};

TEST_F(ViewerSceneTest, ModelsOfAnySizeAndPlaceAreFramedInTheView) {
  Matrix4 parent;
  MakeMatrix(parent, 300, 40, 0, 0.3f, 0.2f, 0);
  const struct {
    const char* name;
    TKorFileRecord file;
  } models[] = {
      {"unit.kor", BoxModel({0, 0, 0}, 1)},
      {"tiny_far.kor", BoxModel({1000, -500, 200}, 0.02f)},
      {"huge.kor", BoxModel({0, 0, -1e5f}, 5e4f)},
      {"parented.kor", BoxModel({0, 0, 0}, 2, &parent)},
  };
  for (const auto& model : models) {
    SCOPED_TRACE(model.name);
    const PixelBox box = FramedPicture(WriteModel(folder_, model.name, model.file));
    const int width = view_.View().Width(), height = view_.View().Height();
    // Wholly inside the view, and filling a good part of its height.
    EXPECT_GT(box.left, 2);
    EXPECT_GT(box.top, 2);
    EXPECT_LT(box.right, width - 3);
    EXPECT_LT(box.bottom, height - 3);
    EXPECT_GT(box.bottom - box.top, height / 4);
    EXPECT_EQ(scene_->Renderer.Losses.Objects + scene_->Renderer.Losses.Polygons, 0);
  }
}

TEST_F(ViewerSceneTest, CapacitiesFromTheModelDrawWhatTheDemosFixedOnesCannot) {
  // Two grids of 120 x 120 quads: 29,282 vertices and 28,800 faces, over the demo's 20,000.
  const std::string file = WriteModel(folder_, "grid.kor", GridModel(120, 10, 2));
  scene_->Open(file);
  EXPECT_EQ(scene_->Capacity.Vertices, 2 * 121 * 121);
  EXPECT_GE(scene_->Renderer.MaxPolygons, 2 * 120 * 120 * 2);
  scene_->Tick();
  const TKorRenderLosses sized = scene_->Renderer.Losses;
  EXPECT_EQ(sized.Objects + sized.Polygons + sized.Triangles, 0);

  // Near enough that the near plane cuts the grid: the cut triangles fit too.
  scene_->Turn(0, 150);  // about 86 degrees: the grid edge-on, reaching toward the camera
  scene_->Zoom(120 * 30);
  scene_->Tick();
  const TKorRenderLosses cut = scene_->Renderer.Losses;
  EXPECT_EQ(cut.Polygons + cut.Triangles, 0);

  // The same frame with the demo's fixed 20,000 polygons and vertices leaves much out.
  scene_->ResetView();
  FreeRenderer(scene_->Renderer);
  NewRenderer(scene_->Renderer, &view_.View(), 0, 0, 20000, 20000, ViewerZoom);
  MakeMatrix(scene_->Renderer.Camera, 0, 0, -scene_->Distance, 0, 0, 0);
  scene_->Tick();
  const TKorRenderLosses fixed = scene_->Renderer.Losses;
  EXPECT_GT(fixed.Objects + fixed.Polygons, 0);
}

TEST_F(ViewerSceneTest, ARejectedFileLeavesTheOpenModelAsItWas) {
  const std::string good = WriteModel(folder_, "good.kor", BoxModel({0, 0, 0}, 1));
  scene_->Open(good);
  scene_->Tick();
  int width = 0, height = 0;
  const auto before = view_.Pixels(width, height);
  const TViewerModel* open = scene_->Model();
  const int textures = TextureList->Count();

  auto bytes = EncodeKorFile(GridModel(4, 1, 1));
  bytes.resize(bytes.size() - 7);  // cut short inside the last object
  testsupport::WriteBytes(folder_.File("short.kor"), bytes);
  EXPECT_THROW(scene_->Open(folder_.File("short.kor")), EKorModelError);
  EXPECT_THROW(scene_->Open(folder_.File("no such file.kor")), EKorModelError);

  EXPECT_EQ(scene_->Model(), open);
  EXPECT_EQ(TextureList->Count(), textures);
  scene_->Tick();
  EXPECT_EQ(view_.Pixels(width, height), before);
}

TEST_F(ViewerSceneTest, AMissingBitmapIsNamedWhereItWasLookedFor) {
  TKorFileRecord file = BoxModel({0, 0, 0}, 1);
  file.TextureNames = {"textures\\missing.bmp"};
  const std::string path = WriteModel(folder_, "missing.kor", file);
  try {
    scene_->Open(path);
    FAIL() << "a model without its bitmap opened";
  } catch (const EKorModelError& error) {
    EXPECT_NE(std::string(error.what()).find(folder_.File("textures/missing.bmp")),
              std::string::npos)
        << error.what();
  }
}

TEST_F(ViewerSceneTest, TextureNumbersStayLowFileAfterFile) {
  const std::string file = WriteModel(folder_, "box.kor", BoxModel({0, 0, 0}, 1));
  for (int i = 0; i < 300; ++i) scene_->Open(file);
  ASSERT_EQ(TextureList->Count(), 1);
  EXPECT_EQ(TextureList->Items(0)->Data.Number, 0);
  EXPECT_EQ(TextureCount, 1);
  scene_->Tick();
  EXPECT_EQ(scene_->Renderer.Losses.Polygons, 0);
}

TEST_F(ViewerSceneTest, TheDemoFigureSwaysOnlyWhenSwitchedOn) {
  scene_->Open(std::string(KOR_ASSETS_DIR) + "/wisp2.kor");
  ASSERT_NE(scene_->Model()->Figure(), nullptr);
  scene_->Tick();
  const float phase = scene_->Model()->Figure()->Phase;
  EXPECT_GT(phase, 0);
  scene_->Switches.Sway = false;
  scene_->Tick();
  EXPECT_EQ(scene_->Model()->Figure()->Phase, phase);
  scene_->Open(WriteModel(folder_, "box.kor", BoxModel({0, 0, 0}, 1)));
  EXPECT_EQ(scene_->Model()->Figure(), nullptr);
}

TEST(HeadlessViewerTest, TheDemoFigureInTheViewersFraming) {
  testsupport::TempDirectory folder("korview_picture");
  std::ostringstream errors;
  const std::string png = folder.File("wisp2.png");
  ASSERT_EQ(RenderModelPicture(std::string(KOR_ASSETS_DIR) + "/wisp2.kor", png, 1, errors), 0)
      << errors.str();
  EXPECT_EQ(errors.str(), "");
  const auto picture = testsupport::ReadPng(png);
  ASSERT_TRUE(picture);
  testsupport::ExpectMatchesGolden("korview_wisp2", *picture, 8);
}

// The sample converted from OBJ: upright on its plinth (the axis conversion at the root), its
// outside toward the camera with counter-clockwise faces culled (the corner reversal).
TEST(HeadlessViewerTest, TheConvertedSampleStandsUprightOnItsPlinth) {
  testsupport::TempDirectory folder("korview_crate");
  std::ostringstream errors;
  const std::string png = folder.File("crate.png");
  ASSERT_EQ(RenderModelPicture(std::string(KOR_ASSETS_DIR) + "/samples/crate.kor", png, 1, errors),
            0)
      << errors.str();
  EXPECT_EQ(errors.str(), "");
  const auto picture = testsupport::ReadPng(png);
  ASSERT_TRUE(picture);
  testsupport::ExpectMatchesGolden("korview_crate", *picture, 8);
}

TEST(HeadlessViewerTest, ARejectedFileGivesTheLoadersMessage) {
  testsupport::TempDirectory folder("korview_rejected");
  testsupport::WriteBytes(folder.File("bad.kor"), {1, 2, 3});
  std::ostringstream errors;
  EXPECT_EQ(RenderModelPicture(folder.File("bad.kor"), folder.File("bad.png"), 1, errors), 1);
  EXPECT_NE(errors.str().find(folder.File("bad.kor")), std::string::npos) << errors.str();
  EXPECT_FALSE(std::filesystem::exists(folder.File("bad.png")));
}

}  // namespace
