// The viewport's drawing over a recording immediate-mode device: projection with the field of
// view and the depth range, per-vertex lighting, cutting at the front and back planes,
// batching, render states, and what is left undrawn.
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/d3drm/DepthClipper.h"
#include "platform/d3drm/RMViewport.h"
#include "platform/ddraw/DDrawErrors.h"
#include "tests/platform/d3drm/FakeDirect3D.h"
#include "tests/platform/d3drm/RMTestKit.h"

namespace {

using namespace testsupport;

using platform::d3drm::ClipVertex;
using platform::d3drm::DepthClipper;
using platform::d3drm::RenderCounts;
using platform::d3drm::RMViewport;

D3DRMVERTEX V(D3DVALUE X, D3DVALUE Y, D3DVALUE Z, D3DVECTOR Normal = {0, 0, -1}, D3DVALUE Tu = 0,
              D3DVALUE Tv = 0) {
  D3DRMVERTEX vertex;
  vertex.position = {X, Y, Z};
  vertex.normal = Normal;
  vertex.tu = Tu;
  vertex.tv = Tv;
  return vertex;
}

D3DVALUE Channel(D3DCOLOR Color, int Shift) {
  return static_cast<D3DVALUE>((Color >> Shift) & 0xFF);
}

// The colour's red, green and blue are Expected × 255, each within one step.
::testing::AssertionResult ColourNear(D3DCOLOR Color, D3DVALUE Red, D3DVALUE Green, D3DVALUE Blue) {
  const D3DVALUE expected[3] = {Red * 255, Green * 255, Blue * 255};
  const D3DVALUE actual[3] = {Channel(Color, 16), Channel(Color, 8), Channel(Color, 0)};
  for (int i = 0; i < 3; ++i)
    if (std::fabs(expected[i] - actual[i]) > 1.0f)
      return ::testing::AssertionFailure()
             << std::hex << Color << std::dec << " is not (" << expected[0] << ", " << expected[1]
             << ", " << expected[2] << ") / 255";
  return ::testing::AssertionSuccess();
}

// The one vertex of Draw at (Sx, Sy), or nullptr.
const D3DTLVERTEX* VertexAt(const DrawCall& Draw, D3DVALUE Sx, D3DVALUE Sy) {
  for (const D3DTLVERTEX& v : Draw.vertices)
    if (std::fabs(v.sx - Sx) < 1e-3f && std::fabs(v.sy - Sy) < 1e-3f) return &v;
  return nullptr;
}

// A camera at the origin of the scene looking along +z with y up, a 200 x 100 viewport
// (centre (100, 50); front 1, back 100, field 0.5: 200 pixels per unit at distance 1), and a
// frame to carry meshes.
class RenderTest : public RMTest {
 protected:
  void SetUp() override {
    RMTest::SetUp();
    direct3D.Attach(FakeDirect3D::Create());
    device.Attach(FakeDevice::Create());
    ASSERT_EQ(rm2->CreateDeviceFromD3D(direct3D.Get(), device.Get(), rmDevice.Put()), D3DRM_OK);
    scene = NewFrame(nullptr);
    camera = NewFrame(scene.Get());
    holder = NewFrame(scene.Get());
    lightFrame = NewFrame(scene.Get());
    ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 0, 0, 200, 100, viewport.Put()),
              D3DRM_OK);
  }
  void TearDown() override {
    viewport.Reset();
    lightFrame.Reset();
    holder.Reset();
    camera.Reset();
    scene.Reset();
    rmDevice.Reset();
    device.Reset();
    direct3D.Reset();
    RMTest::TearDown();
  }

  // A mesh on the holder frame with one group of these vertices and faces (each face its
  // corner count, then its corners), in Colour.
  ComPtr<IDirect3DRMMesh> AddMesh(std::vector<D3DRMVERTEX> Vertices, std::vector<unsigned> Faces,
                                  D3DCOLOR Colour = 0xFFFFFFFF) {
    ComPtr<IDirect3DRMMesh> mesh;
    EXPECT_EQ(rm2->CreateMesh(mesh.Put()), D3DRM_OK);
    AddGroup(mesh.Get(), std::move(Vertices), std::move(Faces), Colour);
    EXPECT_EQ(holder->AddVisual(mesh.Get()), D3DRM_OK);
    return mesh;
  }

  static D3DRMGROUPINDEX AddGroup(IDirect3DRMMesh* Mesh, std::vector<D3DRMVERTEX> Vertices,
                                  std::vector<unsigned> Faces, D3DCOLOR Colour) {
    unsigned faceCount = 0;
    for (size_t at = 0; at < Faces.size(); at += 1 + Faces[at]) ++faceCount;
    D3DRMGROUPINDEX id = -1;
    EXPECT_EQ(
        Mesh->AddGroup(static_cast<unsigned>(Vertices.size()), faceCount, 0, Faces.data(), &id),
        D3DRM_OK);
    EXPECT_EQ(Mesh->SetVertices(id, 0, static_cast<unsigned>(Vertices.size()), Vertices.data()),
              D3DRM_OK);
    EXPECT_EQ(Mesh->SetGroupColor(id, Colour), D3DRM_OK);
    return id;
  }

  void AddLight(D3DRMLIGHTTYPE Type, D3DVALUE Grey) {
    ComPtr<IDirect3DRMLight> light;
    ASSERT_EQ(rm2->CreateLightRGB(Type, Grey, Grey, Grey, light.Put()), D3DRM_OK);
    ASSERT_EQ(lightFrame->AddLight(light.Get()), D3DRM_OK);
  }

  // Renders the scene and answers what reached the device.
  const std::vector<DrawCall>& Render() {
    device->draws.clear();
    device->calls.clear();
    EXPECT_EQ(viewport->Render(scene.Get()), D3DRM_OK);
    return device->draws;
  }

  const RenderCounts& Counts() const {
    return RMViewport::From(viewport.Get())->Renderer().Counts();
  }

  ComPtr<FakeDirect3D> direct3D;
  ComPtr<FakeDevice> device;
  ComPtr<IDirect3DRMDevice2> rmDevice;
  ComPtr<IDirect3DRMFrame2> scene, camera, holder, lightFrame;
  ComPtr<IDirect3DRMViewport> viewport;
};

TEST_F(RenderTest, VerticesAreProjectedWithTheFieldOfViewAndTheDepthRange) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  AddMesh({V(0, 0, 0, {0, 0, -1}, 0.25f, 0.5f), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});

  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  ASSERT_EQ(draws[0].vertices.size(), 3u);
  EXPECT_EQ(draws[0].indices, (std::vector<WORD>{0, 1, 2}));
  // x / z · (width / 2) / field = 1 / 4 · 100 / 0.5 = 50 pixels; y up is up the screen.
  const D3DTLVERTEX* centre = VertexAt(draws[0], 100, 50);
  const D3DTLVERTEX* up = VertexAt(draws[0], 100, 0);
  const D3DTLVERTEX* right = VertexAt(draws[0], 150, 50);
  ASSERT_TRUE(centre && up && right);
  EXPECT_FLOAT_EQ(centre->rhw, 0.25f);
  EXPECT_FLOAT_EQ(centre->sz, 100.0f * (4 - 1) / (4 * (100 - 1)));
  EXPECT_FLOAT_EQ(centre->tu, 0.25f);
  EXPECT_FLOAT_EQ(centre->tv, 0.5f);
  EXPECT_EQ(centre->color, 0xFFFFFFFFu);
  EXPECT_EQ(centre->specular, 0xFF000000u) << "no highlight, no fog";

  // A wider field shows more: the same point comes nearer the centre.
  ASSERT_EQ(viewport->SetField(1.0f), D3DRM_OK);
  ASSERT_NE(VertexAt(Render()[0], 125, 50), nullptr);
  // Front and back planes set the depth range: 0 on the front plane, 1 on the back one.
  ASSERT_EQ(viewport->SetBack(10.0f), D3DRM_OK);
  ASSERT_EQ(viewport->SetFront(2.0f), D3DRM_OK);
  EXPECT_FLOAT_EQ(Render()[0].vertices[0].sz, 10.0f * (4 - 2) / (4 * (10 - 2)));
  // The camera's place counts: moved back by 4, the mesh is 8 ahead.
  ASSERT_EQ(camera->SetPosition(scene.Get(), 0, 0, -4), D3DRM_OK);
  ASSERT_NE(VertexAt(Render()[0], 100 + 100.0f / 8, 50), nullptr);

  // A viewport placed elsewhere on the surface centres there.
  ComPtr<IDirect3DRMViewport> offset;
  ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 10, 20, 200, 100, offset.Put()),
            D3DRM_OK);
  device->draws.clear();
  ASSERT_EQ(offset->Render(scene.Get()), D3DRM_OK);
  ASSERT_EQ(device->draws.size(), 1u);
  EXPECT_NE(VertexAt(device->draws[0], 110 + 200.0f / 8, 70), nullptr);
}

TEST_F(RenderTest, AmbientAndDirectionalLightsShadeEachVertexByItsNormal) {
  AddLight(D3DRMLIGHT_AMBIENT, 0.25f);
  AddLight(D3DRMLIGHT_DIRECTIONAL, 0.5f);  // the light frame's z axis: shining along +z
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  // Facing the light fully, at 0.8 of it, and away from it; orange (1, 0.5, 0).
  AddMesh({V(0, 0, 0, {0, 0, -1}), V(0, 1, 0, {0, -0.6f, -0.8f}), V(1, 0, 0, {0, 0, 1})},
          {3, 0, 1, 2}, D3DRGB(1, 0.5f, 0));
  auto draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  const auto colourAt = [&](D3DVALUE Sx, D3DVALUE Sy) {
    const D3DTLVERTEX* v = VertexAt(draws[0], Sx, Sy);
    EXPECT_NE(v, nullptr);
    return v ? v->color : 0u;
  };
  EXPECT_TRUE(ColourNear(colourAt(100, 50), 0.75f, 0.375f, 0));
  EXPECT_TRUE(ColourNear(colourAt(100, 0), 0.65f, 0.325f, 0));
  EXPECT_TRUE(ColourNear(colourAt(150, 50), 0.25f, 0.125f, 0)) << "ambient only";
  EXPECT_EQ(colourAt(100, 50) >> 24, 0xFFu) << "the group's alpha";

  // The light follows its frame: shining up (+y) it meets only the normal with a −y part.
  ASSERT_EQ(lightFrame->SetOrientation(scene.Get(), 0, 1, 0, 0, 0, 1), D3DRM_OK);
  draws = Render();
  EXPECT_TRUE(ColourNear(colourAt(100, 50), 0.25f, 0.125f, 0));
  EXPECT_TRUE(ColourNear(colourAt(100, 0), 0.55f, 0.275f, 0));

  // Light beyond 1 saturates.
  AddLight(D3DRMLIGHT_AMBIENT, 2.0f);
  draws = Render();
  EXPECT_TRUE(ColourNear(colourAt(150, 50), 1, 1, 0));
}

TEST_F(RenderTest, NormalsOfAScaledFrameStayPerpendicularToTheirSurface) {
  AddLight(D3DRMLIGHT_DIRECTIONAL, 1.0f);
  ASSERT_EQ(lightFrame->SetOrientation(scene.Get(), 0, -1, 0, 0, 0, 1), D3DRM_OK);  // down
  // Stretched twice along x: a surface sloping at 45° in the model slopes less in the world,
  // and its normal turns towards +y, from (1, 1) to (1, 2) (not to (2, 1)).
  D3DRMMATRIX4D stretch = {{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 4, 1}};
  ASSERT_EQ(holder->AddTransform(D3DRMCOMBINE_REPLACE, stretch), D3DRM_OK);
  const D3DVALUE s = std::numbers::sqrt2_v<float> / 2;
  AddMesh({V(0, 0, 0, {s, s, 0}), V(0, 1, 0, {s, s, 0}), V(1, 0, 0, {s, s, 0})}, {3, 0, 1, 2});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  const D3DVALUE facing = 2 / std::sqrt(5.0f);
  EXPECT_TRUE(ColourNear(draws[0].vertices[0].color, facing, facing, facing));
}

TEST_F(RenderTest, FacesShareTheirVerticesAndFanIntoTriangles) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 1, 0), V(1, 0, 0), V(0.5f, -1, 0)},
          {4, 0, 1, 2, 3, 3, 0, 3, 4});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].vertices.size(), 5u) << "each vertex sent once";
  EXPECT_EQ(draws[0].indices, (std::vector<WORD>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
  EXPECT_EQ(Counts().faces, 2u);
  EXPECT_EQ(Counts().triangles, 3u);
  EXPECT_EQ(Counts().drawCalls, 1u);
}

TEST_F(RenderTest, FacesCrossingTheFrontPlaneAreCutThereAndThoseBeforeItDropped) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  // A before the front plane (z = 1), B and C behind it: the cut runs a fifth of the way from
  // A to B and from A to C.
  AddMesh({V(0, 0, 0.5f, {0, 0, -1}, 0, 0), V(1, 0, 3, {0, 0, -1}, 1, 0),
           V(0, 1, 3, {0, 0, -1}, 0, 1), V(0, 0, 0.2f), V(1, 0, 0.5f), V(0, 1, -2)},
          {3, 0, 1, 2, 3, 3, 4, 5});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(Counts().clippedFaces, 1u);
  EXPECT_EQ(Counts().droppedFaces, 1u) << "wholly before the front plane, partly behind the eye";
  EXPECT_EQ(Counts().triangles, 2u) << "the cut leaves a quadrilateral";
  ASSERT_EQ(draws[0].vertices.size(), 4u);
  const D3DTLVERTEX* onAB = VertexAt(draws[0], 100 + 200 * 0.2f, 50);
  const D3DTLVERTEX* onAC = VertexAt(draws[0], 100, 50 - 200 * 0.2f);
  ASSERT_TRUE(onAB && onAC);
  EXPECT_FLOAT_EQ(onAB->rhw, 1.0f);
  EXPECT_FLOAT_EQ(onAB->sz, 0.0f);
  EXPECT_NEAR(onAB->tu, 0.2f, 1e-6f);
  EXPECT_NEAR(onAC->tv, 0.2f, 1e-6f);
  for (WORD index : draws[0].indices) EXPECT_LT(index, draws[0].vertices.size());
}

TEST_F(RenderTest, FacesBeyondTheBackPlaneAreDroppedAndThoseCrossingItCut) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(viewport->SetBack(10.0f), D3DRM_OK);
  AddMesh({V(0, 0, 5), V(0, 1, 15), V(1, 0, 5), V(0, 0, 20), V(0, 1, 20), V(1, 0, 20)},
          {3, 0, 1, 2, 3, 3, 4, 5});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(Counts().droppedFaces, 1u);
  EXPECT_EQ(Counts().clippedFaces, 1u);
  float deepest = 0;
  for (const D3DTLVERTEX& v : draws[0].vertices) deepest = std::max(deepest, v.sz);
  EXPECT_FLOAT_EQ(deepest, 1.0f) << "cut on the back plane";
  const D3DTLVERTEX* onBack = VertexAt(draws[0], 100, 50 - 200 * 0.5f / 10);
  ASSERT_NE(onBack, nullptr);
  EXPECT_FLOAT_EQ(onBack->rhw, 0.1f);
}

TEST_F(RenderTest, NeighboursCutByAPlaneGetTheSameCutPoint) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  // P, Q is an edge of both faces, walked P to Q by one and Q to P by the other.
  AddMesh({V(0.3f, 0.1f, 0.5f), V(-0.7f, 1.3f, 3.1f), V(1.1f, 0.9f, 2.7f), V(-1.3f, -0.2f, 2.2f)},
          {3, 0, 1, 2, 3, 1, 0, 3});
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  std::vector<D3DTLVERTEX> onFront;
  for (const D3DTLVERTEX& v : draws[0].vertices)
    if (v.rhw == 1.0f) onFront.push_back(v);
  ASSERT_EQ(onFront.size(), 4u) << "two cut points per face";
  int identical = 0;
  for (size_t i = 0; i < onFront.size(); ++i)
    for (size_t j = i + 1; j < onFront.size(); ++j)
      identical += std::memcmp(&onFront[i], &onFront[j], sizeof(D3DTLVERTEX)) == 0;
  EXPECT_EQ(identical, 1) << "the cut point of P-Q is the same bits in both faces";
}

TEST_F(RenderTest, EachGroupIsDrawnWithItsStatesWhichArePutBackAfterwards) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  auto mesh = AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});
  const D3DRMGROUPINDEX second =
      AddGroup(mesh.Get(), {V(0, 0, 1), V(0, 1, 1), V(1, 0, 1)}, {3, 0, 1, 2}, 0xFFFFFFFF);
  ASSERT_EQ(mesh->SetGroupMapping(second, D3DRMMAP_PERSPCORRECT), D3DRM_OK);
  device->states[D3DRENDERSTATE_TEXTUREHANDLE] = 7;
  device->states[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = 0;

  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].textureHandle, 0u) << "no texture";
  EXPECT_EQ(draws[0].perspective, 0u);
  EXPECT_EQ(draws[1].perspective, 1u);
  EXPECT_EQ(device->states[D3DRENDERSTATE_TEXTUREHANDLE], 7u);
  EXPECT_EQ(device->states[D3DRENDERSTATE_TEXTUREPERSPECTIVE], 0u);
  // The viewport is made current and the drawing framed by the scene calls.
  ASSERT_GE(device->calls.size(), 4u);
  EXPECT_EQ(device->calls[0], "SetCurrentViewport");
  EXPECT_EQ(device->calls[1], "BeginScene");
  EXPECT_EQ(device->calls.back(), "EndScene");
  EXPECT_EQ(device->current, static_cast<IDirect3DViewport2*>(direct3D->lastViewport));
}

TEST_F(RenderTest, WithoutDirectDrawBehindTheDeviceATexturedGroupIsDrawnUntextured) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  auto mesh = AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});
  ComPtr<IDirect3DRMTexture2> texture;
  ASSERT_EQ(rm2->LoadTexture("data/checker.bmp", texture.Put()), D3DRM_OK);
  ASSERT_EQ(mesh->SetGroupTexture(0, texture.Get()), D3DRM_OK);
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].textureHandle, 0u);
  EXPECT_EQ(RMViewport::From(viewport.Get())->Renderer().Textures().SurfaceOf(texture.Get()),
            nullptr);
}

TEST_F(RenderTest, ABatchReachingOutsideTheViewportIsLeftToTheDevicesClipping) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});
  EXPECT_EQ(Render()[0].flags, D3DDP_WAIT | D3DDP_DONOTCLIP);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0.5f, 0, 4), D3DRM_OK);  // reaches x = 175
  EXPECT_EQ(Render()[0].flags, D3DDP_WAIT | D3DDP_DONOTCLIP);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 1.5f, 0, 4), D3DRM_OK);  // reaches x = 225
  EXPECT_EQ(Render()[0].flags, D3DDP_WAIT);
}

TEST_F(RenderTest, AGroupOfMoreVerticesThanOneCallCanIndexIsSplit) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  constexpr unsigned kTriangles = 23000;  // 69000 vertices, none shared
  std::vector<D3DRMVERTEX> vertices;
  std::vector<unsigned> faces;
  for (unsigned t = 0; t < kTriangles; ++t) {
    const D3DVALUE x = static_cast<D3DVALUE>(t % 100) / 100;
    vertices.push_back(V(x, 0, 0));
    vertices.push_back(V(x, 0.01f, 0));
    vertices.push_back(V(x + 0.01f, 0, 0));
    faces.insert(faces.end(), {3, 3 * t, 3 * t + 1, 3 * t + 2});
  }
  AddMesh(std::move(vertices), std::move(faces));
  const auto& draws = Render();
  ASSERT_GE(draws.size(), 2u);
  size_t indices = 0;
  for (const DrawCall& draw : draws) {
    EXPECT_LE(draw.vertices.size(), 65535u);
    for (WORD index : draw.indices) ASSERT_LT(index, draw.vertices.size());
    indices += draw.indices.size();
  }
  EXPECT_EQ(indices, 3u * kTriangles);
  EXPECT_EQ(Counts().triangles, kTriangles);
}

TEST_F(RenderTest, OnlyMeshesAreDrawnAndOnlyAmbientAndDirectionalLightsLight) {
  AddLight(D3DRMLIGHT_POINT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});
  ComPtr<IDirect3DRMMeshBuilder2> builder;
  ASSERT_EQ(rm2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
  ASSERT_EQ(holder->AddVisual(builder.Get()), D3DRM_OK);
  const auto& draws = Render();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].vertices[0].color, 0xFF000000u) << "unlit: black";
  EXPECT_EQ(Counts().meshes, 1u);
  EXPECT_EQ(Counts().skippedVisuals, 1u);
  EXPECT_EQ(Counts().unlitLights, 1u);
}

TEST_F(RenderTest, AFailedDrawIsReportedAndTheSceneStillEnds) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});
  device->failDraw = true;
  device->states[D3DRENDERSTATE_TEXTUREHANDLE] = 7;
  EXPECT_EQ(viewport->Render(scene.Get()), DDERR_SURFACELOST);
  EXPECT_EQ(device->calls.back(), "EndScene");
  EXPECT_EQ(device->states[D3DRENDERSTATE_TEXTUREHANDLE], 7u);
}

TEST_F(RenderTest, WithoutAnImmediateViewportOrWithAnOrthographicProjectionNothingIsDrawn) {
  AddLight(D3DRMLIGHT_AMBIENT, 1.0f);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 0, 0, 4), D3DRM_OK);
  AddMesh({V(0, 0, 0), V(0, 1, 0), V(1, 0, 0)}, {3, 0, 1, 2});
  ASSERT_EQ(viewport->SetProjection(D3DRMPROJECT_ORTHOGRAPHIC), D3DRM_OK);
  EXPECT_EQ(viewport->Render(scene.Get()), D3DRMERR_NOTDONEYET);
  EXPECT_EQ(RMViewport::From(viewport.Get())->RenderItems().size(), 1u) << "still gathered";
  EXPECT_TRUE(device->draws.empty());

  ComPtr<IDirect3DRMDevice2> bare;  // no IDirect3D2: its viewports have no immediate viewport
  ASSERT_EQ(rm2->CreateDeviceFromD3D(nullptr, device.Get(), bare.Put()), D3DRM_OK);
  ComPtr<IDirect3DRMViewport> unbacked;
  ASSERT_EQ(rm2->CreateViewport(bare.Get(), camera.Get(), 0, 0, 64, 64, unbacked.Put()), D3DRM_OK);
  EXPECT_EQ(unbacked->Render(scene.Get()), D3DRMERR_BADDEVICE);
  EXPECT_TRUE(device->draws.empty());
}

ClipVertex At(D3DVALUE X, D3DVALUE Z, D3DVALUE Tu) {
  ClipVertex v;
  v.position = {X, 0, Z};
  v.tu = Tu;
  v.red = Tu;
  return v;
}

TEST(DepthClipperTest, KeepsWhatLiesBetweenThePlanesAndInterpolatesAcrossTheCuts) {
  DepthClipper clipper;
  const ClipVertex inside[3] = {At(0, 2, 0), At(1, 3, 0.5f), At(0, 4, 1)};
  const auto& kept = clipper.Clip(inside, 3, 1, 10);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_FLOAT_EQ(kept[1].position.z, 3);

  const ClipVertex before[3] = {At(0, 0.1f, 0), At(1, 0.5f, 0), At(0, -3, 0)};
  EXPECT_TRUE(clipper.Clip(before, 3, 1, 10).empty());

  // From z = 0 to z = 20 across both planes: a strip between z = 1 and z = 10 is left, its
  // attributes where the planes cut the edges.
  const ClipVertex across[3] = {At(0, 0, 0), At(0, 20, 1), At(2, 20, 1)};
  const auto& strip = clipper.Clip(across, 3, 1, 10);
  ASSERT_EQ(strip.size(), 4u);
  for (const ClipVertex& v : strip) {
    EXPECT_GE(v.position.z, 1.0f);
    EXPECT_LE(v.position.z, 10.0f);
    EXPECT_NEAR(v.tu, v.position.z / 20, 1e-6f) << "tu runs with z along every edge";
    EXPECT_FLOAT_EQ(v.red, v.tu);
  }
}

}  // namespace
