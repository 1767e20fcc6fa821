#pragma once
// Drawing with several workers: the screen's rows in bands dealt out to the workers, and the
// chunks of set-up triangles they share.
//
// A draw call's triangles are set up in chunks, each by whichever worker claims it first, into
// the chunk's own storage; a chunk, once set up, is published with a stamp. Then every worker
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

// Band b (rows [b * kBandRows, (b + 1) * kBandRows)) belongs to worker b % workers (a worker
// here is a set of bands, drawn whole by one thread).
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

// The rows a set-up triangle covers, kept apart from its set-up so that a worker can pass over
// the triangles outside its bands reading eight of these to a cache line (the set-up was
// written by another core, and each of its lines read costs a transfer).
struct RowSpan {
  std::int32_t first = 0;
  std::int32_t last = -1;
};

// One chunk of a draw call's triangles, set up. The worker that claims the chunk fills it and
// publishes it by storing the draw call's stamp in ready; other workers read it only after
// seeing that stamp. Its storage is kept from one draw call to the next and grows (by doubling)
// only when a chunk makes more set-up triangles than it ever did (clipping makes a fan of a
// triangle), so the same frame drawn again allocates nothing.
struct SetupChunk {
  std::unique_ptr<SetUpTriangle[]> slots;
  std::unique_ptr<RowSpan[]> rows;  // slots[i]'s rows
  std::uint32_t capacity = 0;
  std::uint32_t count = 0;
  std::atomic<std::uint32_t> ready{0};

  // The slot after the kept ones, made room for; Keep() then keeps it.
  SetUpTriangle& Next() {
    if (count == capacity) Grow();
    return slots[count];
  }
  void Keep() {
    rows[count] = {slots[count].setup.first_row, slots[count].setup.last_row};
    ++count;
  }

 private:
  void Grow();
};

}  // namespace platform::raster
