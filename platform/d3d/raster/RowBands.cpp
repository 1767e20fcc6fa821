#include "platform/d3d/raster/RowBands.h"

namespace platform::raster {

SetUpTriangle* SetupStore::Reserve() {
  if (!blocks_.empty() && kSetupBlockTriangles - used_ < kMaxChunkSetups) {
    ++block_;
    used_ = 0;
  }
  if (block_ >= blocks_.size()) {
    blocks_.push_back(std::make_unique<SetUpTriangle[]>(kSetupBlockTriangles));
    block_ = blocks_.size() - 1;
    used_ = 0;
  }
  return blocks_[block_].get() + used_;
}

}  // namespace platform::raster
