#pragma once
// Drawing with several workers: the screen's rows in bands dealt out to the workers, and the
// store of set-up triangles they share.
//
// A draw call's triangles are set up in chunks, each by whichever worker claims it first, into
// that worker's own SetupStore; a chunk, once set up, is published with a stamp. Then every worker
// walks all chunks in order and shades, of each triangle, only the rows of its own bands
// (RowBands). Each pixel therefore sees its triangles in submission order, as with one thread.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d/raster/RasterConfig.h"
#include "platform/d3d/raster/TriangleSetup.h"

namespace platform::raster {

// Band b (rows [b * kBandRows, (b + 1) * kBandRows)) belongs to worker b % workers.
class RowBands {
 public:
  RowBands(int worker, int workers) : worker_(worker), workers_(workers) {}

  // Calls visit(first, last) for each run of rows in [first_row, last_row] that lies in one of
  // this worker's bands, top to bottom.
  template <typename Visit>
  void ForEach(std::int32_t first_row, std::int32_t last_row, Visit&& visit) const {
    if (first_row > last_row) return;
    const std::int32_t first_band = first_row / kBandRows;
    std::int32_t band = first_band + Distance(first_band % workers_);
    for (; band * kBandRows <= last_row; band += workers_) {
      visit(std::max(first_row, band * kBandRows),
            std::min(last_row, band * kBandRows + kBandRows - 1));
    }
  }

  // Whether row y lies in one of this worker's bands.
  bool Owns(std::int32_t y) const { return (y / kBandRows) % workers_ == worker_; }

 private:
  // Bands from one owned by worker `owner` to the next owned by this worker.
  std::int32_t Distance(int owner) const { return (worker_ - owner + workers_) % workers_; }

  int worker_;
  int workers_;
};

// A triangle ready for shading and which of the batch's span functions it takes.
struct SetUpTriangle {
  TriangleSetup setup;
  bool perspective = false;
};

// The most set-up triangles one chunk can make: each triangle clipped into a fan.
inline constexpr std::uint32_t kMaxChunkSetups =
    kSetupChunkTriangles * static_cast<std::uint32_t>(kMaxClippedVertices - 2);
static_assert(kSetupBlockTriangles >= kMaxChunkSetups, "a block must hold a whole chunk");

// One worker's set-up triangles: blocks that never move once made, so other workers may read a
// published chunk while this one goes on writing. Blocks are made as a draw call first needs
// them and kept.
class SetupStore {
 public:
  // Starts writing at the first block again (the previous draw call's triangles are done).
  void Rewind() {
    block_ = 0;
    used_ = 0;
  }
  // Room for a whole chunk, contiguous; Commit(count) then keeps the first count.
  SetUpTriangle* Reserve();
  void Commit(std::uint32_t count) { used_ += count; }

 private:
  std::vector<std::unique_ptr<SetUpTriangle[]>> blocks_;
  std::size_t block_ = 0;
  std::uint32_t used_ = 0;
};

// A chunk's set-up triangles, published by its worker: ready holds the draw call's stamp once
// begin and count are written.
struct SetupChunk {
  const SetUpTriangle* begin = nullptr;
  std::uint32_t count = 0;
  std::atomic<std::uint32_t> ready{0};
};

}  // namespace platform::raster
