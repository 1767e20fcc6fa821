// One frame of an object tree into the renderer's view: clear the viewport, transform the tree,
// then draw the 256 per-texture queues in texture order, each as at most two indexed triangle
// lists (polygons that may cross the near plane, clipped in software, then polygons wholly on
// screen, drawn without device clipping).
#pragma once

#include "render/Renderer.h"

// Draws Root into R's view. DepthOnly clears only the depth buffer. What did not fit the
// renderer's buffers is left out of this frame and counted in R.Losses.
void DrawScene(TKorRenderer& R, TKorObject* Root, bool DepthOnly);

// The screen matrix of R's camera: world space to camera space, x and y scaled by HalfWidth.
Matrix4 ScreenMatrix(const TKorRenderer& R);

// Splits SortList[1..n-1] (sentinels at 0 and n) by ClipState around 1 with two cursors.
// Afterwards entries 1..j need clipping and entries i..n-1 lie wholly on screen.
void PartitionQueue(TKorRenderer& R, int32_t n, int32_t& i, int32_t& j);
