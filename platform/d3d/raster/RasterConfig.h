#pragma once
// Every tunable of the software rasteriser, in one place.

#include <cstdint>

namespace platform::raster {

// Vertex positions are snapped to 1/16 pixel before the edge functions are formed. Four bits
// keep slivers stable and, with the coordinate bound below, every edge product fits in 64 bits.
inline constexpr int kSubpixelBits = 4;
inline constexpr std::int64_t kSubpixelScale = std::int64_t{1} << kSubpixelBits;

// Batches drawn with D3DDP_DONOTCLIP are only clipped when a vertex lies further than this many
// pixels outside the viewport; within it the scissor alone keeps pixels on the target. The band
// bounds fixed-point coordinates to about 2^15 pixels, far inside the 64-bit edge range.
inline constexpr float kGuardBandPixels = 8192.0f;

// Largest coordinate magnitude triangle set-up accepts, in pixels; the guard band keeps drawn
// triangles far inside it. At 2^20 pixels with 4 sub-pixel bits, edge products stay below 2^52.
inline constexpr float kMaxSetupCoordinate = 1.0e6f;

// Largest target, depth buffer or texture side accepted; larger views are refused as invalid.
inline constexpr std::int32_t kMaxSurfaceSide = 16384;

// A polygon clipped against four rectangle sides gains at most one vertex per side.
inline constexpr int kMaxClippedVertices = 3 + 4;

// Texture coordinates are shifted by whole repeats per triangle so that sampling works on small
// positive numbers; texel positions beyond this bound are clamped rather than converted.
inline constexpr float kMaxTexelCoordinate = 1.0e9f;

// Draw calls whose states the specialised fast span covers use it (the general span stays the
// fallback for every other state); off, every pixel goes through the general span.
inline constexpr bool kFastSpans = true;

// Multi-threaded drawing. The screen is cut into horizontal bands of kBandRows rows dealt out to
// sets of bands in turn (band b to set b % sets), each set drawn whole by one thread, which
// shades its bands of every triangle in submission order, so a pixel sees its triangles in the
// same order whatever the thread count.
inline constexpr std::int32_t kBandRows = 32;

// With several threads the bands are dealt out to kBandSetsPerThread times as many sets as
// threads, and each set is drawn whole by whichever thread is free. More sets than threads
// should even out uneven sets and hold up less when a thread loses its core, but on the demo's
// captured frames 2 sets a thread measured no better than 1 (quiet or with a busy core), and
// each set walks every triangle of a call once more.
inline constexpr int kBandSetsPerThread = 1;

// A draw call's triangles are culled, clipped and set up by the workers in chunks of this many
// (each by the first worker to claim it), then shaded chunk by chunk in order.
inline constexpr std::uint32_t kSetupChunkTriangles = 64;

// Draw calls with fewer triangles are drawn by the calling thread alone (waking the workers
// would cost more than it saves) unless their bounding box covers kMinParallelPixels.
inline constexpr std::uint32_t kMinParallelTriangles = 16;
inline constexpr float kMinParallelPixels = 16384.0f;

// Clears of fewer pixels are done by the calling thread alone.
inline constexpr std::int64_t kMinParallelClearPixels = 32 * 1024;

// Most workers a rasteriser runs. Devices draw with one thread per core, up to
// kDefaultRasterThreadCap, where kThreadsByDefault (else with one), unless KOR_RASTER_THREADS
// says otherwise.
inline constexpr int kMaxRasterThreads = 64;
inline constexpr int kDefaultRasterThreadCap = 4;
inline constexpr bool kThreadsByDefault = true;

// How often an idle worker checks for a new job (a pause instruction each, 10 to 40 nanoseconds;
// 12 on this project's 2-core machine, so about 150 microseconds in all) before it sleeps until
// woken. Replaying the demo frame back to back with two threads measured 253-304 microseconds
// with 4,000 (50 microseconds here) and 201-233 with 12,000 (one thread: 293-300). Waking a
// sleeping worker takes tens of microseconds and, when the other core is busy, can take until
// the caller's own thread blocks; a clear that finds the workers asleep therefore wakes them
// ahead of the frame's draws (Rasterizer::Clear).
inline constexpr int kWorkerSpins = 12000;

// How often a worker woken ahead of work checks for the job before it sleeps again: long enough
// to outlast a frame's clear and the set-up before its first draw (about 250 microseconds here).
inline constexpr int kWokenWorkerSpins = 20000;

// Ordered dither into 16-bit targets uses a kDitherSize x kDitherSize Bayer matrix.
inline constexpr int kDitherSize = 4;

}  // namespace platform::raster
