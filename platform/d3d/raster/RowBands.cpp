#include "platform/d3d/raster/RowBands.h"

#include <algorithm>

namespace platform::raster {

void SetupChunk::Grow() {
  const std::uint32_t grown = std::max(kSetupChunkTriangles, 2 * capacity);
  auto larger = std::make_unique<SetUpTriangle[]>(grown);
  auto larger_rows = std::make_unique<RowSpan[]>(grown);
  std::copy(slots.get(), slots.get() + count, larger.get());
  std::copy(rows.get(), rows.get() + count, larger_rows.get());
  slots = std::move(larger);
  rows = std::move(larger_rows);
  capacity = grown;
}

}  // namespace platform::raster
