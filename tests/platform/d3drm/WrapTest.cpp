// Wraps: the texture coordinates each kind gives for known points, the chrome wrap applied
// relative to a frame with a camera as reference, and the view's SetWrap sequence.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/d3drm/Frame.h"
#include "platform/d3drm/Mesh.h"
#include "platform/d3drm/MeshBuilder.h"
#include "platform/d3drm/Wrap.h"
#include "tests/platform/d3drm/RMTestKit.h"

namespace {

using namespace testsupport;

using platform::d3drm::Matrix;
using platform::d3drm::MeshBuilder;
using platform::d3drm::UV;
using platform::d3drm::Wrap;

constexpr float kTolerance = 1e-5f;

class WrapTest : public RMTest {
 protected:
  // A wrap of Type through the origin, direction +z, up +y, unscaled unless told.
  ComPtr<IDirect3DRMWrap> MakeWrap(D3DRMWRAPTYPE Type, IDirect3DRMFrame* Ref = nullptr,
                                   D3DVALUE Ou = 0, D3DVALUE Ov = 0, D3DVALUE Su = 1,
                                   D3DVALUE Sv = 1) {
    ComPtr<IDirect3DRMWrap> wrap;
    EXPECT_EQ(rm2->CreateWrap(Type, Ref, 0, 0, 0, 0, 0, 1, 0, 1, 0, Ou, Ov, Su, Sv, wrap.Put()),
              D3DRM_OK);
    return wrap;
  }

  // The coordinates Wrap gives a point (world coordinates, no reference frame).
  static UV At(IDirect3DRMWrap* W, const D3DVECTOR& Point, const D3DVECTOR& Normal = {0, 0, -1}) {
    return static_cast<Wrap*>(W)->Compute(Point, Normal, Matrix{}, Matrix{});
  }

  static void ExpectUV(const UV& Actual, D3DVALUE U, D3DVALUE V) {
    EXPECT_NEAR(Actual.u, U, kTolerance);
    EXPECT_NEAR(Actual.v, V, kTolerance);
  }

  ComPtr<IDirect3DRMMeshBuilder2> LoadQuad() {
    ComPtr<IDirect3DRMMeshBuilder2> builder;
    EXPECT_EQ(rm2->CreateMeshBuilder(builder.Put()), D3DRM_OK);
    EXPECT_EQ(builder->Load(const_cast<char*>("data/quad.x"), nullptr, D3DRMLOAD_FROMFILE, nullptr,
                            nullptr),
              D3DRM_OK)
        << builder->LastError();
    return builder;
  }

  static UV CoordinatesOf(IDirect3DRMMeshBuilder* Builder, DWORD Vertex) {
    UV uv;
    EXPECT_EQ(Builder->GetTextureCoordinates(Vertex, &uv.u, &uv.v), D3DRM_OK);
    return uv;
  }
};

TEST_F(WrapTest, FlatMapsTheWrapsXAndYScaledAndShifted) {
  auto plain = MakeWrap(D3DRMWRAP_FLAT);
  ExpectUV(At(plain.Get(), {0.25f, 0.5f, 3}), 0.25f, 0.5f);
  auto scaled = MakeWrap(D3DRMWRAP_FLAT, nullptr, -0.5f, 0.25f, 0.5f, 2);
  ExpectUV(At(scaled.Get(), {0.25f, 0.5f, 3}), 0.5f * 0.25f + 0.5f, 2 * 0.5f - 0.25f);

  // Direction +x and up +y: the wrap's x axis is y × z = −z.
  ComPtr<IDirect3DRMWrap> turned;
  ASSERT_EQ(
      rm2->CreateWrap(D3DRMWRAP_FLAT, nullptr, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, turned.Put()),
      D3DRM_OK);
  ExpectUV(At(turned.Get(), {3, 3, -4}), 4, 3);
}

TEST_F(WrapTest, CylinderGoesRoundTheDirectionFromTheUpVector) {
  auto wrap = MakeWrap(D3DRMWRAP_CYLINDER, nullptr, 0, 0, 1, 0.5f);
  ExpectUV(At(wrap.Get(), {0, 1, 4}), 0, 2);      // on the up vector's side
  ExpectUV(At(wrap.Get(), {2, 0, 0}), 0.25f, 0);  // a quarter round, toward +x
  ExpectUV(At(wrap.Get(), {0, -3, 0}), 0.5f, 0);  // opposite the up vector
  ExpectUV(At(wrap.Get(), {-1, 0, -2}), 0.75f, -1);
  ExpectUV(At(wrap.Get(), {0, 0, 6}), 0, 3);  // on the axis
  auto shifted = MakeWrap(D3DRMWRAP_CYLINDER, nullptr, 0.25f, 0, 2, 1);
  ExpectUV(At(shifted.Get(), {1, 1, 0}), 2 * 0.125f - 0.25f, 0);
}

TEST_F(WrapTest, SphereTakesLongitudeAndTheAngleFromTheDirection) {
  auto wrap = MakeWrap(D3DRMWRAP_SPHERE);
  ExpectUV(At(wrap.Get(), {0, 0, 5}), 0, 0);  // the pole the direction points to
  ExpectUV(At(wrap.Get(), {1, 0, 0}), 0.25f, 0.5f);
  ExpectUV(At(wrap.Get(), {0, -1, 0}), 0.5f, 0.5f);
  ExpectUV(At(wrap.Get(), {0, 0, -2}), 0, 1);
  ExpectUV(At(wrap.Get(), {0, 1, 1}), 0, 0.25f);
}

TEST_F(WrapTest, ApplyWritesEveryVertexOfABuilderAndOfAMesh) {
  auto builder = LoadQuad();
  auto wrap = MakeWrap(D3DRMWRAP_FLAT, nullptr, -0.5f, -0.5f, 0.5f, 0.5f);
  ASSERT_EQ(wrap->Apply(builder.Get()), D3DRM_OK);
  // Vertex 1 is (−1, 1, 0): u = −0.5 + 0.5, v = 0.5 + 0.5.
  ExpectUV(CoordinatesOf(builder.Get(), 1), 0, 1);
  ExpectUV(CoordinatesOf(builder.Get(), 3), 1, 0);

  ComPtr<IDirect3DRMMesh> mesh;
  ASSERT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
  auto cylinder = MakeWrap(D3DRMWRAP_CYLINDER);
  ASSERT_EQ(cylinder->Apply(mesh.Get()), D3DRM_OK);
  D3DRMVERTEX corners[3];
  ASSERT_EQ(mesh->GetVertices(0, 0, 3, corners), D3DRM_OK);
  for (const D3DRMVERTEX& corner : corners) {
    const UV expected = At(cylinder.Get(), corner.position);
    EXPECT_NEAR(corner.tu, expected.u, kTolerance);
    EXPECT_NEAR(corner.tv, expected.v, kTolerance);
  }
  EXPECT_NEAR(corners[1].tu, 0.875f, kTolerance) << "(−1, 1): seven eighths round";
  {
    SCOPED_TRACE("the builder is left as it was");
    ExpectUV(CoordinatesOf(builder.Get(), 1), 0, 1);
  }

  auto frame = NewFrame(nullptr);
  EXPECT_EQ(wrap->Apply(frame.Get()), D3DRMERR_BADOBJECT);
  EXPECT_EQ(wrap->ApplyRelative(nullptr, builder.Get()), D3DRMERR_BADOBJECT);
}

TEST_F(WrapTest, AWrapNeedsADirectionAndAnUpVectorAcrossIt) {
  ComPtr<IDirect3DRMWrap> wrap;
  EXPECT_EQ(
      rm2->CreateWrap(D3DRMWRAP_FLAT, nullptr, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1, wrap.Put()),
      D3DRMERR_BADVALUE);
  EXPECT_EQ(
      rm2->CreateWrap(D3DRMWRAP_FLAT, nullptr, 0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 1, 1, wrap.Put()),
      D3DRMERR_BADVALUE);
  EXPECT_EQ(rm2->CreateWrap(static_cast<D3DRMWRAPTYPE>(4), nullptr, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0,
                            1, 1, wrap.Put()),
            D3DRMERR_BADVALUE);
  EXPECT_EQ(wrap, nullptr);
}

// The chrome set-up of the view: a camera frame as the wrap's reference, the wrap applied
// relative to the frame holding the mesh. Setup 1 has the camera at (0, 0, −10) looking
// along +z at a square at the origin; setup 2 is the same arrangement turned a quarter
// about y and moved, so every coordinate differs but what the camera sees does not.
class ChromeTest : public WrapTest {
 protected:
  struct Scene {
    ComPtr<IDirect3DRMFrame2> root, camera, holder;
  };

  Scene Arrange(bool Turned) {
    Scene s;
    s.root = NewFrame(nullptr);
    s.camera = NewFrame(s.root.Get());
    s.holder = NewFrame(s.root.Get());
    if (!Turned) {
      EXPECT_EQ(s.camera->SetPosition(s.root.Get(), 0, 0, -10), D3DRM_OK);
      return s;
    }
    // Looking along +x from (−10, 0, 5); the square's frame at (0, 0, 5), its z along +x.
    EXPECT_EQ(s.camera->SetPosition(s.root.Get(), -10, 0, 5), D3DRM_OK);
    EXPECT_EQ(s.camera->SetOrientation(s.root.Get(), 1, 0, 0, 0, 1, 0), D3DRM_OK);
    EXPECT_EQ(s.holder->SetPosition(s.root.Get(), 0, 0, 5), D3DRM_OK);
    EXPECT_EQ(s.holder->SetOrientation(s.root.Get(), 1, 0, 0, 0, 1, 0), D3DRM_OK);
    return s;
  }

  // Chrome coordinates of a square of vertices (x, y, 0) in the holder's coordinates, their
  // normal −z (toward the camera).
  std::vector<UV> ChromeOf(bool Turned, const std::vector<D3DVECTOR>& Points) {
    Scene s = Arrange(Turned);
    auto wrap = MakeWrap(D3DRMWRAP_CHROME, s.camera.Get());
    const Wrap* chrome = static_cast<Wrap*>(wrap.Get());
    const Matrix toWorld = platform::d3drm::WorldMatrixOf(s.holder.Get());
    const Matrix camera = platform::d3drm::WorldMatrixOf(s.camera.Get());
    Matrix toCamera;
    EXPECT_TRUE(platform::d3drm::InvertAffine(camera, toCamera));
    const D3DVECTOR normal = platform::d3drm::TransformDirection({0, 0, -1}, toWorld);
    std::vector<UV> result;
    for (const D3DVECTOR& p : Points)
      result.push_back(
          chrome->Compute(platform::d3drm::TransformPoint(p, toWorld), normal, camera, toCamera));
    return result;
  }
};

TEST_F(ChromeTest, ReflectionsOfTheViewRayGiveSphericalCoordinatesInTheCamerasAxes) {
  const std::vector<D3DVECTOR> points{{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
  const std::vector<UV> plain = ChromeOf(false, points);
  // Straight ahead the ray comes back along −z: the far pole, v = 1.
  ExpectUV(plain[0], 0, 1);
  // From (10, 0, 0) the ray (1, 0, 1)/√2 reflects to (1, 0, −1)/√2: a quarter round (+x)
  // and three quarters of the way from +z to −z.
  ExpectUV(plain[1], 0.25f, 0.75f);
  ExpectUV(plain[2], 0, 0.75f);
  const std::vector<UV> turned = ChromeOf(true, points);
  for (size_t i = 0; i < points.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectUV(turned[i], plain[i].u, plain[i].v);
  }
}

TEST_F(ChromeTest, ApplyRelativeTakesTheVerticesThroughTheHoldingFrame) {
  Scene s = Arrange(true);
  auto builder = LoadQuad();  // the square of side 2 at z = 0, facing −z
  ASSERT_EQ(s.holder->AddVisual(builder.Get()), D3DRM_OK);
  auto wrap = MakeWrap(D3DRMWRAP_CHROME, s.camera.Get());
  ASSERT_EQ(wrap->ApplyRelative(s.holder.Get(), builder.Get()), D3DRM_OK);
  // Seen from the camera 10 away, corner (1, 1) reflects as in the unturned arrangement.
  const UV corner = CoordinatesOf(builder.Get(), 2);
  const UV expected = ChromeOf(false, {{1, 1, 0}})[0];
  ExpectUV(corner, expected.u, expected.v);
  EXPECT_GT(corner.v, 0.9f) << "nearly straight back at the camera";

  // Apply alone takes the vertices as world coordinates: the square then lies sideways to
  // the camera and reflects elsewhere.
  ASSERT_EQ(wrap->Apply(builder.Get()), D3DRM_OK);
  EXPECT_GT(std::fabs(CoordinatesOf(builder.Get(), 2).v - expected.v), 0.05f);
}

// The view's SetWrap with wrap type 3: texture from a file, the camera as reference, the
// mesh visual made again from the wrapped builder.
TEST_F(ChromeTest, TheViewsSetWrapSequence) {
  Scene s = Arrange(false);
  auto builder = LoadQuad();
  ComPtr<IDirect3DRMMesh> mesh;
  ASSERT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
  ASSERT_EQ(s.holder->AddVisual(mesh.Get()), D3DRM_OK);

  ComPtr<IDirect3DRMTexture2> texture;
  ASSERT_EQ(rm2->LoadTexture("data/checker.bmp", texture.Put()), D3DRM_OK);
  ASSERT_EQ(builder->SetTexture(texture.Get()), D3DRM_OK);
  ComPtr<IDirect3DRMWrap> wrap;
  ASSERT_EQ(rm2->CreateWrap(D3DRMWRAP_CHROME, s.camera.Get(), 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1,
                            wrap.Put()),
            D3DRM_OK);
  ASSERT_EQ(s.holder->DeleteVisual(mesh.Get()), D3DRM_OK);
  mesh.Reset();
  ASSERT_EQ(wrap->ApplyRelative(s.holder.Get(), builder.Get()), D3DRM_OK);
  ASSERT_EQ(builder->SetPerspective(TRUE), D3DRM_OK);
  ASSERT_EQ(builder->CreateMesh(mesh.Put()), D3DRM_OK);
  ASSERT_EQ(wrap->ApplyRelative(s.holder.Get(), mesh.Get()), D3DRM_OK);
  texture.Reset();
  wrap.Reset();
  ASSERT_EQ(s.holder->AddVisual(mesh.Get()), D3DRM_OK);

  // The mesh holds the texture after the caller gave its reference back, and the
  // coordinates the builder got; its two groups are the square's two face colours.
  ASSERT_EQ(mesh->GetGroupCount(), 2u);
  const MeshBuilder* read = MeshBuilder::From(builder.Get());
  const auto& positions = read->Vertices();
  for (D3DRMGROUPINDEX group = 0; group < 2; ++group) {
    SCOPED_TRACE(group);
    EXPECT_EQ(mesh->GetGroupMapping(group), D3DRMMAP_PERSPCORRECT);
    ComPtr<IDirect3DRMTexture> onMesh;
    ASSERT_EQ(mesh->GetGroupTexture(group, onMesh.Put()), D3DRM_OK);
    ASSERT_NE(onMesh, nullptr);
    EXPECT_EQ(onMesh->GetImage()->width, 4);
    unsigned count = 0;
    ASSERT_EQ(mesh->GetGroup(group, &count, nullptr, nullptr, nullptr, nullptr), D3DRM_OK);
    std::vector<D3DRMVERTEX> vertices(count);
    ASSERT_EQ(mesh->GetVertices(group, 0, count, vertices.data()), D3DRM_OK);
    for (const D3DRMVERTEX& v : vertices) {
      const auto at = std::find_if(positions.begin(), positions.end(), [&](const D3DVECTOR& p) {
        return static_cast<bool>(VectorNear(p, v.position));
      });
      ASSERT_NE(at, positions.end());
      const UV& expected = read->TextureCoordinates()[static_cast<size_t>(at - positions.begin())];
      EXPECT_NEAR(v.tu, expected.u, kTolerance);
      EXPECT_NEAR(v.tv, expected.v, kTolerance);
    }
  }
}

}  // namespace
