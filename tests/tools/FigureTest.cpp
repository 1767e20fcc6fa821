// The figure the generator makes: a body the joints can bend everywhere, outward normals, a
// winding that the demo's counter-clockwise culling keeps on the side facing the camera, a
// size that fills the view, and textures that are 8-bit palettised bitmaps.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>

#include "anim/Wisp.h"
#include "model/LoadModel.h"
#include "model/TextureRecorder.h"
#include "tests/support/TempDirectory.h"
#include "tools/makeassets/WispFigure.h"

namespace {

const std::string AssetsDir = KOR_ASSETS_DIR;

Vector3 Sub(Vector3 a, Vector3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector3 Add(Vector3 a, Vector3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
float Dot(Vector3 a, Vector3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vector3 Cross(Vector3 a, Vector3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(Vector3 a) {
  return std::sqrt(Dot(a, a));
}
Vector3 Position(const TKorVertex& v) {
  return {v.X, v.Y, v.Z};
}
Vector3 Normal(const TKorVertex& v) {
  return {v.NX, v.NY, v.NZ};
}

// The loaded model, freed at the end of the test.
struct TFigure {
  TKorTextureRecorder Maker;
  TKorModelIndex Index;
  TKorObject* Root = nullptr;
  TFigure() { Root = LoadModel(&Maker, (AssetsDir + "/wisp2.kor").c_str(), &Index); }
  ~TFigure() { FreeObject(Root); }
  const TKorObject& Pedestal() const { return *Root->FirstChild; }
};

// The demo's view: camera at (0, 0, -20) with the world's axes, zoom 2, a 512 x 386 view, and
// the renderer's conventions (x and y scaled by the half width, sx = X * zoom / Z + half width,
// sy = Y * zoom / Z + half height, screen y growing downward, nothing flipped).
struct TDemoView {
  static constexpr float Zoom = 2.0f, HalfWidth = 256.0f, HalfHeight = 193.0f;
  Matrix4 Camera;  // world to camera space
  Matrix4 Screen;  // world to screen-scaled camera space

  TDemoView() {
    Matrix4 placement;
    MakeMatrix(placement, 0, 0, -20, 0, 0, 0);
    Matrix4 toOrigin = IdentityMatrix, unturn = IdentityMatrix;
    for (int i = 0; i < 3; ++i) {
      toOrigin[12 + i] = -placement[12 + i];
      for (int j = 0; j < 3; ++j) unturn[i * 4 + j] = placement[j * 4 + i];
    }
    MatrixMultiply(toOrigin, unturn, Camera);
    Matrix4 scale = IdentityMatrix;
    scale[0] = scale[5] = HalfWidth;
    MatrixMultiply(Camera, scale, Screen);
  }

  // Screen position of a point given by an object-to-world matrix.
  Vector3 Project(const Matrix4& toWorld, Vector3 p) const {
    Matrix4 toScreen;
    MatrixMultiply(toWorld, Screen, toScreen);
    const Vector3 q = TransformPoint(toScreen, p);
    const float k = Zoom / q.z;
    return {q.x * k + HalfWidth, q.y * k + HalfHeight, q.z};
  }
};

// Object to world: Local x Base x the parent's, as the renderer composes them.
Matrix4 ToWorld(const TKorObject& object) {
  Matrix4 own;
  MatrixMultiply(object.Local, object.Base, own);
  if (object.Parent == nullptr) return own;
  Matrix4 world;
  MatrixMultiply(own, ToWorld(*object.Parent), world);
  return world;
}

void Placed(TKorObject& root) {
  MakeMatrix(root.Local, 0, 0, 0, static_cast<float>(-0.2 * std::numbers::pi),
             static_cast<float>(1.45 * std::numbers::pi),
             static_cast<float>(-0.2 * std::numbers::pi));
}

// Culling counts of one object's fan triangles as the demo's view sees them.
struct TCullCount {
  int Facing = 0, FacingKept = 0, Away = 0, AwayCulled = 0;
};

// A fan triangle survives D3DCULL_CCW when its corners run clockwise on the screen; with y
// pointing down that is a positive signed area.
float ScreenArea(Vector3 a, Vector3 b, Vector3 c) {
  return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

void CountCulling(const TKorObject& object, const TDemoView& view, TCullCount& count) {
  const Matrix4 toWorld = ToWorld(object);
  Matrix4 toCamera;
  MatrixMultiply(toWorld, view.Camera, toCamera);
  for (int32_t f = 0; f < object.FaceCount; ++f) {
    const TKorPolygon& face = object.Faces[static_cast<size_t>(f)];
    // The face's outward direction from its vertex normals, independent of its winding.
    Vector3 normal{}, centre{};
    for (uint16_t i : face.Indices) {
      normal = Add(normal, Normal(object.Vertices[i]));
      centre = Add(centre, Position(object.Vertices[i]));
    }
    centre = {centre.x / face.Count, centre.y / face.Count, centre.z / face.Count};
    const Vector3 toEye = TransformPoint(toCamera, centre);  // the eye is the camera's origin
    const float facing =
        -Dot(TransformDirection(toCamera, normal), toEye) / (Length(normal) * Length(toEye));
    if (std::fabs(facing) < 0.1f) continue;  // edge-on: either answer is right
    for (int m = 0; m + 2 < face.Count; ++m) {
      const float area =
          ScreenArea(view.Project(toWorld, Position(object.Vertices[face.Indices[0]])),
                     view.Project(toWorld, Position(object.Vertices[face.Indices[m + 1]])),
                     view.Project(toWorld, Position(object.Vertices[face.Indices[m + 2]])));
      if (std::fabs(area) < 1e-3f) continue;  // a sliver at a pole
      if (facing > 0) {
        ++count.Facing;
        count.FacingKept += area > 0;
      } else {
        ++count.Away;
        count.AwayCulled += area < 0;
      }
    }
  }
}

void ExpectCullingKeepsTheNearSide(TKorObject& root) {
  const TDemoView view;
  for (const TKorObject* object : {&root, root.FirstChild}) {
    SCOPED_TRACE(object == &root ? "body" : "pedestal");
    TCullCount count;
    CountCulling(*object, view, count);
    EXPECT_GT(count.Facing, 10);
    EXPECT_GT(count.Away, 10);
    EXPECT_EQ(count.FacingKept, count.Facing);
    EXPECT_EQ(count.AwayCulled, count.Away);
  }
}

// Fan triangles whose cross product (p1 - p0) x (p2 - p0) does not point into the object, as
// judged by the vertex normals: none in a good mesh, and none in a deformed one unless it folds.
int FacesTurnedOutward(const TKorObject& object) {
  int outward = 0;
  for (int32_t f = 0; f < object.FaceCount; ++f) {
    const TKorPolygon& face = object.Faces[static_cast<size_t>(f)];
    Vector3 normal{};
    for (uint16_t i : face.Indices) normal = Add(normal, Normal(object.Vertices[i]));
    const Vector3 p0 = Position(object.Vertices[face.Indices[0]]);
    for (int m = 0; m + 2 < face.Count; ++m) {
      const Vector3 cross = Cross(Sub(Position(object.Vertices[face.Indices[m + 1]]), p0),
                                  Sub(Position(object.Vertices[face.Indices[m + 2]]), p0));
      if (Length(cross) < 1e-9f) continue;  // a sliver at a pole
      outward += Dot(cross, normal) >= 0.0f;
    }
  }
  return outward;
}

TEST(WispFigure, TheTableNamesTwoBitmapsAndObjectZeroHasAChild) {
  TFigure figure;
  EXPECT_EQ(figure.Index.TextureNames,
            (std::vector<std::string>{WispBodyTextureName, WispPedestalTextureName}));
  ASSERT_EQ(figure.Index.Objects.size(), 2u);
  EXPECT_EQ(figure.Index.ParentIndexes, (std::vector<int32_t>{-1, 0}));
  ASSERT_NE(figure.Root->FirstChild, nullptr);
  EXPECT_EQ(figure.Root->FirstChild->Parent, figure.Root);
  for (const TKorObject* object : {figure.Root, figure.Root->FirstChild}) {
    for (int32_t f = 0; f < object->FaceCount; ++f) {
      EXPECT_EQ(object->Faces[static_cast<size_t>(f)].Flag, 6);
    }
  }
}

TEST(WispFigure, TheBodyStandsInsideTheJointsReach) {
  TFigure figure;
  const TKorObject& body = *figure.Root;
  std::set<float> ringsInTheWaist;
  for (int32_t d = 0; d < body.VertexCount; ++d) {
    const TKorVertex& v = body.Vertices[static_cast<size_t>(d)];
    EXPECT_GT(v.Z, 0.0f);
    EXPECT_LT(v.Z, 8.5f);
    EXPECT_LT(v.X * v.X + v.Y * v.Y, 17.0f * 17.0f);
    if (v.Z > 3.4f && v.Z < 5.1f) ringsInTheWaist.insert(v.Z);
  }
  // The middle joint bends up to 2 radians over 1.7 units: enough rings make that a curve.
  EXPECT_GE(ringsInTheWaist.size(), 8u);
  EXPECT_NEAR(body.BoxMin.z, WispBottom, 1e-6);
  EXPECT_NEAR(body.BoxMax.z, WispTop, 1e-6);
  EXPECT_GT(body.BoxMax.x, 2.0f);
}

TEST(WispFigure, NormalsAreUnitLengthAndPointOutward) {
  TFigure figure;
  const TKorObject& body = *figure.Root;
  for (int32_t d = 0; d < body.VertexCount; ++d) {
    const TKorVertex& v = body.Vertices[static_cast<size_t>(d)];
    EXPECT_NEAR(Length(Normal(v)), 1.0f, 1e-5f);
    // Away from the axis at the vertex's height, or along the axis at the poles.
    const Vector3 out = v.X * v.X + v.Y * v.Y > 1e-8f ? Vector3{v.X, v.Y, 0}
                                                      : Vector3{0, 0, v.Z > 4.25f ? 1.0f : -1.0f};
    EXPECT_GT(Dot(Normal(v), out), 0.0f) << "vertex " << d;
  }
  const TKorObject& pedestal = figure.Pedestal();
  const Vector3 middle{0, 0, static_cast<float>(PedestalHeight / 2)};
  for (int32_t d = 0; d < pedestal.VertexCount; ++d) {
    const TKorVertex& v = pedestal.Vertices[static_cast<size_t>(d)];
    EXPECT_NEAR(Length(Normal(v)), 1.0f, 1e-5f);
    EXPECT_GT(Dot(Normal(v), Sub(Position(v), middle)), 0.0f) << "vertex " << d;
  }
}

TEST(WispFigure, EveryFanTriangleTurnsItsCrossProductInward) {
  TFigure figure;
  EXPECT_EQ(FacesTurnedOutward(*figure.Root), 0);
  EXPECT_EQ(FacesTurnedOutward(figure.Pedestal()), 0);
}

TEST(WispFigure, CountClockwiseCullingKeepsTheSideFacingTheCamera) {
  TFigure figure;
  Placed(*figure.Root);
  ExpectCullingKeepsTheNearSide(*figure.Root);
}

TEST(WispFigure, FillsAGoodPartOfTheViewAndStaysInIt) {
  TFigure figure;
  Placed(*figure.Root);
  const TDemoView view;
  float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
  for (const TKorObject* object : {figure.Root, figure.Root->FirstChild}) {
    const Matrix4 toWorld = ToWorld(*object);
    for (int32_t d = 0; d < object->VertexCount; ++d) {
      const Vector3 s = view.Project(toWorld, Position(object->Vertices[static_cast<size_t>(d)]));
      left = std::min(left, s.x);
      right = std::max(right, s.x);
      top = std::min(top, s.y);
      bottom = std::max(bottom, s.y);
      EXPECT_GT(s.z, 0.0f);
    }
  }
  EXPECT_GT(left, 0.0f);
  EXPECT_LT(right, 512.0f);
  EXPECT_GT(top, 0.0f);
  EXPECT_LT(bottom, 386.0f);
  EXPECT_GT(right - left, 0.3f * 512.0f);
  EXPECT_GT(bottom - top, 0.4f * 386.0f);
}

TEST(WispFigure, VertexColoursLetTheTextureShowAtAQuarterIntensity) {
  TFigure figure;
  for (const TKorObject* object : {figure.Root, figure.Root->FirstChild}) {
    for (int32_t d = 0; d < object->VertexCount; ++d) {
      const uint32_t colour = object->Vertices[static_cast<size_t>(d)].Color;
      for (int shift : {0, 8, 16}) EXPECT_GE((colour >> shift) & 0xFF, 0xC0u);
      EXPECT_EQ(colour >> 24, 0xFFu);
    }
  }
}

// The bitmaps the table names, and meta.bmp: 8-bit palettised, uncompressed, as named.
TEST(WispFigure, BitmapsAreEightBitPalettised) {
  struct TCase {
    std::string Name;
    uint32_t Size;
  };
  for (const TCase& c : {TCase{WispBodyTextureName, 128}, TCase{WispPedestalTextureName, 64},
                         TCase{"meta.bmp", 256}}) {
    SCOPED_TRACE(c.Name);
    const std::vector<uint8_t> b = testsupport::ReadBytes(AssetsDir + "/" + c.Name);
    ASSERT_GT(b.size(), 1078u);
    auto u32 = [&](size_t at) {
      return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(u32(18), c.Size);
    EXPECT_EQ(u32(22), c.Size);
    EXPECT_EQ(b[28], 8);
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(b.size(), 1078u + c.Size * c.Size);
  }
}

// Runs in the assets directory, where the character finds "wisp2.kor".
class WispFigureAnimated : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(AssetsDir);
  }
  void TearDown() override { std::filesystem::current_path(previous); }
  std::filesystem::path previous;
};

TEST_F(WispFigureAnimated, EveryBodyVertexFollowsAJoint) {
  TKorTextureRecorder maker;
  TWisp wisp(&maker);
  for (int32_t d = 0; d < wisp.Model->VertexCount; ++d) {
    EXPECT_NE(wisp.Skin->VertexBones[static_cast<size_t>(d)], nullptr) << "vertex " << d;
  }
  FreeObject(wisp.Model);
}

// The waist is thin enough that even the full bend of 2 radians does not fold the inner side
// of the body over itself, so the body stays a closed surface that culling cannot open.
TEST_F(WispFigureAnimated, TheBodyNeverFoldsDuringTheSway) {
  TKorTextureRecorder maker;
  TWisp wisp(&maker);
  for (int step = 0; step < 51; ++step) {
    wisp.Animate(0.02f);
    EXPECT_EQ(FacesTurnedOutward(*wisp.Model), 0) << "phase " << wisp.Phase;
  }
  FreeObject(wisp.Model);
}

TEST_F(WispFigureAnimated, CullingKeepsTheNearSideWhenBentHalfway) {
  TKorTextureRecorder maker;
  TWisp wisp(&maker);
  MakeMatrix(wisp.Placement, 0, 0, 0, static_cast<float>(-0.2 * std::numbers::pi),
             static_cast<float>(1.45 * std::numbers::pi),
             static_cast<float>(-0.2 * std::numbers::pi));
  wisp.Animate(0.02f);  // phase 0: the middle joint bent by -1
  ExpectCullingKeepsTheNearSide(*wisp.Model);
  FreeObject(wisp.Model);
}

}  // namespace
