// The demonstration drawn headless: a chosen frame of the figure compared with a stored picture,
// and the frame loop's bookkeeping.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/com/Unknown.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Golden.h"
#include "tools/snapshot/HeadlessDemo.h"

namespace {

// Runs in assets/ (where the demo's files are) and comes back for the golden pictures.
class DemoFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testDir_ = std::filesystem::current_path();
    std::filesystem::current_path(KOR_ASSETS_DIR);
  }
  void TearDown() override { std::filesystem::current_path(testDir_); }
  std::filesystem::path testDir_;
};

TEST_F(DemoFrameTest, TheTwentiethFrameMatchesItsPicture) {
  testsupport::Picture picture;
  {
    THeadlessDemo demo;
    for (int frame = 0; frame < 20; ++frame) demo.Scene().Tick();
    const TKorRenderLosses& losses = demo.Scene().Renderer.Losses;
    EXPECT_EQ(losses.Objects + losses.Polygons + losses.Triangles, 0);
    EXPECT_GT(demo.Scene().Renderer.VertexFill, 1000);
    picture.rgba = demo.ViewPixels(picture.width, picture.height);
  }
  std::filesystem::current_path(testDir_);
  ASSERT_EQ(picture.width, 512);
  ASSERT_EQ(picture.height, 386);
  // Something of the figure lies at the screen centre, where its feet stand.
  const std::size_t centre = (193u * 512u + 256u) * 4u;
  EXPECT_GT(picture.rgba[centre] + picture.rgba[centre + 1] + picture.rgba[centre + 2], 0);
  testsupport::ExpectMatchesGolden("demo_frame_20", picture, 2);
}

TEST_F(DemoFrameTest, AFrameTickAllocatesNothing) {
  THeadlessDemo demo;
  demo.Scene().Tick();  // the first frame sizes what grows once
  const std::uint64_t allocations = testsupport::AllocationsDuring([&] {
    for (int frame = 0; frame < 5; ++frame) demo.Scene().Tick();
  });
  EXPECT_EQ(allocations, 0u);
  EXPECT_GT(demo.Scene().Renderer.VertexFill, 0);
}

TEST_F(DemoFrameTest, ReleasingTheDemoGivesBackEveryPlatformObject) {
  const long before = platform::LiveObjectCount();
  const int64_t objects = TKorObject::LiveCount();
  {
    THeadlessDemo demo;
    for (int frame = 0; frame < 3; ++frame) demo.Scene().Tick();
    demo.Scene().Turn(10, 5);
  }
  EXPECT_EQ(platform::LiveObjectCount(), before);
  EXPECT_EQ(TKorObject::LiveCount(), objects);
}

}  // namespace
