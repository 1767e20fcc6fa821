#include "tools/korcapture/FrameCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "tests/support/TempDirectory.h"

namespace {

using namespace framecapture;

CaptureCommand Command(CommandKind kind, std::uint32_t type = 0, std::uint32_t value = 0,
                       std::uint32_t flags = 0) {
  CaptureCommand c;
  c.Kind = kind;
  c.Type = type;
  c.Value = value;
  c.Flags = flags;
  return c;
}

// A small frame with every kind of record.
FrameCapture SampleFrame() {
  FrameCapture f;
  f.Target = {8, 4, 16, 0xF800, 0x07E0, 0x001F, 32};
  f.Label = "sample";
  CaptureTexture t;
  t.Id = 3;
  t.Width = 2;
  t.Height = 2;
  t.Palette.assign(256, 0xFF102030u);
  t.Pixels = {0, 1, 2, 3};
  f.Textures.push_back(t);
  CaptureMaterial m;
  m.Id = 5;
  m.Material.diffuse = {0.25f, 0.5f, 0.75f, 1};
  m.Material.power = 10;
  f.Materials.push_back(m);
  auto add = [&f](CaptureCommand c) { f.Commands.push_back(std::move(c)); };
  add(Command(CommandKind::RenderState, D3DRENDERSTATE_TEXTUREHANDLE, 3));
  add(Command(CommandKind::LightState, D3DLIGHTSTATE_MATERIAL, 5));
  CaptureCommand viewport = Command(CommandKind::Viewport);
  viewport.Viewport = {sizeof(D3DVIEWPORT2), 0, 0, 8, 4, -1, 1, 2, 2, 0, 1};
  add(viewport);
  CaptureCommand clear = Command(CommandKind::Clear, 0, 5, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  clear.Viewport = viewport.Viewport;
  clear.Rects = {{0, 0, 8, 4}};
  add(clear);
  add(Command(CommandKind::BeginScene));
  CaptureCommand draw = Command(CommandKind::Draw, D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, D3DDP_WAIT);
  draw.Vertices = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0xFF000000, 0, 0},
                   {7, 0, 0.5f, 1, 0xFFFF0000, 0xFF000000, 1, 0},
                   {0, 3, 0.5f, 1, 0xFF00FF00, 0xFF000000, 0, 1}};
  draw.Indices = {0, 1, 2};
  add(draw);
  add(Command(CommandKind::EndScene));
  return f;
}

bool Decode(const std::vector<std::uint8_t>& bytes, std::string& error) {
  FrameCapture decoded;
  return DecodeCapture(bytes, decoded, error);
}

// Offset of the first draw's vertex count in SampleFrame's encoding.
std::size_t VertexCountOffset(const std::vector<std::uint8_t>& bytes) {
  const std::uint32_t draw = static_cast<std::uint32_t>(CommandKind::Draw);
  for (std::size_t at = bytes.size() - 4; at-- > 0;) {
    std::uint32_t kind = 0;
    std::memcpy(&kind, &bytes[at], 4);
    std::uint32_t type = 0;
    std::memcpy(&type, &bytes[at + 4], 4);
    if (kind == draw && type == D3DPT_TRIANGLELIST) return at + 20;
  }
  return 0;
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  std::memcpy(&bytes[at], &value, 4);
}

TEST(FrameCaptureFile, EveryRecordSurvivesEncodingAndDecoding) {
  const FrameCapture f = SampleFrame();
  FrameCapture back;
  std::string error;
  ASSERT_TRUE(DecodeCapture(EncodeCapture(f), back, error)) << error;
  EXPECT_EQ(back.Target.Width, 8u);
  EXPECT_EQ(back.Target.DepthBits, 32u);
  EXPECT_EQ(back.Label, "sample");
  ASSERT_EQ(back.Textures.size(), 1u);
  EXPECT_EQ(back.Textures[0].Pixels, f.Textures[0].Pixels);
  EXPECT_EQ(back.Textures[0].Palette, f.Textures[0].Palette);
  ASSERT_NE(back.FindMaterial(5), nullptr);
  EXPECT_EQ(back.FindMaterial(5)->Material.diffuse.g, 0.5f);
  ASSERT_EQ(back.Commands.size(), f.Commands.size());
  const CaptureCommand& clear = back.Commands[3];
  EXPECT_EQ(clear.Kind, CommandKind::Clear);
  EXPECT_EQ(clear.Value, 5u);
  EXPECT_EQ(clear.Viewport.dvClipX, -1.0f);
  ASSERT_EQ(clear.Rects.size(), 1u);
  EXPECT_EQ(clear.Rects[0].x2, 8);
  const CaptureCommand& draw = back.Commands[5];
  EXPECT_EQ(draw.Indices, f.Commands[5].Indices);
  ASSERT_EQ(draw.Vertices.size(), 3u);
  EXPECT_EQ(draw.Vertices[1].color, 0xFFFF0000u);
  EXPECT_EQ(draw.Vertices[2].tv, 1.0f);
  EXPECT_EQ(back.TriangleCount(), 1u);
}

TEST(FrameCaptureFile, DrawsSharingTheirVerticesStoreThemOnce) {
  FrameCapture f = SampleFrame();
  const std::size_t single = EncodeCapture(f).size();
  CaptureCommand second = f.Commands[5];
  second.Indices = {2, 1, 0};
  f.Commands.insert(f.Commands.begin() + 6, second);
  const std::vector<std::uint8_t> bytes = EncodeCapture(f);
  // The second draw adds its kind, three fields, the source, its index count and indices.
  EXPECT_EQ(bytes.size(), single + 4 * 6 + 3 * 2);
  FrameCapture back;
  std::string error;
  ASSERT_TRUE(DecodeCapture(bytes, back, error)) << error;
  ASSERT_EQ(back.Commands[6].Vertices.size(), 3u);
  EXPECT_EQ(back.Commands[6].Vertices[1].sx, 7.0f);
  EXPECT_EQ(back.Commands[6].Indices, second.Indices);
  EXPECT_EQ(back.TriangleCount(), 2u);

  // A first draw cannot refer to a previous one.
  std::vector<std::uint8_t> bad = EncodeCapture(SampleFrame());
  PutU32(bad, VertexCountOffset(bad) - 4, 1);
  EXPECT_FALSE(Decode(bad, error));
  EXPECT_NE(error.find("bad vertex source 1"), std::string::npos) << error;
}

TEST(FrameCaptureFile, EveryTruncationIsRefusedWithAReason) {
  const std::vector<std::uint8_t> bytes = EncodeCapture(SampleFrame());
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    std::string error;
    EXPECT_FALSE(Decode({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)}, error))
        << size;
    EXPECT_FALSE(error.empty()) << size;
  }
}

TEST(FrameCaptureFile, WrongHeadersCountsAndIndicesAreNamed) {
  const std::vector<std::uint8_t> good = EncodeCapture(SampleFrame());
  std::string error;

  std::vector<std::uint8_t> bytes = good;
  bytes[0] = 'X';
  EXPECT_FALSE(Decode(bytes, error));
  EXPECT_NE(error.find("not a frame capture"), std::string::npos) << error;

  bytes = good;
  PutU32(bytes, 8, 99);
  EXPECT_FALSE(Decode(bytes, error));
  EXPECT_NE(error.find("version 99"), std::string::npos) << error;

  const std::size_t vertexCount = VertexCountOffset(good);
  ASSERT_NE(vertexCount, 0u);
  bytes = good;
  PutU32(bytes, vertexCount, 0x7FFFFFFF);  // would ask for 64 GB
  EXPECT_FALSE(Decode(bytes, error));
  EXPECT_NE(error.find("more than the file holds"), std::string::npos) << error;

  bytes = good;
  PutU32(bytes, vertexCount, 2);  // the third vertex's bytes become indices: counts misfit
  EXPECT_FALSE(Decode(bytes, error));
  EXPECT_FALSE(error.empty());

  FrameCapture f = SampleFrame();
  f.Commands[5].Indices = {0, 1, 3};
  EXPECT_FALSE(Decode(EncodeCapture(f), error));
  EXPECT_NE(error.find("index 3 beyond its 3 vertices"), std::string::npos) << error;

  bytes = good;
  bytes.push_back(0);
  EXPECT_FALSE(Decode(bytes, error));
  EXPECT_NE(error.find("after the last command"), std::string::npos) << error;
}

TEST(FrameCaptureFile, UnknownKindsAndFormatsAreRefused) {
  std::string error;
  FrameCapture f = SampleFrame();
  f.Commands[4].Kind = static_cast<CommandKind>(42);
  EXPECT_FALSE(Decode(EncodeCapture(f), error));
  EXPECT_NE(error.find("unknown kind 42"), std::string::npos) << error;

  f = SampleFrame();
  f.Commands[5].Type = 9;
  EXPECT_FALSE(Decode(EncodeCapture(f), error));
  EXPECT_NE(error.find("unknown primitive type 9"), std::string::npos) << error;

  f = SampleFrame();
  f.Textures[0].BitCount = 24;
  f.Textures[0].Palettised = false;
  EXPECT_FALSE(Decode(EncodeCapture(f), error));
  EXPECT_NE(error.find("unknown format"), std::string::npos) << error;

  f = SampleFrame();
  f.Textures[0].Width = 100000;
  EXPECT_FALSE(Decode(EncodeCapture(f), error));
  EXPECT_NE(error.find("bad size"), std::string::npos) << error;

  f = SampleFrame();
  f.Target.DepthBits = 7;
  EXPECT_FALSE(Decode(EncodeCapture(f), error));
  EXPECT_NE(error.find("unknown depth"), std::string::npos) << error;
}

TEST(FrameCaptureFile, FilesLoadCompressedOrPlainAndMissingOnesAreNamed) {
  testsupport::TempDirectory dir("frame_capture");
  const FrameCapture f = SampleFrame();
  std::string error;
  ASSERT_TRUE(SaveCapture(dir.File("a.korframe"), f, error)) << error;
  FrameCapture back;
  ASSERT_TRUE(LoadCapture(dir.File("a.korframe"), back, error)) << error;
  EXPECT_EQ(back.Commands.size(), f.Commands.size());

  const std::vector<std::uint8_t> plain = EncodeCapture(f);
  std::ofstream(dir.File("b.korframe"), std::ios::binary)
      .write(reinterpret_cast<const char*>(plain.data()),
             static_cast<std::streamsize>(plain.size()));
  ASSERT_TRUE(LoadCapture(dir.File("b.korframe"), back, error)) << error;
  EXPECT_EQ(back.Label, "sample");

  std::ofstream(dir.File("c.korframe"), std::ios::binary)
      .write(reinterpret_cast<const char*>(plain.data()), 40);
  EXPECT_FALSE(LoadCapture(dir.File("c.korframe"), back, error));
  EXPECT_NE(error.find("c.korframe: truncated"), std::string::npos) << error;

  EXPECT_FALSE(LoadCapture(dir.File("missing.korframe"), back, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
