#pragma once
// The vertex the clipper and triangle set-up work on: a screen position and the attributes that
// are interpolated linearly in screen space across a triangle.

namespace platform::raster {

enum Attribute : int {
  kAttrZ,    // screen z (D3D depth is already linear in screen space)
  kAttrRhw,  // 1 / w
  kAttrU,    // u, or u * rhw when the triangle is drawn with perspective correction
  kAttrV,    // v, or v * rhw likewise
  kAttrRed,  // diffuse, 0..255
  kAttrGreen,
  kAttrBlue,
  kAttrAlpha,
  kAttrSpecularRed,  // specular, 0..255
  kAttrSpecularGreen,
  kAttrSpecularBlue,
  kAttrFog,  // vertex fog factor as the specular alpha, 0 (all fog) .. 255 (no fog)
  kAttributeCount
};

// A set of attributes as bits (1 << attribute).
using AttributeMask = unsigned;
inline constexpr AttributeMask kAllAttributes = (1u << kAttributeCount) - 1;

struct RasterVertex {
  float x = 0.0f;
  float y = 0.0f;
  float attr[kAttributeCount] = {};
};

}  // namespace platform::raster
