#pragma once
// The checks every view handed to the rasteriser passes before it is drawn into or read from:
// memory present, each side within 1..kMaxSurfaceSide, a pitch that holds a whole row.
// Each throws std::invalid_argument naming the view and the fault.

#include "platform/d3d/raster/DepthBuffer.h"
#include "platform/d3d/raster/Sampler.h"
#include "platform/d3d/raster/Targets.h"

namespace platform::raster {

void ValidateTarget(const RenderTargetView& target);
void ValidateDepthBuffer(const DepthBufferView& depth);
// A palettised texture must also come with its palette.
void ValidateTexture(const TextureView& texture);

}  // namespace platform::raster
