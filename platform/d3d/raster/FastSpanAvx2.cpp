// The fast span's kernels a third time, for AVX2: fixed-point rows are shaded eight pixels at a
// time (FastSpanEight.h), the rest as in the other copies; FastSpan.cpp picks them at run time.
// As in FastSpanAvx.cpp, only the kernels are compiled for AVX2 (every other header is included
// before the target changes), so no inline function shared with the rest of the program is
// emitted with AVX2 instructions. FMA is not enabled: it would fuse the depth arithmetic's
// multiply and add, and depth must stay exactly the general span's.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/d3d/raster/FastSpan.h"

#pragma GCC push_options
#pragma GCC target("avx2")
#define FAST_SPAN_KERNELS avx2
#define FAST_SPAN_EIGHT_LANES
#include "platform/d3d/raster/FastSpanKernels.h"
#undef FAST_SPAN_EIGHT_LANES
#undef FAST_SPAN_KERNELS
#pragma GCC pop_options
