// The sample scene of the retained-mode view, shared by the rmscene command, its tests and its
// benchmark: assets/sample.x loaded into a frame of a view's scene (TKorvelRM::
// MakeFramefromFile), tilted towards the camera and turning a little at every Render, with an
// optional texture wrap of meta.bmp (TKorvelRM::SetWrap) and a dark blue background.
//
// The view without a window that the command, the tests and the benchmark use is THeadlessView
// (tools/snapshot/HeadlessView.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/KorvelRM.h"
#include "tools/snapshot/HeadlessView.h"

// The thirteen wrap values of SetWrap (origin, z axis, y axis, texture origin, scale).
struct TSampleWrap {
  float ox, oy, oz, dx, dy, dz, ux, uy, uz, ou, ov, su, sv;
};

// The wrap that suits the torus for WrapType 0 (flat), 1 (cylinder), 2 (sphere) or 3 (chrome):
// the texture once across the torus, round its ring, or over its sphere of directions.
TSampleWrap SampleWrap(int32_t WrapType);

// Loads Folder/sample.x into View (the frame *Frame held, if any, leaves the scene), tilts it
// and sets it turning. Throws as MakeFramefromFile does.
void LoadSampleScene(TKorvelRM& View, const std::string& Folder, TKorvelFrame** Frame);
// Wraps Folder/meta.bmp onto the frame with the wrap of SampleWrap(WrapType).
void WrapSample(TKorvelRM& View, TKorvelFrame* Frame, const std::string& Folder, int32_t WrapType);
// The background colour: SetBGColor, and the view's background material made the background
// of the viewport's immediate-mode viewport, which RMClear fills.
void SetSampleBackground(TKorvelRM& View);
// One frame: RMClear, then Render (which turns the scene one step and draws it).
void RenderSampleFrame(TKorvelRM& View);
