// Frame capture and replay end to end: the demonstration's frames recorded through the
// recording layer and played back through a fresh software device, and the mapping of the
// device's states onto OpenGL checked against our device on a small frame.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d/DeviceCore.h"
#include "platform/display/Rgb565.h"
#include "tests/support/TempDirectory.h"
#include "tools/korcapture/FrameRecorder.h"
#include "tools/korreplay/DeviceReplay.h"
#include "tools/korreplay/PixelCompare.h"
#include "tools/snapshot/HeadlessDemo.h"
#ifdef KOR_HAVE_OSMESA
#include "tools/korreplay/GlReplay.h"
#endif

namespace {

using namespace framecapture;

// Every committed capture (tools/korreplay/captures), read, with its file name; a capture that
// does not read fails the calling test.
std::vector<std::pair<std::string, FrameCapture>> CommittedCaptures() {
  std::vector<std::pair<std::string, FrameCapture>> captures;
  for (const auto& entry : std::filesystem::directory_iterator(KOR_CAPTURES_DIR)) {
    if (entry.path().extension() != ".korframe") continue;
    FrameCapture f;
    std::string error;
    EXPECT_TRUE(LoadCapture(entry.path().string(), f, error)) << error;
    captures.emplace_back(entry.path().filename().string(), std::move(f));
  }
  return captures;
}

class DemoCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    testDir_ = std::filesystem::current_path();
    std::filesystem::current_path(KOR_ASSETS_DIR);
  }
  void TearDown() override { std::filesystem::current_path(testDir_); }

  // Ticks the demonstration Before frames, then records the next one.
  static FrameCapture Record(THeadlessDemo& demo, int before) {
    for (int i = 0; i < before; ++i) demo.Scene().Tick();
    ViewRecording recording(demo.View());
    recording.Recorder().Start("test");
    demo.Scene().Tick();
    return recording.Recorder().Finish();
  }

  // The replayed pixels widened as the view's picture is.
  static std::vector<std::uint8_t> Rgba(const std::vector<std::uint16_t>& pixels) {
    std::vector<std::uint8_t> rgba;
    for (std::uint16_t p : pixels) {
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(platform::Red565(p)),
                               static_cast<std::uint8_t>(platform::Green565(p)),
                               static_cast<std::uint8_t>(platform::Blue565(p)), 255});
    }
    return rgba;
  }

 private:
  std::filesystem::path testDir_;
};

TEST_F(DemoCapture, TheCaptureHoldsTheFramesCallsAndTextures) {
  THeadlessDemo demo;
  const FrameCapture f = Record(demo, 3);
  EXPECT_EQ(f.Target.Width, 512u);
  EXPECT_EQ(f.Target.Height, 386u);
  EXPECT_GT(f.Target.DepthBits, 0u);
  std::size_t clears = 0, draws = 0;
  for (const CaptureCommand& c : f.Commands) {
    clears += c.Kind == CommandKind::Clear;
    draws += c.Kind == CommandKind::Draw;
  }
  EXPECT_EQ(clears, 1u);
  EXPECT_GT(draws, 0u);
  EXPECT_GT(f.TriangleCount(), 1000u);
  ASSERT_FALSE(f.Textures.empty());
  for (const CaptureTexture& t : f.Textures) {
    EXPECT_TRUE(t.Palettised);
    EXPECT_EQ(t.Palette.size(), 256u);
  }
  // The recording layer is gone afterwards: the view draws through its own device again.
  EXPECT_NE(platform::CoreOf(demo.View().D3DDevice.Get()), nullptr);
}

TEST_F(DemoCapture, AReplayThroughOurDeviceEqualsTheProgramsPicture) {
  THeadlessDemo demo;
  for (int before : {0, 12, 12}) {
    const FrameCapture captured = Record(demo, before);
    int width = 0, height = 0;
    const std::vector<std::uint8_t> program = demo.ViewPixels(width, height);
    ASSERT_EQ(width, 512);
    // Through the file format, as korreplay sees it.
    FrameCapture f;
    std::string error;
    ASSERT_TRUE(DecodeCapture(EncodeCapture(captured), f, error)) << error;
    DeviceReplay replay(f);
    replay.Run();
    EXPECT_EQ(Rgba(replay.Pixels()), program);
    replay.Run();  // a second run starts from the captured states again
    EXPECT_EQ(Rgba(replay.Pixels()), program);
  }
}

TEST_F(DemoCapture, AReplayOfALargerViewEqualsTheProgramsPicture) {
  THeadlessDemo demo(640, 480);
  const FrameCapture f = Record(demo, 20);
  int width = 0, height = 0;
  const std::vector<std::uint8_t> program = demo.ViewPixels(width, height);
  ASSERT_EQ(width, 640);
  DeviceReplay replay(f);
  replay.Run();
  EXPECT_EQ(Rgba(replay.Pixels()), program);
}

// The committed captures (tools/korreplay/captures, re-made by make.sh when the geometry stage
// changes what it draws) still read, and the demonstration's frame 13 replays to the picture
// the program draws for that frame today.
TEST_F(DemoCapture, TheCommittedCapturesReplayAndMatchTheProgram) {
  const auto captures = CommittedCaptures();
  ASSERT_FALSE(HasFailure());
  for (const auto& [name, f] : captures) EXPECT_NO_THROW(DeviceReplay(f).Run()) << name;
  FrameCapture f;
  std::string error;
  ASSERT_TRUE(LoadCapture(std::string(KOR_CAPTURES_DIR) + "/demo-13.korframe", f, error)) << error;
  THeadlessDemo demo;
  for (int i = 0; i < 13; ++i) demo.Scene().Tick();
  int width = 0, height = 0;
  const std::vector<std::uint8_t> program = demo.ViewPixels(width, height);
  DeviceReplay replay(f);
  replay.Run();
  EXPECT_EQ(Rgba(replay.Pixels()), program);
}

// Every committed capture (the demonstration's frames, nine figures, large triangles) gives the
// same picture whatever the number of threads our device draws with.
TEST(CapturedFrames, ReplayToTheSamePictureWithAnyThreadCount) {
  const auto captures = CommittedCaptures();
  ASSERT_FALSE(HasFailure());
  for (const auto& [name, f] : captures) {
    std::vector<std::uint16_t> one;
    for (int threads : {1, 2, 3, 5}) {
      DeviceReplay replay(f);
      replay.SetThreadCount(threads);
      replay.Run();
      replay.Run();  // a second frame over the first, as a program draws them
      if (threads == 1) {
        one = replay.Pixels();
      } else {
        const std::vector<std::uint16_t> many = replay.Pixels();
        ASSERT_EQ(many.size(), one.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < one.size(); ++i) differing += many[i] != one[i];
        EXPECT_EQ(differing, 0u) << name << ", " << threads << " threads";
      }
    }
  }
}

// Frames the reader accepts but no program would draw: a texture handle naming nothing, a draw
// without vertices, a clear without rectangles and one beyond the target, a viewport larger
// than the target. Both replays take them without failing.
FrameCapture OddFrame() {
  FrameCapture f;
  f.Target = {16, 8, 16, 0xF800, 0x07E0, 0x001F, 16};
  auto push = [&f](CommandKind kind, std::uint32_t type, std::uint32_t value) {
    CaptureCommand c;
    c.Kind = kind;
    c.Type = type;
    c.Value = value;
    f.Commands.push_back(c);
    return &f.Commands.back();
  };
  push(CommandKind::RenderState, D3DRENDERSTATE_TEXTUREHANDLE, 99);
  push(CommandKind::Viewport, 0, 0)->Viewport = {
      sizeof(D3DVIEWPORT2), 0, 0, 64, 64, 0, 0, 0, 0, 0, 1};
  push(CommandKind::Clear, 0, 42)->Flags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
  CaptureCommand* clear = push(CommandKind::Clear, 0, 0);
  clear->Flags = D3DCLEAR_TARGET;
  clear->Rects = {{-5, -5, 100, 100}};
  push(CommandKind::Draw, D3DPT_TRIANGLELIST, D3DVT_TLVERTEX);
  CaptureCommand* strip = push(CommandKind::Draw, D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX);
  strip->Vertices = {{1, 1, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0},
                     {30, 1, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0},
                     {1, 30, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0}};
  strip->Indices = {0, 1};
  return f;
}

TEST(OddFrames, ReplayWithoutFailing) {
  const FrameCapture f = OddFrame();
  DeviceReplay ours(f);
  EXPECT_NO_THROW(ours.Run());
  EXPECT_EQ(ours.Pixels().size(), 16u * 8u);
#ifdef KOR_HAVE_OSMESA
  GlContext context;
  GlReplay gl(f);
  EXPECT_NO_THROW(gl.Run());
  EXPECT_EQ(gl.Pixels().size(), 16u * 8u);
#endif
}

TEST(DeviceReplayTarget, OnlyFiveSixFiveTargetsAreReplayed) {
  FrameCapture f;
  f.Target = {4, 4, 32, 0xFF0000, 0xFF00, 0xFF, 0};
  EXPECT_THROW(DeviceReplay{f}, std::runtime_error);
}

#ifdef KOR_HAVE_OSMESA
// Two overlapping triangles at different depths, one textured with a palette, and one turned
// the other way (culled), on a cleared target: GL must agree with our device everywhere but
// along edges, which catches a turned-over picture, wrong culling, depth or texture mapping.
FrameCapture SmallFrame() {
  FrameCapture f;
  f.Target = {64, 48, 16, 0xF800, 0x07E0, 0x001F, 32};
  CaptureTexture t;
  t.Id = 1;
  t.Width = t.Height = 4;
  t.Palette.assign(256, 0xFF000000u);
  t.Palette[1] = 0xFFFFFFFFu;
  t.Palette[2] = 0xFF40C080u;
  for (int i = 0; i < 16; ++i) t.Pixels.push_back(static_cast<std::uint8_t>(1 + ((i + i / 4) & 1)));
  f.Textures.push_back(t);
  CaptureMaterial m;
  m.Id = 7;
  m.Material.diffuse = {0.1f, 0.2f, 0.6f, 1};
  f.Materials.push_back(m);
  auto state = [&f](CommandKind kind, std::uint32_t type, std::uint32_t value) {
    CaptureCommand c;
    c.Kind = kind;
    c.Type = type;
    c.Value = value;
    f.Commands.push_back(c);
  };
  state(CommandKind::RenderState, D3DRENDERSTATE_ZENABLE, 1);
  state(CommandKind::RenderState, D3DRENDERSTATE_ZWRITEENABLE, 1);
  state(CommandKind::RenderState, D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
  state(CommandKind::RenderState, D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
  state(CommandKind::RenderState, D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
  state(CommandKind::RenderState, D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0);
  state(CommandKind::RenderState, D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_MODULATE);
  CaptureCommand viewport;  // the whole target
  viewport.Kind = CommandKind::Viewport;
  f.Commands.push_back(viewport);
  CaptureCommand clear;
  clear.Kind = CommandKind::Clear;
  clear.Value = 7;
  clear.Flags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
  clear.Rects = {{0, 0, 64, 48}};
  f.Commands.push_back(clear);
  auto draw = [&f](std::vector<D3DTLVERTEX> vertices) {
    CaptureCommand c;
    c.Kind = CommandKind::Draw;
    c.Type = D3DPT_TRIANGLELIST;
    c.Value = D3DVT_TLVERTEX;
    c.Vertices = std::move(vertices);
    c.Indices = {0, 1, 2};
    f.Commands.push_back(c);
  };
  // Corners a quarter pixel off the pixel centres, so that edges and texel boundaries fall
  // between samples and neither fill rule nor rounding decides a pixel.
  // Near, untextured, clockwise on screen: drawn over the top-left.
  draw({{2.25f, 2.25f, 0.2f, 1, 0xFFFF8000, 0, 0, 0},
        {40.25f, 2.25f, 0.2f, 1, 0xFFFF8000, 0, 0, 0},
        {2.25f, 40.25f, 0.2f, 1, 0xFFFF8000, 0, 0, 0}});
  // Far, textured: hidden where the near one covers it.
  state(CommandKind::RenderState, D3DRENDERSTATE_TEXTUREHANDLE, 1);
  draw({{10.25f, 6.25f, 0.6f, 1, 0xFFFFFFFF, 0, 0, 0},
        {62.25f, 6.25f, 0.6f, 1, 0xFFFFFFFF, 0, 1, 0},
        {10.25f, 46.25f, 0.6f, 1, 0xFFFFFFFF, 0, 0, 1}});
  // Counter-clockwise: culled.
  draw({{30.25f, 30.25f, 0.1f, 1, 0xFF00FF00, 0, 0, 0},
        {30.25f, 46.25f, 0.1f, 1, 0xFF00FF00, 0, 0, 0},
        {62.25f, 30.25f, 0.1f, 1, 0xFF00FF00, 0, 0, 0}});
  return f;
}

TEST(GlReplayMapping, LlvmpipeAgreesWithOurDeviceAwayFromEdges) {
  const FrameCapture f = SmallFrame();
  DeviceReplay ours(f);
  ours.Run();
  GlContext context;
  GlReplay gl(f);
  gl.Run();
  const std::vector<std::uint16_t> mine = ours.Pixels(), theirs = gl.Pixels();
  // The picture holds the clear colour, the near triangle and both texel colours, so a
  // turned-over picture, a wrong cull, depth test or texture mapping would differ in hundreds
  // of pixels; GL rounds colours to 5-6-5 where the device truncates, hence one step allowed.
  EXPECT_EQ(mine[35 * 64 + 40], mine[63]);  // the culled triangle is not drawn
  EXPECT_NE(mine[5 * 64 + 5], mine[63]);
  EXPECT_NE(mine[10 * 64 + 45], mine[63]);  // textured, beside the near one
  EXPECT_EQ(CountDiffering(mine, theirs), 0u);
}

// The demonstration's per-pixel states on one large quad whose depth runs through the fog's
// start and end: Gouraud colours, specular added after the texture, linear table fog, dither.
// A fog coordinate or colour sum mapped wrongly would move most pixels by many steps.
TEST(GlReplayMapping, SpecularAndTableFogAgreeWithOurDevice) {
  FrameCapture f = SmallFrame();
  f.Commands.resize(f.Commands.size() - 4);  // keep the states, the viewport and the clear
  auto state = [&f](std::uint32_t type, std::uint32_t value) {
    CaptureCommand c;
    c.Kind = CommandKind::RenderState;
    c.Type = type;
    c.Value = value;
    f.Commands.push_back(c);
  };
  state(D3DRENDERSTATE_TEXTUREHANDLE, 1);
  state(D3DRENDERSTATE_SPECULARENABLE, 1);
  state(D3DRENDERSTATE_DITHERENABLE, 1);
  state(D3DRENDERSTATE_FOGENABLE, 1);
  state(D3DRENDERSTATE_FOGCOLOR, 0xFFDFDFEF);
  state(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
  state(D3DRENDERSTATE_FOGTABLESTART, std::bit_cast<std::uint32_t>(0.2f));
  state(D3DRENDERSTATE_FOGTABLEEND, std::bit_cast<std::uint32_t>(0.4f));
  CaptureCommand quad;
  quad.Kind = CommandKind::Draw;
  quad.Type = D3DPT_TRIANGLELIST;
  quad.Value = D3DVT_TLVERTEX;
  quad.Vertices = {{0.25f, 0.25f, 0.1f, 1, 0xFF8040C0, 0xFF302010, 0, 0},
                   {63.75f, 0.25f, 0.3f, 1, 0xFF40C080, 0xFF103020, 0.7f, 0},
                   {63.75f, 47.75f, 0.5f, 1, 0xFFC08040, 0xFF201030, 0.7f, 0.6f},
                   {0.25f, 47.75f, 0.3f, 1, 0xFFFFFFFF, 0xFF000000, 0, 0.6f}};
  quad.Indices = {0, 1, 2, 0, 2, 3};
  f.Commands.push_back(quad);

  DeviceReplay ours(f);
  ours.Run();
  GlContext context;
  GlReplay gl(f);
  gl.Run();
  const std::vector<std::uint16_t> mine = ours.Pixels(), theirs = gl.Pixels();
  EXPECT_NE(mine[2 * 64 + 2], mine[45 * 64 + 60]);  // unfogged and fogged corners differ
  EXPECT_LE(CountDiffering(mine, theirs), mine.size() / 100);
}
#endif

}  // namespace

namespace {

int ExitCode(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The two commands end to end: a capture of two figures in a 320 x 240 view, its replay table
// and pictures, and the refusals of bad arguments and files.
TEST(FrameCaptureCommands, CaptureThenReplayWritesTheTableAndPictures) {
  testsupport::TempDirectory dir("frame_commands");
  const std::string file = dir.File("two.korframe");
  ASSERT_EQ(ExitCode("cd " KOR_ASSETS_DIR " && " KOR_CAPTURE " --size 320x240 --figures 2 3 " +
                     file + " >/dev/null"),
            0);
  framecapture::FrameCapture f;
  std::string error;
  ASSERT_TRUE(framecapture::LoadCapture(file, f, error)) << error;
  EXPECT_EQ(f.Target.Width, 320u);
  EXPECT_EQ(f.Label, "2 figures, 320 x 240, frame 3");
  EXPECT_GT(f.TriangleCount(), 2000u);

  const std::string table = dir.File("table.txt");
  ASSERT_EQ(ExitCode(std::string(KOR_REPLAY) + " --runs 1 --out " + dir.Path() + " " + file +
                     " > " + table + " 2>/dev/null"),
            0);
  const std::vector<uint8_t> text = testsupport::ReadBytes(table);
  EXPECT_NE(std::string(text.begin(), text.end()).find("| two | "), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.File("two-ours.png")));

  EXPECT_EQ(ExitCode(std::string(KOR_CAPTURE) + " --size 5x5 1 x 2>/dev/null"), 2);
  std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
  std::ofstream(dir.File("bad.korframe"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), 100);
  EXPECT_EQ(ExitCode(std::string(KOR_REPLAY) + " " + dir.File("bad.korframe") + " 2>/dev/null"), 1);
}

}  // namespace
