#include "tools/makeassets/WispFigure.h"

#include <cmath>
#include <numbers>

namespace {

constexpr uint32_t VertexColour = 0xFFFFFFFFu;  // white: the texture shows at every intensity
constexpr double BodyUWraps = 2.0;              // the texture goes twice around the body
constexpr double BodyVWraps = 2.0;              // and twice along its height
constexpr double Pi = std::numbers::pi;

int32_t TagOf(const char (&text)[5]) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
                              static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
                              static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
                              static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24);
}

TKorVertex MakeVertex(double x, double y, double z, double nx, double ny, double nz, double u,
                      double v) {
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  TKorVertex vertex;
  vertex.X = static_cast<float>(x);
  vertex.Y = static_cast<float>(y);
  vertex.Z = static_cast<float>(z);
  vertex.NX = static_cast<float>(nx / length);
  vertex.NY = static_cast<float>(ny / length);
  vertex.NZ = static_cast<float>(nz / length);
  vertex.U = static_cast<float>(u);
  vertex.V = static_cast<float>(v);
  vertex.Color = VertexColour;
  return vertex;
}

double Angle(int k, int segments) {
  return 2.0 * Pi * k / segments;
}

// d(radius)/dt of WispProfileRadius, for the normals; a central difference is smooth enough
// and, like everything here, the same on every run.
double ProfileSlope(double t) {
  constexpr double h = 1e-5;
  return (WispProfileRadius(t + h) - WispProfileRadius(t - h)) / (2 * h);
}

uint16_t Index(int i) {
  return static_cast<uint16_t>(i);
}

TKorFaceRecord Face(std::vector<uint16_t> indices, int32_t textureIndex) {
  return {std::move(indices), 6, textureIndex};
}

// Ring j (1 to WispRings) has WispSegments + 1 vertices; the last repeats the first with u at
// the seam's far side. The poles follow, one vertex per segment so each gets its own u.
int RingVertex(int j, int k) {
  return (j - 1) * (WispSegments + 1) + k;
}
int BottomPole(int k) {
  return WispRings * (WispSegments + 1) + k;
}
int TopPole(int k) {
  return BottomPole(WispSegments) + k;
}

void AddBodyVertices(TKorObjectRecord& body) {
  const double height = WispTop - WispBottom;
  for (int j = 1; j <= WispRings; ++j) {
    const double t = static_cast<double>(j) / (WispRings + 1);
    const double r = WispProfileRadius(t);
    const double slope = ProfileSlope(t) / height;  // d(radius)/dz
    for (int k = 0; k <= WispSegments; ++k) {
      const double c = std::cos(Angle(k, WispSegments)), s = std::sin(Angle(k, WispSegments));
      body.Vertices.push_back(MakeVertex(r * c, r * s, WispBottom + t * height, c, s, -slope,
                                         BodyUWraps * k / WispSegments, BodyVWraps * (1.0 - t)));
    }
  }
  for (int k = 0; k < WispSegments; ++k) {
    const double u = BodyUWraps * (k + 0.5) / WispSegments;
    body.Vertices.push_back(MakeVertex(0, 0, WispBottom, 0, 0, -1, u, BodyVWraps));
  }
  for (int k = 0; k < WispSegments; ++k) {
    const double u = BodyUWraps * (k + 0.5) / WispSegments;
    body.Vertices.push_back(MakeVertex(0, 0, WispTop, 0, 0, 1, u, 0.0));
  }
}

void AddBodyFaces(TKorObjectRecord& body) {
  // Going up first and then round (toward +angle) turns the cross product inward.
  for (int k = 0; k < WispSegments; ++k) {
    body.Faces.push_back(
        Face({Index(BottomPole(k)), Index(RingVertex(1, k)), Index(RingVertex(1, k + 1))}, 0));
  }
  for (int j = 1; j < WispRings; ++j) {
    for (int k = 0; k < WispSegments; ++k) {
      body.Faces.push_back(Face({Index(RingVertex(j, k)), Index(RingVertex(j + 1, k)),
                                 Index(RingVertex(j + 1, k + 1)), Index(RingVertex(j, k + 1))},
                                0));
    }
  }
  for (int k = 0; k < WispSegments; ++k) {
    body.Faces.push_back(Face(
        {Index(RingVertex(WispRings, k)), Index(TopPole(k)), Index(RingVertex(WispRings, k + 1))},
        0));
  }
}

TKorObjectRecord MakeBody() {
  TKorObjectRecord body;
  body.Tag = TagOf("BODY");
  AddBodyVertices(body);
  AddBodyFaces(body);
  // Markers on the axis at the middle of each joint; the skin binds them, nothing draws them.
  body.Points = {{0, 0, 1.7f}, {0, 0, 4.25f}, {0, 0, 6.8f}};
  body.ParentIndex = -1;
  return body;
}

// Top ring, bottom ring, then the side's lower and upper rings (with a seam vertex each).
int PedestalTop(int k) {
  return k;
}
int PedestalBottom(int k) {
  return PedestalSegments + k;
}
int PedestalSideLow(int k) {
  return 2 * PedestalSegments + k;
}
int PedestalSideHigh(int k) {
  return 3 * PedestalSegments + 1 + k;
}

void AddPedestalVertices(TKorObjectRecord& pedestal) {
  const double r = PedestalRadius;
  for (double z : {PedestalHeight, 0.0}) {
    const double nz = z > 0 ? 1.0 : -1.0;
    for (int k = 0; k < PedestalSegments; ++k) {
      const double x = r * std::cos(Angle(k, PedestalSegments));
      const double y = r * std::sin(Angle(k, PedestalSegments));
      pedestal.Vertices.push_back(
          MakeVertex(x, y, z, 0, 0, nz, 0.5 + x / (2 * r), 0.5 - y / (2 * r)));
    }
  }
  for (double z : {0.0, PedestalHeight}) {
    for (int k = 0; k <= PedestalSegments; ++k) {
      const double c = std::cos(Angle(k, PedestalSegments)),
                   s = std::sin(Angle(k, PedestalSegments));
      pedestal.Vertices.push_back(
          MakeVertex(r * c, r * s, z, c, s, 0, 4.0 * k / PedestalSegments, z > 0 ? 0.0 : 0.25));
    }
  }
}

void AddPedestalFaces(TKorObjectRecord& pedestal) {
  // The top runs clockwise seen from above, the bottom counter-clockwise, so both cross
  // products point into the disc.
  TKorFaceRecord top = Face({}, 1), bottom = Face({}, 1);
  for (int k = 0; k < PedestalSegments; ++k) {
    top.Indices.push_back(Index(PedestalTop(PedestalSegments - 1 - k)));
    bottom.Indices.push_back(Index(PedestalBottom(k)));
  }
  pedestal.Faces = {top, bottom};
  for (int k = 0; k < PedestalSegments; ++k) {
    pedestal.Faces.push_back(Face({Index(PedestalSideLow(k)), Index(PedestalSideHigh(k)),
                                   Index(PedestalSideHigh(k + 1)), Index(PedestalSideLow(k + 1))},
                                  1));
  }
}

TKorObjectRecord MakePedestal() {
  TKorObjectRecord pedestal;
  pedestal.Tag = TagOf("BASE");
  MakeMatrix(pedestal.Base, 0, 0, static_cast<float>(-PedestalDrop), 0, 0, 0);
  AddPedestalVertices(pedestal);
  AddPedestalFaces(pedestal);
  pedestal.ParentIndex = 0;
  return pedestal;
}

}  // namespace

double WispProfileRadius(double t) {
  // A rounded belly, a thin waist where the middle joint bends (thin enough that the inner side
  // of the full bend does not fold over itself) and a head, closed at both poles.
  const double z = WispBottom + t * (WispTop - WispBottom);
  const double belly = (z - WispBellyHeight) / WispBellyWidth;
  const double head = (z - WispHeadHeight) / WispHeadWidth;
  const double swell = WispWaistRadius + WispBellyRadius * std::exp(-belly * belly) +
                       WispHeadRadius * std::exp(-head * head);
  return std::sqrt(std::sin(Pi * t)) * swell;
}

TKorFileRecord MakeWispFigure() {
  TKorFileRecord file;
  file.TextureNames = {WispBodyTextureName, WispPedestalTextureName};
  file.Objects = {MakeBody(), MakePedestal()};
  return file;
}
