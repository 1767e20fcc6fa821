// The demo's figure as a ".kor" record: object 0 is the body, a surface of revolution standing
// along +z from z = 0.05 to 8.45 (inside the joints' reach 0 < z < 8.5, so every body vertex
// follows the bend); object 1, a child of object 0, is a rigid pedestal under its feet.
//
// Faces are triangle fans with Flag 6. They are wound so that, for each fan triangle
// (p0, p1, p2), (p1 - p0) x (p2 - p0) points into the body: the renderer projects without
// flipping any axis and with screen y pointing down, so a face turned to the camera then runs
// clockwise on screen and survives counter-clockwise culling. Normals point outward.
#pragma once

#include "model/KorWriter.h"

inline constexpr const char* WispBodyTextureName = "wisp_body.bmp";
inline constexpr const char* WispPedestalTextureName = "wisp_base.bmp";

inline constexpr int WispRings = 48;     // rings between the two poles
inline constexpr int WispSegments = 24;  // faces around the body
inline constexpr double WispBottom = 0.05;
inline constexpr double WispTop = 8.45;
// The profile: a waist radius plus two bell-shaped swellings, the belly and the head.
inline constexpr double WispWaistRadius = 0.35;
inline constexpr double WispBellyRadius = 2.2, WispBellyHeight = 1.8, WispBellyWidth = 1.1;
inline constexpr double WispHeadRadius = 1.5, WispHeadHeight = 6.7, WispHeadWidth = 0.9;

inline constexpr int PedestalSegments = 32;
inline constexpr double PedestalRadius = 2.8;
inline constexpr double PedestalHeight = 0.4;
inline constexpr double PedestalDrop = 0.5;  // its Base moves it this far below the body

// The body's distance from the axis at height fraction t (0 at the bottom pole, 1 at the top).
double WispProfileRadius(double t);

TKorFileRecord MakeWispFigure();
