// The retained-mode object, device and viewport over recording fakes of the immediate-mode
// interfaces; the scene walk of Render; the view's whole retained-mode set-up.
#include <numbers>

#include "platform/d3drm/Frame.h"
#include "platform/d3drm/Light.h"
#include "platform/d3drm/RMDevice.h"
#include "platform/d3drm/RMViewport.h"
#include "tests/platform/d3drm/FakeDirect3D.h"
#include "tests/platform/d3drm/RMTestKit.h"

namespace {

using namespace testsupport;

using platform::d3drm::RMViewport;

class ViewportTest : public RMTest {
 protected:
  void SetUp() override {
    RMTest::SetUp();
    direct3D.Attach(FakeDirect3D::Create());
    device.Attach(FakeDevice::Create());
  }
  void TearDown() override {
    direct3D.Reset();
    device.Reset();
    RMTest::TearDown();
  }

  ComPtr<IDirect3DRMDevice2> NewRMDevice(IDirect3D2* Direct3D) {
    ComPtr<IDirect3DRMDevice2> rmDevice;
    EXPECT_EQ(rm2->CreateDeviceFromD3D(Direct3D, device.Get(), rmDevice.Put()), D3DRM_OK);
    return rmDevice;
  }

  ComPtr<FakeDirect3D> direct3D;
  ComPtr<FakeDevice> device;
};

TEST_F(ViewportTest, TheRetainedModeObjectHasBothInterfacesOnOneObject) {
  ComPtr<IUnknown> fromFirst, fromSecond;
  ASSERT_EQ(rm.As(IID_IUnknown, fromFirst), D3DRM_OK);
  ASSERT_EQ(rm2.As(IID_IUnknown, fromSecond), D3DRM_OK);
  EXPECT_EQ(fromFirst.Get(), fromSecond.Get());
  ComPtr<IDirect3DRMFrame> notAFrame;
  EXPECT_EQ(rm.As(IID_IDirect3DRMFrame, notAFrame), E_NOINTERFACE);
  EXPECT_EQ(Direct3DRMCreate(nullptr), D3DRMERR_BADVALUE);
}

TEST_F(ViewportTest, ObjectsOutliveTheRetainedModeObject) {
  auto scene = NewFrame(nullptr);
  auto child = NewFrame(nullptr);
  ComPtr<IDirect3DRMMeshBuilder2> builder;
  ASSERT_EQ(rm2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
  rm.Reset();
  rm2.Reset();
  EXPECT_EQ(scene->AddChild(child.Get()), D3DRM_OK);
  EXPECT_EQ(child->AddVisual(builder.Get()), D3DRM_OK);
  EXPECT_EQ(scene->Move(1.0f), D3DRM_OK);
}

TEST_F(ViewportTest, TheDeviceKeepsItsImmediateDeviceAndBufferCount) {
  auto rmDevice = NewRMDevice(direct3D.Get());
  ComPtr<IDirect3DDevice2> immediate;
  ASSERT_EQ(rmDevice->GetDirect3DDevice2(immediate.Put()), D3DRM_OK);
  EXPECT_EQ(immediate.Get(), static_cast<IDirect3DDevice2*>(device.Get()));
  ASSERT_EQ(rmDevice->SetBufferCount(2), D3DRM_OK);
  EXPECT_EQ(rmDevice->GetBufferCount(), 2u);
  EXPECT_EQ(rmDevice->SetBufferCount(0), D3DRMERR_BADVALUE);
  EXPECT_EQ(rmDevice->GetBufferCount(), 2u);
  ASSERT_EQ(rmDevice->Update(), D3DRM_OK);
  EXPECT_EQ(platform::d3drm::RMDevice::From(rmDevice.Get())->UpdateCount(), 1u);

  ComPtr<IDirect3DRMDevice2> none;
  EXPECT_EQ(rm2->CreateDeviceFromD3D(direct3D.Get(), nullptr, none.Put()), D3DRMERR_BADDEVICE);
  EXPECT_EQ(none, nullptr);
}

TEST_F(ViewportTest, AViewportStandsOnAnImmediateViewportOfTheDevice) {
  auto rmDevice = NewRMDevice(direct3D.Get());
  auto scene = NewFrame(nullptr);
  auto camera = NewFrame(scene.Get());
  ComPtr<IDirect3DRMViewport> viewport;
  ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 0, 0, 512, 386, viewport.Put()),
            D3DRM_OK);

  ASSERT_EQ(direct3D->createViewportCalls, 1);
  FakeViewport* immediate = direct3D->lastViewport;
  ASSERT_NE(immediate, nullptr);
  EXPECT_EQ(immediate->setViewportCalls, 1);
  EXPECT_EQ(immediate->data.dwSize, sizeof(D3DVIEWPORT2));
  EXPECT_EQ(immediate->data.dwX, 0u);
  EXPECT_EQ(immediate->data.dwY, 0u);
  EXPECT_EQ(immediate->data.dwWidth, 512u);
  EXPECT_EQ(immediate->data.dwHeight, 386u);
  EXPECT_FLOAT_EQ(immediate->data.dvClipHeight / immediate->data.dvClipWidth, 386.0f / 512.0f)
      << "square pixels";
  ASSERT_EQ(device->viewports.size(), 1u);
  EXPECT_EQ(device->viewports[0].Get(), static_cast<IDirect3DViewport2*>(immediate));

  // Handed out with an added reference, as DirectX does.
  const ULONG before = immediate->References();
  ComPtr<IDirect3DViewport> handed;
  ASSERT_EQ(viewport->GetDirect3DViewport(handed.Put()), D3DRM_OK);
  EXPECT_EQ(handed.Get(), static_cast<IDirect3DViewport*>(immediate));
  EXPECT_EQ(immediate->References(), before + 1);
  ComPtr<IDirect3DViewport2> second;
  EXPECT_EQ(handed.As(IID_IDirect3DViewport2, second), S_OK);

  EXPECT_EQ(viewport->GetWidth(), 512u);
  EXPECT_EQ(viewport->GetHeight(), 386u);
  ComPtr<IDirect3DRMFrame> seenFrom;
  ASSERT_EQ(viewport->GetCamera(seenFrom.Put()), D3DRM_OK);
  EXPECT_EQ(seenFrom.Get(), static_cast<IDirect3DRMFrame*>(camera.Get()));

  // The immediate viewport leaves the device with the retained-mode viewport.
  handed.Reset();
  second.Reset();
  viewport.Reset();
  EXPECT_EQ(device->deleteCalls, 1);
  EXPECT_TRUE(device->viewports.empty());
}

TEST_F(ViewportTest, ClearFillsTheViewportRectangleThroughTheImmediateViewport) {
  auto rmDevice = NewRMDevice(direct3D.Get());
  auto camera = NewFrame(nullptr);
  ComPtr<IDirect3DRMViewport> viewport;
  ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 10, 20, 100, 50, viewport.Put()),
            D3DRM_OK);
  ASSERT_EQ(viewport->Clear(), S_OK);
  FakeViewport* immediate = direct3D->lastViewport;
  ASSERT_EQ(immediate->clearedRects.size(), 1u);
  const D3DRECT& rect = immediate->clearedRects[0];
  EXPECT_EQ(rect.x1, 10);
  EXPECT_EQ(rect.y1, 20);
  EXPECT_EQ(rect.x2, 110);
  EXPECT_EQ(rect.y2, 70);
  EXPECT_EQ(immediate->clearFlags[0], D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
}

TEST_F(ViewportTest, WithoutAnImmediateViewportTheViewportStillWorks) {
  auto camera = NewFrame(nullptr);
  struct Case {
    const char* what;
    bool noDirect3D, failCreate, failAdd;
  };
  for (const Case& c :
       {Case{"no IDirect3D2", true, false, false}, Case{"CreateViewport fails", false, true, false},
        Case{"AddViewport fails", false, false, true}}) {
    SCOPED_TRACE(c.what);
    direct3D->failCreateViewport = c.failCreate;
    device->failAddViewport = c.failAdd;
    auto rmDevice = NewRMDevice(c.noDirect3D ? nullptr : direct3D.Get());
    ComPtr<IDirect3DRMViewport> viewport;
    ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 0, 0, 64, 64, viewport.Put()),
              D3DRM_OK);
    ComPtr<IDirect3DViewport> handed;
    EXPECT_EQ(viewport->GetDirect3DViewport(handed.Put()), D3DRMERR_BADDEVICE);
    EXPECT_EQ(handed, nullptr);
    EXPECT_EQ(viewport->Clear(), D3DRMERR_BADDEVICE);
    EXPECT_EQ(viewport->SetBack(5000.0f), D3DRM_OK);
    EXPECT_TRUE(device->viewports.empty());
  }
}

TEST_F(ViewportTest, ClippingPlanesStayInOrder) {
  auto rmDevice = NewRMDevice(direct3D.Get());
  auto camera = NewFrame(nullptr);
  ComPtr<IDirect3DRMViewport> viewport;
  ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 0, 0, 64, 64, viewport.Put()),
            D3DRM_OK);
  EXPECT_FLOAT_EQ(viewport->GetFront(), 1.0f);
  EXPECT_FLOAT_EQ(viewport->GetBack(), 100.0f);
  ASSERT_EQ(viewport->SetBack(5000.0f), D3DRM_OK);
  EXPECT_FLOAT_EQ(viewport->GetBack(), 5000.0f);
  EXPECT_EQ(viewport->SetBack(0.5f), D3DRMERR_BADVALUE) << "behind the front plane";
  EXPECT_EQ(viewport->SetFront(6000.0f), D3DRMERR_BADVALUE);
  EXPECT_EQ(viewport->SetFront(0.0f), D3DRMERR_BADVALUE);
  EXPECT_EQ(viewport->SetField(0.0f), D3DRMERR_BADVALUE);
  EXPECT_FLOAT_EQ(viewport->GetBack(), 5000.0f);

  ComPtr<IDirect3DRMViewport> refused;
  EXPECT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 0, 0, 0, 64, refused.Put()),
            D3DRMERR_BADVALUE);
  EXPECT_EQ(rm2->CreateViewport(rmDevice.Get(), nullptr, 0, 0, 8, 8, refused.Put()),
            D3DRMERR_BADOBJECT);
  EXPECT_EQ(refused, nullptr);
}

TEST_F(ViewportTest, RenderGathersTheScenesVisualsAndLights) {
  auto rmDevice = NewRMDevice(direct3D.Get());
  auto scene = NewFrame(nullptr);
  auto camera = NewFrame(scene.Get());
  auto holder = NewFrame(scene.Get());
  auto lights = NewFrame(scene.Get());
  ASSERT_EQ(camera->SetPosition(scene.Get(), 0, 0, -10), D3DRM_OK);
  ASSERT_EQ(holder->SetPosition(scene.Get(), 3, 0, 0), D3DRM_OK);
  ComPtr<IDirect3DRMMeshBuilder2> builder;
  ASSERT_EQ(rm2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
  ASSERT_EQ(holder->AddVisual(builder.Get()), D3DRM_OK);
  // The same frame also carried as a visual by a moved instance frame.
  auto instance = NewFrame(scene.Get());
  ASSERT_EQ(instance->SetPosition(scene.Get(), 0, 7, 0), D3DRM_OK);
  ASSERT_EQ(instance->AddVisual(holder.Get()), D3DRM_OK);
  ComPtr<IDirect3DRMLight> light;
  ASSERT_EQ(rm2->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, light.Put()), D3DRM_OK);
  ASSERT_EQ(lights->AddLight(light.Get()), D3DRM_OK);

  ComPtr<IDirect3DRMViewport> viewport;
  ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), camera.Get(), 0, 0, 64, 64, viewport.Put()),
            D3DRM_OK);
  EXPECT_EQ(viewport->Render(scene.Get()), D3DRM_OK);

  const RMViewport* gathered = RMViewport::From(viewport.Get());
  ASSERT_EQ(gathered->RenderItems().size(), 2u);
  EXPECT_EQ(gathered->RenderItems()[0].visual, static_cast<IDirect3DRMVisual*>(builder.Get()));
  EXPECT_TRUE(VectorNear(gathered->RenderItems()[0].world.Row(3), {3, 0, 0}));
  EXPECT_TRUE(VectorNear(gathered->RenderItems()[1].world.Row(3), {3, 7, 0}))
      << "the instance puts the holder's matrix under its own";
  ASSERT_EQ(gathered->RenderLights().size(), 1u);
  EXPECT_EQ(gathered->RenderLights()[0].light, light.Get());
  // The view matrix takes the camera's position to the origin.
  EXPECT_TRUE(
      VectorNear(platform::d3drm::TransformPoint({0, 0, -10}, gathered->ViewMatrix()), {0, 0, 0}));

  // A second walk starts afresh.
  ASSERT_EQ(instance->DeleteVisual(holder.Get()), D3DRM_OK);
  EXPECT_EQ(viewport->Render(scene.Get()), D3DRM_OK);
  EXPECT_EQ(gathered->RenderItems().size(), 1u);

  // The camera must be in the scene drawn.
  auto elsewhere = NewFrame(nullptr);
  EXPECT_EQ(viewport->Render(elsewhere.Get()), D3DRMERR_BADVALUE);
  EXPECT_EQ(viewport->Render(nullptr), D3DRMERR_BADOBJECT);
}

// The retained-mode part of the view's initialisation, in its order: device, buffer count,
// frames, viewport, back plane, camera placement, two lights, the light frame's fixed turn.
TEST_F(ViewportTest, TheViewsRetainedModeSetUp) {
  ComPtr<IDirect3DRMDevice2> rmDevice;
  ASSERT_EQ(rm2->CreateDeviceFromD3D(direct3D.Get(), device.Get(), rmDevice.Put()), D3DRM_OK);
  ASSERT_EQ(rmDevice->SetBufferCount(2), D3DRM_OK);
  ComPtr<IDirect3DRMFrame2> scene, lightFrame, cameraFrame;
  ASSERT_EQ(rm2->CreateFrame(nullptr, scene.Put()), D3DRM_OK);
  ASSERT_EQ(rm2->CreateFrame(scene.Get(), lightFrame.Put()), D3DRM_OK);
  ASSERT_EQ(rm2->CreateFrame(scene.Get(), cameraFrame.Put()), D3DRM_OK);
  ComPtr<IDirect3DRMViewport> viewport;
  ASSERT_EQ(rm2->CreateViewport(rmDevice.Get(), cameraFrame.Get(), 0, 0, 512, 386, viewport.Put()),
            D3DRM_OK);
  ASSERT_EQ(viewport->SetBack(5000.0f), D3DRM_OK);
  ASSERT_EQ(cameraFrame->SetPosition(scene.Get(), 0, 0, -10), D3DRM_OK);
  ASSERT_EQ(cameraFrame->SetOrientation(scene.Get(), 0, 0, 1, 0, 1, 0), D3DRM_OK);
  ComPtr<IDirect3DRMLight> directional, ambient;
  ASSERT_EQ(rm2->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f, directional.Put()),
            D3DRM_OK);
  ASSERT_EQ(rm2->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.4f, 0.4f, 0.4f, ambient.Put()), D3DRM_OK);
  ASSERT_EQ(lightFrame->AddLight(directional.Get()), D3DRM_OK);
  ASSERT_EQ(lightFrame->AddLight(ambient.Get()), D3DRM_OK);
  ASSERT_EQ(lightFrame->SetRotation(scene.Get(), 1, 1, 0, 0.7853982f), D3DRM_OK);
  ASSERT_EQ(lightFrame->Move(1.0f), D3DRM_OK);
  ASSERT_EQ(lightFrame->SetRotation(scene.Get(), 1, 1, 0, 0), D3DRM_OK);

  // Each later frame tick moves the scene; the light stays where the turn left it.
  const auto lightDirection = [&] {
    D3DVECTOR direction, up;
    EXPECT_EQ(lightFrame->GetOrientation(scene.Get(), &direction, &up), D3DRM_OK);
    return direction;
  };
  const D3DVECTOR turned = lightDirection();
  EXPECT_NEAR(turned.z, std::cos(std::numbers::pi_v<float> / 4), 1e-5f);
  ASSERT_EQ(scene->Move(1.0f), D3DRM_OK);
  EXPECT_TRUE(VectorNear(lightDirection(), turned));
  EXPECT_EQ(viewport->Render(scene.Get()), D3DRM_OK);
  EXPECT_EQ(RMViewport::From(viewport.Get())->RenderLights().size(), 2u);
  ASSERT_EQ(rmDevice->Update(), D3DRM_OK);

  // Given back in the view's release order; the fixture checks nothing is left.
  directional.Reset();
  ambient.Reset();
  viewport.Reset();
  lightFrame.Reset();
  cameraFrame.Reset();
  scene.Reset();
  rmDevice.Reset();
  EXPECT_TRUE(device->viewports.empty());
}

}  // namespace
