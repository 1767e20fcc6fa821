// The demonstration drawn headless: a chosen frame of the figure compared with a stored picture,
// and the frame loop's bookkeeping.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "components/KorvelRM.h"
#include "platform/com/Unknown.h"
#include "platform/ddraw/Surface.h"
#include "render/FramePass.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Golden.h"
#include "tools/snapshot/HeadlessDemo.h"

namespace {

// The view's device seen through a window that loses the display once, after BeginScene: a
// loss in the middle of a frame. Every call goes on to the real software device.
class LosingMidFrame final : public platform::RefCounted<IDirect3DDevice2> {
 public:
  explicit LosingMidFrame(IDirect3DDevice2* Device) : device_(Device) {}
  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    return device_->QueryInterface(Iid, Object);
  }
  HRESULT GetDirect3D(IDirect3D2** Out) override { return device_->GetDirect3D(Out); }
  HRESULT GetRenderTarget(IDirectDrawSurface** Out) override {
    return device_->GetRenderTarget(Out);
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    return device_->SetRenderState(State, Value);
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* Value) override {
    return device_->GetRenderState(State, Value);
  }
  HRESULT SetLightState(D3DLIGHTSTATETYPE State, DWORD Value) override {
    return device_->SetLightState(State, Value);
  }
  HRESULT GetLightState(D3DLIGHTSTATETYPE State, DWORD* Value) override {
    return device_->GetLightState(State, Value);
  }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK Callback, LPVOID Arg) override {
    return device_->EnumTextureFormats(Callback, Arg);
  }
  HRESULT AddViewport(IDirect3DViewport2* Viewport) override {
    return device_->AddViewport(Viewport);
  }
  HRESULT DeleteViewport(IDirect3DViewport2* Viewport) override {
    return device_->DeleteViewport(Viewport);
  }
  HRESULT SetCurrentViewport(IDirect3DViewport2* Viewport) override {
    return device_->SetCurrentViewport(Viewport);
  }
  HRESULT GetCurrentViewport(IDirect3DViewport2** Viewport) override {
    return device_->GetCurrentViewport(Viewport);
  }
  HRESULT BeginScene() override {
    const HRESULT result = device_->BeginScene();
    platform::MarkAllSurfacesLost();
    return result;
  }
  HRESULT EndScene() override { return device_->EndScene(); }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, D3DVERTEXTYPE VertexType, LPVOID Vertices,
                               DWORD VertexCount, WORD* Indices, DWORD IndexCount,
                               DWORD Flags) override {
    return device_->DrawIndexedPrimitive(Type, VertexType, Vertices, VertexCount, Indices,
                                         IndexCount, Flags);
  }

 private:
  ComPtr<IDirect3DDevice2> device_;
};

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

// A loss of the display (the full-screen window deactivated) and the program's restore path
// (what a repaint runs) leave the next frame's picture as it was before the loss: the software
// device draws in system memory, which no loss takes.
TEST_F(DemoFrameTest, AfterALossAndTheRestorePathTheFrameIsThePictureBeforeIt) {
  THeadlessDemo demo;
  for (int frame = 0; frame < 20; ++frame) demo.Scene().Tick();
  TDemoScene& scene = demo.Scene();
  // Draws the figure as it stands now (no animation step) and returns the view's picture.
  const auto drawAgain = [&] {
    DrawScene(scene.Renderer, scene.SceneRoot, false);
    int width = 0, height = 0;
    return demo.ViewPixels(width, height);
  };
  const auto litPixels = [](const std::vector<std::uint8_t>& Rgba) {
    int lit = 0;
    for (std::size_t i = 0; i < Rgba.size(); i += 4) lit += Rgba[i] + Rgba[i + 1] + Rgba[i + 2] > 0;
    return lit;
  };
  const std::vector<std::uint8_t> before = drawAgain();
  ASSERT_GT(litPixels(before), 10000);

  platform::MarkAllSurfacesLost();  // between two ticks
  demo.View().RmRestore();
  EXPECT_TRUE(drawAgain() == before) << "a loss between ticks";
  EXPECT_EQ(scene.Renderer.FailedCalls, 0);

  platform::MarkAllSurfacesLost();  // two in a row
  platform::MarkAllSurfacesLost();
  demo.View().RmRestore();
  EXPECT_TRUE(drawAgain() == before) << "two losses in a row";

  ComPtr<IDirect3DDevice2> device = demo.View().D3DDevice;  // a loss during a frame
  demo.View().D3DDevice.Attach(new LosingMidFrame(device.Get()));
  const std::vector<std::uint8_t> during = drawAgain();
  demo.View().D3DDevice = device;
  EXPECT_EQ(scene.Renderer.FailedCalls, 0) << "the system-memory surfaces were not lost";
  EXPECT_TRUE(during == before);
  demo.View().RmRestore();
  EXPECT_TRUE(drawAgain() == before) << "the frame after a loss during a frame";
  EXPECT_EQ(scene.Renderer.Losses.Polygons + scene.Renderer.Losses.Triangles, 0);
}

// Whatever the caller sets, numbers that are not finite (or overflow on the way) leave the
// vertices out before anything is converted to an integer or reaches the software device; the
// sanitizer build checks every float-to-integer conversion of these frames.
TEST_F(DemoFrameTest, SettingsThatAreNotFiniteLeaveTheFigureOutAndNothingElse) {
  THeadlessDemo demo;
  TDemoScene& scene = demo.Scene();
  scene.Tick();
  const float nan = std::nanf("");
  const Matrix4 placement = scene.Character->Placement;
  const auto tickWith = [&](const char* What, const std::function<void()>& Set) {
    SCOPED_TRACE(What);
    Set();
    scene.Tick();
    EXPECT_EQ(scene.Renderer.Losses.Vertices, scene.Renderer.VertexFill);
    EXPECT_EQ(scene.Renderer.FailedCalls, 0);
    scene.Renderer.Zoom = 2.0f;
    scene.Renderer.Light = {0, 0, 1};
    scene.Character->Placement = placement;
  };
  tickWith("a NaN zoom", [&] { scene.Renderer.Zoom = nan; });
  tickWith("a NaN light", [&] { scene.Renderer.Light = {nan, 0, 1}; });
  tickWith("a NaN placement", [&] { scene.Character->Placement[12] = nan; });
  tickWith("an infinite placement", [&] { scene.Character->Placement[0] = INFINITY; });
  // Huge but finite: what overflows is left out, what stays finite is drawn.
  scene.Renderer.Zoom = 1e30f;
  scene.Tick();
  EXPECT_EQ(scene.Renderer.FailedCalls, 0);
  scene.Renderer.Zoom = 2.0f;
  scene.Tick();
  EXPECT_EQ(scene.Renderer.Losses.Vertices, 0);
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
