#include "render/FramePass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "components/KorvelRM.h"
#include "platform/ddraw/DDrawErrors.h"
#include "render/NearClip.h"
#include "scene/Texdata.h"
#include "tests/render/RecordingDevice.h"

namespace {

using Log = testsupport::Log;

// A 640 x 480 view whose device and viewports record every call, and a renderer on it with the
// start-up camera.
class FramePassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = new TKorvelRM(nullptr);
    view_->SetBounds(0, 0, 640, 480);
    device_ = new testsupport::Device(log_);
    view_->D3DDevice.Attach(device_);
    auto* inner = new testsupport::Viewport2(log_);
    view_->Viewport.Attach(new testsupport::RMViewport(log_, inner));
    inner->Release();  // the retained-mode viewport holds it
    view_->BGMaterialHandle = 5;
    NewRenderer(R_, view_, 0, 0, 64, 256, 2.0f);
    MakeMatrix(R_.Camera, 0, 0, -20, 0, 0, 0);
    NewObject(root_, 0, 0, 0, 0);
  }
  void TearDown() override {
    FreeObject(root_);
    FreeRenderer(R_);
    delete view_;
  }

  // An object under the root with a quad at depth 20 (+ z) for each texture given.
  TKorObject* Quads(std::initializer_list<const TKorTexdata*> textures, float z = 0,
                    uint8_t flag = 6) {
    TKorObject* obj = nullptr;
    NewObject(obj, 4, static_cast<int32_t>(textures.size()), 0, 0);
    AddVertex(obj, 0xFFFFFFFFu, -1, -1, z, 0, 0, -1, 0, 0);
    AddVertex(obj, 0xFFFFFFFFu, 1, -1, z, 0, 0, -1, 1, 0);
    AddVertex(obj, 0xFFFFFFFFu, 1, 1, z, 0, 0, -1, 1, 1);
    AddVertex(obj, 0xFFFFFFFFu, -1, 1, z, 0, 0, -1, 0, 1);
    const uint16_t quad[] = {0, 1, 2, 3};
    for (const TKorTexdata* texture : textures) AddFace(obj, quad, 4, flag, texture);
    AttachObject(root_, obj);
    return obj;
  }

  // The log from the first call after the set-up.
  Log FrameLog() {
    log_.clear();
    device_->draws.clear();
    DrawScene(R_, root_, false);
    return log_;
  }

  Log log_;
  TKorvelRM* view_ = nullptr;
  testsupport::Device* device_ = nullptr;
  TKorRenderer R_;
  TKorObject* root_ = nullptr;
  TKorTexdata texture0_{0, 100, 200, "a"};
  TKorTexdata texture7_{7, 107, 207, "b"};
};

TEST_F(FramePassTest, NewRendererSetsSpecularAndFogInOrder) {
  Log log;
  for (int i = 0; i < 6; ++i) log.push_back(log_[static_cast<size_t>(i)]);
  EXPECT_EQ(log, (Log{"SetRenderState 29 0x1", "SetRenderState 28 0x1", "SetRenderState 35 0x3",
                      "SetRenderState 34 0xFFDFDFEF", "SetRenderState 36 0x3E4CCCCD",
                      "SetRenderState 37 0x3ECCCCCD"}));
  EXPECT_EQ(log_.size(), 6u);
  EXPECT_EQ(R_.ScreenWidth, 640);  // 0 x 0 takes the view's size
  EXPECT_EQ(R_.HalfHeight, 240.0f);
}

TEST_F(FramePassTest, AnEmptyTreeStillClearsAndBracketsTheScene) {
  EXPECT_EQ(FrameLog(), (Log{"GetDirect3DViewport", "SetCurrentViewport", "SetBackground 5",
                             "Clear 1 (0,0,640,480) 3", "BeginScene", "EndScene"}));
  log_.clear();
  DrawScene(R_, root_, true);
  EXPECT_EQ(log_[3], "Clear 1 (0,0,640,480) 2");
}

TEST_F(FramePassTest, AWhollyVisibleQueueIsOneUnclippedDraw) {
  TKorObject* first = Quads({&texture0_});
  TKorObject* second = Quads({&texture0_});  // attached last, so walked first
  const Log log = FrameLog();
  EXPECT_EQ(log, (Log{"GetDirect3DViewport", "SetCurrentViewport", "SetBackground 5",
                      "Clear 1 (0,0,640,480) 3", "BeginScene", "SetRenderState 1 0x64",
                      "SetLightState 1 200", "DrawIndexedPrimitive 4 3 12 5", "EndScene"}));
  ASSERT_EQ(device_->draws.size(), 1u);
  EXPECT_EQ(device_->draws[0].vertexCount, 8u);
  EXPECT_EQ(second->FirstIndex, 0);
  EXPECT_EQ(first->FirstIndex, 4);
  // The queue is a stack: the polygon of the object walked last is drawn first.
  EXPECT_EQ(device_->draws[0].indices, (std::vector<WORD>{4, 5, 6, 4, 6, 7, 0, 1, 2, 0, 2, 3}));
  for (BucketNode* head : R_.Buckets) EXPECT_EQ(head, nullptr);
}

TEST_F(FramePassTest, PolygonsThatAreNotFansSetTheTextureAndDrawNothing) {
  Quads({&texture0_}, 0, /*flag=*/5);
  const Log log = FrameLog();
  EXPECT_EQ(log[5], "SetRenderState 1 0x64");
  EXPECT_EQ(log[6], "SetLightState 1 200");
  EXPECT_EQ(log[7], "EndScene");
}

TEST_F(FramePassTest, QueuesGoInTextureOrderClippedGroupFirst) {
  Quads({&texture7_});
  // A quad reaching behind the camera: partial, needs clipping.
  TKorObject* crossing = nullptr;
  NewObject(crossing, 3, 1, 0, 0);
  AddVertex(crossing, 0xFFFFFFFFu, 0, 0, 0, 0, 0, -1, 0, 0);
  AddVertex(crossing, 0xFFFFFFFFu, 1, 0, -30, 0, 0, -1, 0, 0);
  AddVertex(crossing, 0xFFFFFFFFu, 0, 1, 0, 0, 0, -1, 0, 0);
  const uint16_t tri[] = {0, 1, 2};
  AddFace(crossing, tri, 3, 6, &texture0_);
  AttachObject(root_, crossing);
  Quads({&texture0_});

  const Log log = FrameLog();
  ASSERT_EQ(log.size(), 13u);
  EXPECT_EQ(log[5], "SetRenderState 1 0x64");
  EXPECT_EQ(log[7], "DrawIndexedPrimitive 4 3 6 1");  // clipped: two triangles, device clips
  EXPECT_EQ(log[8], "DrawIndexedPrimitive 4 3 6 5");  // the unclipped quad
  EXPECT_EQ(log[9], "SetRenderState 1 0x6B");
  EXPECT_EQ(log[11], "DrawIndexedPrimitive 4 3 6 5");
  // The clipper added two vertices at the near plane after the transformed ones.
  EXPECT_EQ(R_.VertexFill, 4 + 3 + 4 + 2);
  const D3DTLVERTEX& added = R_.VertexBuffer[static_cast<size_t>(R_.VertexFill - 1)];
  EXPECT_EQ(added.rhw, 200.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(added.sz), 0x37A7C5ACu);
}

TEST_F(FramePassTest, FailedDeviceCallsAreCountedForTheCaller) {
  Quads({&texture0_});
  FrameLog();
  EXPECT_EQ(R_.FailedCalls, 0);
  device_->result = DDERR_SURFACELOST;
  FrameLog();
  // SetCurrentViewport, BeginScene, the texture's render and light states, the draw, EndScene.
  EXPECT_EQ(R_.FailedCalls, 6);
  device_->result = 0;
  FrameLog();
  EXPECT_EQ(R_.FailedCalls, 0) << "each frame counts afresh";
}

TEST_F(FramePassTest, EveryCapacityDrawsWhatFitsAndCountsTheRest) {
  Quads({&texture0_, &texture7_});
  Quads({&texture0_});
  const auto drawWith = [&](TKorRenderer& R, int32_t Polygons, int32_t Vertices) {
    NewRenderer(R, view_, 0, 0, Polygons, Vertices, 2.0f);
    MakeMatrix(R.Camera, 0, 0, -20, 0, 0, 0);
    device_->draws.clear();
    DrawScene(R, root_, false);
    size_t triangles = 0;
    for (const testsupport::Draw& draw : device_->draws) triangles += draw.indices.size() / 3;
    FreeRenderer(R);
    return triangles;
  };
  // A queue holds the capacity less two sentinel slots: 0 to 2 hold nothing, 5 all three.
  // Each renderer is a fresh record, so its buffers have no room beyond their size.
  for (int32_t capacity = 0; capacity <= 5; ++capacity) {
    TKorRenderer R;
    const int32_t fits = std::min(std::max(capacity - 2, 0), 3);
    EXPECT_EQ(drawWith(R, capacity, 256), static_cast<size_t>(2 * fits)) << capacity;
    EXPECT_EQ(R.Losses.Polygons, 3 - fits) << "capacity " << capacity;
  }
  // Nor does a renderer without room for a single vertex.
  TKorRenderer R;
  EXPECT_EQ(drawWith(R, 0, 0), 0u);
  EXPECT_EQ(R.Losses.Objects, 2);
}

TEST(PartitionQueue, SplitsAroundClipStateOneAsTheTwoCursorsLeaveIt) {
  TKorRenderer R;
  NewRenderer(R, nullptr, 10, 10, 8, 8, 2.0f);
  TKorPolygon low, high, p[4];
  low.ClipState = -1;
  high.ClipState = 256;
  auto run = [&](std::initializer_list<int> states) {
    int k = 0;
    for (int state : states) p[k++].ClipState = state;
    R.SortList = {&low, &p[0], &p[1], &p[2], &p[3], &high, nullptr, nullptr};
    int32_t i = 0, j = 0;
    PartitionQueue(R, 5, i, j);
    std::vector<TKorPolygon*> clipped(R.SortList.begin() + 1, R.SortList.begin() + j + 1);
    std::vector<TKorPolygon*> unclipped(R.SortList.begin() + i, R.SortList.begin() + 5);
    return std::make_pair(clipped, unclipped);
  };
  auto [c1, u1] = run({2, 0, 2, 0});
  EXPECT_EQ(c1, (std::vector<TKorPolygon*>{&p[3], &p[1]}));
  EXPECT_EQ(u1, (std::vector<TKorPolygon*>{&p[2], &p[0]}));
  auto [c2, u2] = run({0, 2, 0, 2});
  EXPECT_EQ(c2, (std::vector<TKorPolygon*>{&p[0], &p[2]}));
  EXPECT_EQ(u2, (std::vector<TKorPolygon*>{&p[1], &p[3]}));
  auto [c3, u3] = run({2, 2, 2, 2});
  EXPECT_TRUE(c3.empty());
  EXPECT_EQ(u3.size(), 4u);
  FreeRenderer(R);
}

// One fan triangle of an owner whose Combined is the identity, so its positions are camera
// points; the transformed vertices are set by hand.
class NearClipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewRenderer(R_, nullptr, 640, 480, 8, 16, 2.0f);
    NewObject(owner_, 3, 1, 0, 0);
    owner_->Combined = IdentityMatrix;
    owner_->FirstIndex = 0;
  }
  void TearDown() override {
    FreeObject(owner_);
    FreeRenderer(R_);
  }
  int32_t Clip(float z0, float z1, float z2) {
    const float z[3] = {z0, z1, z2};
    const float x[3] = {10, 30, 10};
    for (int i = 0; i < 3; ++i) {
      AddVertex(owner_, 0, x[i], static_cast<float>(i) * 4, z[i], 0, 0, 1, 0, 0);
      R_.VertexBuffer[static_cast<size_t>(i)] = {0,
                                                 0,
                                                 0,
                                                 0,
                                                 0xFF000000u | (i * 0x40u),
                                                 0x10203040u * static_cast<uint32_t>(i),
                                                 0.1f * i,
                                                 0.2f * i};
    }
    R_.VertexFill = 3;
    const uint16_t indices[] = {0, 1, 2};
    AddFace(owner_, indices, 3, 6, nullptr);
    int32_t triangles = 0;
    ClipFanTriangle(R_, owner_->Faces[0], 1, 2, triangles);
    return triangles;
  }
  std::vector<uint16_t> Indices(int32_t triangles) const {
    return {R_.IndexBuffer.begin(), R_.IndexBuffer.begin() + triangles * 3};
  }

  // The same triangle handed to the clipper as camera points at full precision, so that
  // depths such as 1.01 and -0.99 are the decimals themselves rather than their singles.
  int32_t ClipAtDepths(double z0, double z1, double z2) {
    const double z[3] = {z0, z1, z2};
    ClipCorner corners[3];
    for (int i = 0; i < 3; ++i) {
      AddVertex(owner_, 0, 0, 0, 0, 0, 0, 1, 0, 0);  // stands in; the clipper reads corners
      corners[i] = {{i == 1 ? 30.0 : 10.0, i * 4.0, z[i]}, i};
    }
    SetTransformedVertices();
    int32_t triangles = 0;
    ClipTriangle(R_, corners, triangles);
    return triangles;
  }
  void SetTransformedVertices() {
    for (uint32_t i = 0; i < 3; ++i) {
      R_.VertexBuffer[i] = {0,        0,       0, 0, 0xFF000000u | (i * 0x40u), 0x10203040u * i,
                            0.1f * i, 0.2f * i};
    }
    R_.VertexFill = 3;
  }

  TKorRenderer R_;
  TKorObject* owner_ = nullptr;
};

TEST_F(NearClipTest, AllCornersBehindGiveNothing) {
  EXPECT_EQ(Clip(0.01f, -1, 0.005f), 0);
  EXPECT_EQ(R_.VertexFill, 3);
}

TEST_F(NearClipTest, AllInFrontPassThrough) {
  ASSERT_EQ(Clip(1, 2, 3), 1);
  EXPECT_EQ(Indices(1), (std::vector<uint16_t>{0, 1, 2}));
}

TEST_F(NearClipTest, OneCornerBehindGivesTwoTrianglesSharingTheFirstOutput) {
  ASSERT_EQ(Clip(1, -1, 3), 2);
  // Corner 0, the crossing of edge 0-1 (vertex 3), the crossing of edge 1-2 (4), corner 2.
  EXPECT_EQ(Indices(2), (std::vector<uint16_t>{0, 3, 4, 0, 4, 2}));
  EXPECT_EQ(R_.VertexFill, 5);
}

TEST_F(NearClipTest, TwoCornersBehindGiveOneTriangle) {
  ASSERT_EQ(Clip(1, -1, -2), 1);
  EXPECT_EQ(Indices(1), (std::vector<uint16_t>{0, 3, 4}));
}

TEST_F(NearClipTest, TheMidwayCrossingAveragesEverything) {
  // Edge 0-1 runs from camera depth 1.01 to -0.99: t = 0.5 exactly, and every field of the
  // crossing vertex is the rounded average, to the last bit.
  ASSERT_EQ(ClipAtDepths(1.01, -0.99, 1.01), 2);
  const D3DTLVERTEX& v = R_.VertexBuffer[3];
  EXPECT_EQ(v.rhw, 200.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(v.sz), 0x37A7C5ACu);  // the single nearest 0.00002
  EXPECT_EQ(v.sx, 20.0f * 200.0f + 320.0f);               // x midway between 10 and 30
  EXPECT_EQ(v.sy, 2.0f * 200.0f + 240.0f);
  EXPECT_EQ(v.tu, static_cast<float>(double{0.1f} / 2));
  EXPECT_EQ(v.tv, static_cast<float>(double{0.2f} / 2));
  EXPECT_EQ(v.color, 0xFF000020u);     // blue bytes 0x00 and 0x40 average to 0x20
  EXPECT_EQ(v.specular, 0x08101820u);  // half of 0x10203040 per byte
}

TEST_F(NearClipTest, TheCrossingIsFormedInDoubleFromTheCameraPoints) {
  // Depths from singles: 1.01f and -0.99f put t just below one half, so the blue byte's
  // average truncates to 0x1F and x falls short of the midpoint by the same fraction.
  ASSERT_EQ(Clip(1.01f, -0.99f, 1.01f), 2);
  const double t = (double{1.01f} - 0.01) / (double{1.01f} - double{-0.99f});
  ASSERT_LT(t, 0.5);
  const D3DTLVERTEX& v = R_.VertexBuffer[3];
  EXPECT_EQ(v.sx, static_cast<float>((10.0 - (10.0 - 30.0) * t) * 200.0 + 320.0));
  EXPECT_EQ(v.color, 0xFF00001Fu);
}

TEST_F(NearClipTest, ACornerOnThePlaneIsReplacedByACrossingAtItsOwnPlace) {
  ASSERT_EQ(ClipAtDepths(0.01, 1, 2), 1);
  const std::vector<uint16_t> indices = Indices(1);
  EXPECT_EQ(indices, (std::vector<uint16_t>{3, 1, 2}));
  EXPECT_EQ(R_.VertexBuffer[3].sx, 10.0f * 200.0f + 320.0f);  // t = 0: its own place
  EXPECT_EQ(R_.VertexBuffer[3].sy, 240.0f);
}

TEST_F(NearClipTest, ACornerJustBehindThePlaneIsCutOnBothItsEdges) {
  // The single nearest 0.01 lies just below the plane, so both its edges cross.
  ASSERT_EQ(Clip(0.01f, 1, 2), 2);
  EXPECT_EQ(Indices(2), (std::vector<uint16_t>{3, 1, 2, 3, 2, 4}));
}

TEST_F(NearClipTest, CrossingsThatDoNotFitAreLeftOutAndCounted) {
  R_.MaxVertices = 4;  // room for one crossing vertex only
  EXPECT_EQ(Clip(1, -1, 3), 0);
  EXPECT_EQ(R_.Losses.Triangles, 1);
  EXPECT_LE(R_.VertexFill, 4);
}

}  // namespace
