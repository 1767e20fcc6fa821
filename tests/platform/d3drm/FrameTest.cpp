// Frames: the tree, placement relative to reference frames, world transforms, Move and the
// rotation convention; lights; object names and interfaces.
#include <numbers>

#include "platform/d3drm/Frame.h"
#include "platform/d3drm/Light.h"
#include "tests/platform/d3drm/RMTestKit.h"

namespace {

using namespace testsupport;

using platform::d3drm::Frame;
using platform::d3drm::Matrix;
using platform::d3drm::WorldMatrixOf;

constexpr float kPi = std::numbers::pi_v<float>;

D3DVECTOR WorldPosition(IDirect3DRMFrame* F) {
  D3DVECTOR p;
  EXPECT_EQ(F->GetPosition(nullptr, &p), D3DRM_OK);
  return p;
}

// The frame's axes in world coordinates.
D3DVECTOR WorldAxis(IDirect3DRMFrame* F, int Row) {
  D3DVECTOR axis;
  platform::d3drm::Normalize(WorldMatrixOf(F).Row(Row), axis);
  return axis;
}

using FrameTreeTest = RMTest;

TEST_F(FrameTreeTest, ChildrenKnowTheirParentAndAreListed) {
  auto scene = NewFrame(nullptr);
  auto a = NewFrame(scene.Get());
  auto b = NewFrame(scene.Get());

  ComPtr<IDirect3DRMFrame> parent;
  ASSERT_EQ(a->GetParent(parent.Put()), D3DRM_OK);
  EXPECT_EQ(parent.Get(), static_cast<IDirect3DRMFrame*>(scene.Get()));
  ASSERT_EQ(scene->GetParent(parent.Put()), D3DRM_OK);
  EXPECT_EQ(parent, nullptr) << "a scene root has no parent";

  ComPtr<IDirect3DRMFrameArray> children;
  ASSERT_EQ(scene->GetChildren(children.Put()), D3DRM_OK);
  ASSERT_EQ(children->GetSize(), 2u);
  ComPtr<IDirect3DRMFrame> second;
  ASSERT_EQ(children->GetElement(1, second.Put()), D3DRM_OK);
  EXPECT_EQ(second.Get(), static_cast<IDirect3DRMFrame*>(b.Get()));
  EXPECT_EQ(children->GetElement(2, second.Put()), D3DRMERR_BADVALUE);
  EXPECT_EQ(second, nullptr);

  ComPtr<IDirect3DRMFrame> root;
  ASSERT_EQ(b->GetScene(root.Put()), D3DRM_OK);
  EXPECT_EQ(root.Get(), static_cast<IDirect3DRMFrame*>(scene.Get()));
}

TEST_F(FrameTreeTest, AParentKeepsItsChildrenAliveAndLeavesThemParentlessWhenItGoes) {
  auto scene = NewFrame(nullptr);
  IDirect3DRMFrame* child = NewFrame(scene.Get()).Get();  // only the scene holds it now
  ComPtr<IDirect3DRMFrameArray> children;
  ASSERT_EQ(scene->GetChildren(children.Put()), D3DRM_OK);
  ASSERT_EQ(children->GetSize(), 1u);

  ComPtr<IDirect3DRMFrame> kept(child);
  children.Reset();
  scene.Reset();
  ComPtr<IDirect3DRMFrame> parent;
  ASSERT_EQ(kept->GetParent(parent.Put()), D3DRM_OK);
  EXPECT_EQ(parent, nullptr);
}

TEST_F(FrameTreeTest, AddChildMovesAFrameAndRefusesLoops) {
  auto scene = NewFrame(nullptr);
  auto a = NewFrame(scene.Get());
  auto b = NewFrame(scene.Get());
  auto grandchild = NewFrame(a.Get());

  EXPECT_EQ(a->AddChild(a.Get()), D3DRMERR_BADVALUE);
  EXPECT_EQ(grandchild->AddChild(scene.Get()), D3DRMERR_BADVALUE);
  EXPECT_EQ(a->AddChild(nullptr), D3DRMERR_BADOBJECT);

  // Moving keeps the matrix relative to the parent, so the world position follows b.
  ASSERT_EQ(grandchild->SetPosition(a.Get(), 1, 0, 0), D3DRM_OK);
  ASSERT_EQ(b->SetPosition(scene.Get(), 0, 5, 0), D3DRM_OK);
  ASSERT_EQ(b->AddChild(grandchild.Get()), D3DRM_OK);
  EXPECT_TRUE(VectorNear(WorldPosition(grandchild.Get()), {1, 5, 0}));
  ComPtr<IDirect3DRMFrameArray> children;
  ASSERT_EQ(a->GetChildren(children.Put()), D3DRM_OK);
  EXPECT_EQ(children->GetSize(), 0u);

  EXPECT_EQ(a->DeleteChild(grandchild.Get()), D3DRMERR_NOTFOUND);
  EXPECT_EQ(b->DeleteChild(grandchild.Get()), D3DRM_OK);
  ComPtr<IDirect3DRMFrame> parent;
  ASSERT_EQ(grandchild->GetParent(parent.Put()), D3DRM_OK);
  EXPECT_EQ(parent, nullptr);
}

TEST_F(FrameTreeTest, VisualsAndLightsAreHeldOnceAndCanBeRemoved) {
  auto scene = NewFrame(nullptr);
  ComPtr<IDirect3DRMMeshBuilder2> builder;
  ASSERT_EQ(rm2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
  ComPtr<IDirect3DRMLight> light;
  ASSERT_EQ(rm2->CreateLightRGB(D3DRMLIGHT_AMBIENT, 1, 1, 1, light.Put()), D3DRM_OK);

  ASSERT_EQ(scene->AddVisual(builder.Get()), D3DRM_OK);
  ASSERT_EQ(scene->AddVisual(builder.Get()), D3DRM_OK);
  ASSERT_EQ(scene->AddLight(light.Get()), D3DRM_OK);
  EXPECT_EQ(scene->AddVisual(scene.Get()), D3DRMERR_BADVALUE) << "a frame inside itself";
  ComPtr<IDirect3DRMVisualArray> visuals;
  ASSERT_EQ(scene->GetVisuals(visuals.Put()), D3DRM_OK);
  EXPECT_EQ(visuals->GetSize(), 1u);
  ComPtr<IDirect3DRMLightArray> lights;
  ASSERT_EQ(scene->GetLights(lights.Put()), D3DRM_OK);
  EXPECT_EQ(lights->GetSize(), 1u);

  EXPECT_EQ(scene->DeleteVisual(builder.Get()), D3DRM_OK);
  EXPECT_EQ(scene->DeleteVisual(builder.Get()), D3DRMERR_NOTFOUND);
  EXPECT_EQ(scene->DeleteLight(light.Get()), D3DRM_OK);
  ASSERT_EQ(scene->GetVisuals(visuals.Put()), D3DRM_OK);
  EXPECT_EQ(visuals->GetSize(), 0u);
}

using FramePlacementTest = RMTest;

TEST_F(FramePlacementTest, PositionsAreGivenAndReadInTheReferenceFramesCoordinates) {
  auto scene = NewFrame(nullptr);
  auto parent = NewFrame(scene.Get());
  auto child = NewFrame(parent.Get());
  // The parent at (0, 0, 5), turned so that its z axis is world +x: its x axis is then
  // world −z (x = y × z).
  ASSERT_EQ(parent->SetPosition(scene.Get(), 0, 0, 5), D3DRM_OK);
  ASSERT_EQ(parent->SetOrientation(scene.Get(), 1, 0, 0, 0, 1, 0), D3DRM_OK);
  ASSERT_EQ(child->SetPosition(parent.Get(), 1, 0, 0), D3DRM_OK);

  EXPECT_TRUE(VectorNear(WorldPosition(child.Get()), {0, 0, 4}));
  D3DVECTOR inParent;
  ASSERT_EQ(child->GetPosition(parent.Get(), &inParent), D3DRM_OK);
  EXPECT_TRUE(VectorNear(inParent, {1, 0, 0}));

  // Placed in world coordinates, read back in the parent's.
  ASSERT_EQ(child->SetPosition(nullptr, 2, 3, 5), D3DRM_OK);
  ASSERT_EQ(child->GetPosition(parent.Get(), &inParent), D3DRM_OK);
  EXPECT_TRUE(VectorNear(inParent, {0, 3, 2}));

  // Transform and InverseTransform go between the child's model space and the world.
  D3DVECTOR model{0, 0, 1}, world, back;
  ASSERT_EQ(child->Transform(&world, &model), D3DRM_OK);
  EXPECT_TRUE(VectorNear(world, {3, 3, 5}));
  ASSERT_EQ(child->InverseTransform(&back, &world), D3DRM_OK);
  EXPECT_TRUE(VectorNear(back, model));
}

TEST_F(FramePlacementTest, OrientationIsKeptRelativeToTheParent) {
  auto scene = NewFrame(nullptr);
  auto camera = NewFrame(scene.Get());
  ASSERT_EQ(camera->SetPosition(scene.Get(), 0, 0, -10), D3DRM_OK);
  ASSERT_EQ(camera->SetOrientation(scene.Get(), 0, 0, 1, 0, 1, 0), D3DRM_OK);
  D3DVECTOR direction, up;
  ASSERT_EQ(camera->GetOrientation(scene.Get(), &direction, &up), D3DRM_OK);
  EXPECT_TRUE(VectorNear(direction, {0, 0, 1}));
  EXPECT_TRUE(VectorNear(up, {0, 1, 0}));
  EXPECT_TRUE(VectorNear(WorldPosition(camera.Get()), {0, 0, -10}));

  // An up vector that leans is made perpendicular to the direction.
  ASSERT_EQ(camera->SetOrientation(scene.Get(), 0, 0, 2, 0, 1, 1), D3DRM_OK);
  ASSERT_EQ(camera->GetOrientation(scene.Get(), &direction, &up), D3DRM_OK);
  EXPECT_TRUE(VectorNear(up, {0, 1, 0}));

  EXPECT_EQ(camera->SetOrientation(scene.Get(), 0, 0, 1, 0, 0, 3), D3DRMERR_BADVALUE)
      << "direction and up are parallel";
  EXPECT_EQ(camera->SetOrientation(scene.Get(), 0, 0, 0, 0, 1, 0), D3DRMERR_BADVALUE);
  EXPECT_TRUE(VectorNear(WorldAxis(camera.Get(), 1), {0, 1, 0}))
      << "a refused call changes nothing";
}

TEST_F(FramePlacementTest, AddTransformCombinesBeforeOrAfterTheFramesMatrix) {
  auto frame = NewFrame(nullptr);
  D3DRMMATRIX4D move = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 1}};
  D3DRMMATRIX4D twice = {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}};
  ASSERT_EQ(frame->AddTransform(D3DRMCOMBINE_REPLACE, move), D3DRM_OK);
  ASSERT_EQ(frame->AddTransform(D3DRMCOMBINE_AFTER, twice), D3DRM_OK);  // move, then scale
  EXPECT_TRUE(VectorNear(WorldPosition(frame.Get()), {2, 0, 0}));
  ASSERT_EQ(frame->AddTransform(D3DRMCOMBINE_BEFORE, move), D3DRM_OK);  // moves (1,0,0)·2 more
  EXPECT_TRUE(VectorNear(WorldPosition(frame.Get()), {4, 0, 0}));
  D3DRMMATRIX4D read;
  ASSERT_EQ(frame->GetTransform(read), D3DRM_OK);
  EXPECT_FLOAT_EQ(read[0][0], 2);
  EXPECT_FLOAT_EQ(read[3][0], 4);
  EXPECT_EQ(frame->AddTransform(static_cast<D3DRMCOMBINETYPE>(7), move), D3DRMERR_BADVALUE);
}

TEST_F(FramePlacementTest, WorldMatrixIsTheLocalMatricesFromTheFrameUp) {
  auto scene = NewFrame(nullptr);
  auto parent = NewFrame(scene.Get());
  auto child = NewFrame(parent.Get());
  ASSERT_EQ(parent->SetPosition(nullptr, 1, 2, 3), D3DRM_OK);
  ASSERT_EQ(parent->SetOrientation(nullptr, 0, 1, 0, 0, 0, -1), D3DRM_OK);
  ASSERT_EQ(child->SetPosition(parent.Get(), 0, 0, 2), D3DRM_OK);

  D3DRMMATRIX4D world;
  ASSERT_EQ(platform::d3drm::GetWorldTransform(child.Get(), world), D3DRM_OK);
  // The child's z axis is the parent's: world +y; its origin 2 along it from the parent.
  EXPECT_TRUE(VectorNear({world[2][0], world[2][1], world[2][2]}, {0, 1, 0}));
  EXPECT_TRUE(VectorNear({world[3][0], world[3][1], world[3][2]}, {1, 4, 3}));
  EXPECT_TRUE(VectorNear(WorldMatrixOf(nullptr).Row(3), {0, 0, 0})) << "no frame: identity";
}

using FrameMotionTest = RMTest;

TEST_F(FrameMotionTest, RotationTurnsClockwiseSeenFromTheAxisTip) {
  auto scene = NewFrame(nullptr);
  auto frame = NewFrame(scene.Get());
  ASSERT_EQ(frame->SetRotation(scene.Get(), 0, 1, 0, kPi / 2), D3DRM_OK);
  ASSERT_EQ(frame->Move(1.0f), D3DRM_OK);
  // A quarter turn about +y takes +x to −z and +z to +x (Direct3D's left-handed rule).
  EXPECT_TRUE(VectorNear(WorldAxis(frame.Get(), 0), {0, 0, -1}));
  EXPECT_TRUE(VectorNear(WorldAxis(frame.Get(), 2), {1, 0, 0}));
}

TEST_F(FrameMotionTest, MoveTurnsEveryFrameBelowByItsRotationTimesDelta) {
  auto scene = NewFrame(nullptr);
  auto parent = NewFrame(scene.Get());
  auto child = NewFrame(parent.Get());
  auto still = NewFrame(scene.Get());
  ASSERT_EQ(parent->SetPosition(scene.Get(), 0, 0, 3), D3DRM_OK);
  ASSERT_EQ(child->SetPosition(parent.Get(), 0, 0, 1), D3DRM_OK);
  ASSERT_EQ(parent->SetRotation(scene.Get(), 0, 1, 0, kPi), D3DRM_OK);  // π per unit of delta
  ASSERT_EQ(child->SetRotation(parent.Get(), 1, 0, 0, kPi), D3DRM_OK);

  ASSERT_EQ(scene->Move(0.5f), D3DRM_OK);
  // The parent turned a quarter about its own origin: it stays where it was and carries its
  // child round from its +z side to world +x.
  EXPECT_TRUE(VectorNear(WorldPosition(parent.Get()), {0, 0, 3}));
  EXPECT_TRUE(VectorNear(WorldPosition(child.Get()), {1, 0, 3}));
  // The child also turned a quarter about the x axis it was given (in its parent's
  // coordinates): its y axis went to the parent's +z.
  D3DVECTOR direction, up;
  ASSERT_EQ(child->GetOrientation(parent.Get(), &direction, &up), D3DRM_OK);
  EXPECT_TRUE(VectorNear(up, {0, 0, 1}));
  EXPECT_TRUE(VectorNear(WorldAxis(still.Get(), 2), {0, 0, 1})) << "a frame without rotation";

  // Delta scales the step: two half steps make the same turn as one whole step.
  ASSERT_EQ(parent->Move(0.5f), D3DRM_OK);
  EXPECT_TRUE(VectorNear(WorldPosition(child.Get()), {0, 0, 2}));
}

TEST_F(FrameMotionTest, OneFixedTurnThenStop) {
  // The view's light set-up: rotation π/4 about (1, 1, 0), one Move, rotation 0.
  auto scene = NewFrame(nullptr);
  auto lightFrame = NewFrame(scene.Get());
  ASSERT_EQ(lightFrame->SetRotation(scene.Get(), 1, 1, 0, 0.7853982f), D3DRM_OK);
  ASSERT_EQ(scene->Move(1.0f), D3DRM_OK);
  ASSERT_EQ(lightFrame->SetRotation(scene.Get(), 1, 1, 0, 0), D3DRM_OK);
  ASSERT_EQ(scene->Move(1.0f), D3DRM_OK);
  ASSERT_EQ(scene->Move(1.0f), D3DRM_OK);

  const Matrix world = WorldMatrixOf(lightFrame.Get());
  const float r = std::sqrt(0.5f);
  // The axis is left where it is; a vector across it turned by π/4.
  EXPECT_TRUE(VectorNear(platform::d3drm::TransformDirection({r, r, 0}, world), {r, r, 0}));
  const D3DVECTOR across = platform::d3drm::TransformDirection({r, -r, 0}, world);
  EXPECT_NEAR(platform::d3drm::Dot(across, {r, -r, 0}), std::cos(kPi / 4), 1e-5f);
  // Clockwise seen from the axis tip: (r, −r, 0) moves toward −z, as +x does in a turn
  // about +y.
  EXPECT_LT(across.z, -0.5f);
  D3DVECTOR axis;
  D3DVALUE theta = 1;
  ASSERT_EQ(lightFrame->GetRotation(scene.Get(), &axis, &theta), D3DRM_OK);
  EXPECT_EQ(theta, 0);
  EXPECT_TRUE(VectorNear(axis, {r, r, 0}));
}

TEST_F(FrameMotionTest, ARotationNeedsAnAxis) {
  auto frame = NewFrame(nullptr);
  EXPECT_EQ(frame->SetRotation(nullptr, 0, 0, 0, 1.0f), D3DRMERR_BADVALUE);
  EXPECT_EQ(frame->SetRotation(nullptr, 0, 0, 0, 0), D3DRM_OK) << "stopping needs none";
}

using RMObjectTest = RMTest;

TEST_F(RMObjectTest, FramesAnswerTheirInterfacesAndNoOthers) {
  auto frame = NewFrame(nullptr);
  ComPtr<IDirect3DRMFrame> asFrame;
  EXPECT_EQ(frame.As(IID_IDirect3DRMFrame, asFrame), D3DRM_OK);
  ComPtr<IDirect3DRMVisual> asVisual;
  EXPECT_EQ(frame.As(IID_IDirect3DRMVisual, asVisual), D3DRM_OK);
  ComPtr<IDirect3DRMObject> asObject;
  EXPECT_EQ(frame.As(IID_IDirect3DRMObject, asObject), D3DRM_OK);
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(frame.As(IID_IUnknown, unknown), D3DRM_OK);
  EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(asObject.Get()));
  ComPtr<IDirect3DRMMesh> asMesh;
  EXPECT_EQ(frame.As(IID_IDirect3DRMMesh, asMesh), E_NOINTERFACE);
  EXPECT_EQ(asMesh, nullptr);
}

TEST_F(RMObjectTest, NamesAndClassNamesAreHandedOutWithTheirSize) {
  auto frame = NewFrame(nullptr);
  ASSERT_EQ(frame->SetName("Camera"), D3DRM_OK);
  DWORD size = 0;
  ASSERT_EQ(frame->GetName(&size, nullptr), D3DRM_OK);
  EXPECT_EQ(size, 7u);
  char text[16] = {};
  size = 3;
  EXPECT_EQ(frame->GetName(&size, text), D3DRMERR_BADVALUE) << "buffer too small";
  size = sizeof text;
  ASSERT_EQ(frame->GetName(&size, text), D3DRM_OK);
  EXPECT_STREQ(text, "Camera");
  size = sizeof text;
  ASSERT_EQ(frame->GetClassName(&size, text), D3DRM_OK);
  EXPECT_STREQ(text, "Frame");
  ASSERT_EQ(frame->SetAppData(42), D3DRM_OK);
  EXPECT_EQ(frame->GetAppData(), 42u);
}

TEST_F(RMObjectTest, LightsKeepTypeAndColour) {
  ComPtr<IDirect3DRMLight> light;
  ASSERT_EQ(rm2->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f, light.Put()), D3DRM_OK);
  EXPECT_EQ(light->GetType(), D3DRMLIGHT_DIRECTIONAL);
  EXPECT_EQ(light->GetColor(), RGBA_MAKE(178, 178, 178, 255));  // 0.7 × 255 = 178.5, truncated
  EXPECT_FLOAT_EQ(platform::d3drm::Light::From(light.Get())->Red(), 0.7f);
  ASSERT_EQ(light->SetColor(RGB_MAKE(255, 0, 51)), D3DRM_OK);
  EXPECT_FLOAT_EQ(platform::d3drm::Light::From(light.Get())->Blue(), 0.2f);
  EXPECT_EQ(light->SetType(static_cast<D3DRMLIGHTTYPE>(5)), D3DRMERR_BADVALUE);
  EXPECT_EQ(rm2->CreateLightRGB(static_cast<D3DRMLIGHTTYPE>(9), 1, 1, 1, light.Put()),
            D3DRMERR_BADVALUE);
  EXPECT_EQ(light, nullptr);
  ASSERT_EQ(rm->CreateLight(D3DRMLIGHT_AMBIENT, RGB_MAKE(102, 102, 102), light.Put()), D3DRM_OK);
  EXPECT_EQ(light->GetColor(), RGB_MAKE(102, 102, 102));
}

}  // namespace
