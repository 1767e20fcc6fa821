// The sample mesh of the retained-mode view, assets/sample.x: a low-poly torus in the text
// DirectX file format, generated here so that the file can be made again byte for byte.
//
// The torus lies around the z axis (ring radius 1.5, tube radius 0.6), 16 segments round the
// ring and 8 round the tube, each a four-sided face running clockwise seen from outside (the
// front side in DirectX). It has a normal and a texture coordinate pair per vertex (u round the
// ring, v round the tube; the seams repeat their vertices so that both run from 0 to 1) and two
// materials, ivory and sky blue, alternating by ring segment.
#pragma once

#include <string>

// The text of assets/sample.x.
std::string SampleMeshText();
