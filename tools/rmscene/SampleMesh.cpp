#include "tools/rmscene/SampleMesh.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kRingSegments = 16;
constexpr int kTubeSegments = 8;
constexpr double kRingRadius = 1.5;
constexpr double kTubeRadius = 0.6;

// A number as the file writes it: six decimals, and never "-0.000000".
std::string Number(double Value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", std::fabs(Value) < 5e-7 ? 0.0 : Value);
  return text;
}

int VertexIndex(int Ring, int Tube) {
  return Ring * (kTubeSegments + 1) + Tube;
}

struct Corner {
  double x, y, z;     // position
  double nx, ny, nz;  // unit normal
};

Corner CornerAt(int Ring, int Tube) {
  const double theta = 2 * std::numbers::pi * Ring / kRingSegments;
  const double phi = 2 * std::numbers::pi * Tube / kTubeSegments;
  const double across = kRingRadius + kTubeRadius * std::cos(phi);
  return {across * std::cos(theta),        across * std::sin(theta),
          kTubeRadius * std::sin(phi),     std::cos(phi) * std::cos(theta),
          std::cos(phi) * std::sin(theta), std::sin(phi)};
}

// Writes Count lines, each made by Line(i), separated by ",\n" and ended by End.
template <class LineOf>
void AppendList(std::string& Out, int Count, LineOf Line, const char* End = ";\n") {
  for (int i = 0; i < Count; ++i) Out += "  " + Line(i) + (i + 1 < Count ? ",\n" : End);
}

constexpr int kVertexCount = (kRingSegments + 1) * (kTubeSegments + 1);
constexpr int kFaceCount = kRingSegments * kTubeSegments;

// Face f joins ring segments r, r + 1 and tube segments t, t + 1: up the ring first, then
// across the tube, which runs clockwise seen from outside.
std::string FaceLine(int Face) {
  const int ring = Face / kTubeSegments, tube = Face % kTubeSegments;
  return "4;" + std::to_string(VertexIndex(ring, tube)) + "," +
         std::to_string(VertexIndex(ring + 1, tube)) + "," +
         std::to_string(VertexIndex(ring + 1, tube + 1)) + "," +
         std::to_string(VertexIndex(ring, tube + 1)) + ";";
}

std::string Material(const char* Name, double Red, double Green, double Blue) {
  return std::string("  Material ") + Name + " {\n   " + Number(Red) + ";" + Number(Green) + ";" +
         Number(Blue) + ";1.000000;;\n   0.000000;\n   0.000000;0.000000;0.000000;;\n" +
         "   0.000000;0.000000;0.000000;;\n  }\n";
}

}  // namespace

std::string SampleMeshText() {
  std::string out =
      "xof 0302txt 0032\n"
      "# The sample mesh of the retained-mode view: a low-poly torus around the z axis.\n"
      "# Made by tools/rmscene (make_sample_mesh); do not edit by hand.\n\n"
      "Mesh Torus {\n " +
      std::to_string(kVertexCount) + ";\n";
  const auto cornerOf = [](int i) {
    return CornerAt(i / (kTubeSegments + 1), i % (kTubeSegments + 1));
  };
  AppendList(out, kVertexCount, [&](int i) {
    const Corner c = cornerOf(i);
    return Number(c.x) + ";" + Number(c.y) + ";" + Number(c.z) + ";";
  });
  out += " " + std::to_string(kFaceCount) + ";\n";
  AppendList(out, kFaceCount, FaceLine);

  out += "\n MeshNormals {\n " + std::to_string(kVertexCount) + ";\n";
  AppendList(out, kVertexCount, [&](int i) {
    const Corner c = cornerOf(i);
    return Number(c.nx) + ";" + Number(c.ny) + ";" + Number(c.nz) + ";";
  });
  out += " " + std::to_string(kFaceCount) + ";\n";
  AppendList(out, kFaceCount, FaceLine);  // normal i belongs to vertex i
  out += " }\n\n MeshTextureCoords {\n " + std::to_string(kVertexCount) + ";\n";
  AppendList(out, kVertexCount, [](int i) {
    const int ring = i / (kTubeSegments + 1), tube = i % (kTubeSegments + 1);
    return Number(static_cast<double>(ring) / kRingSegments) + ";" +
           Number(static_cast<double>(tube) / kTubeSegments) + ";";
  });
  out += " }\n\n MeshMaterialList {\n  2;\n  " + std::to_string(kFaceCount) + ";\n";
  AppendList(
      out, kFaceCount, [](int f) { return std::to_string((f / kTubeSegments) % 2); }, ";;\n");
  out += Material("Ivory", 0.95, 0.88, 0.70) + Material("SkyBlue", 0.55, 0.72, 0.95);
  out += " }\n}\n";
  return out;
}
