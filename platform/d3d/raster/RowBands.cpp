#include "platform/d3d/raster/RowBands.h"

#include <algorithm>

namespace platform::raster {

void SetupChunk::Grow() {
  const std::uint32_t grown = std::max(kSetupChunkTriangles, 2 * capacity);
  auto larger = std::make_unique<SetUpTriangle[]>(grown);
  std::copy(slots.get(), slots.get() + count, larger.get());
  slots = std::move(larger);
  capacity = grown;
}

}  // namespace platform::raster
