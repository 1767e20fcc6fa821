// The fast span's kernels once more, with AVX encodings; FastSpan.cpp picks them at run time.
// Only the kernels are compiled for AVX (every other header is included before the target
// changes), so nothing shared with the rest of the program needs AVX.

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/d3d/raster/FastSpan.h"

#pragma GCC push_options
#pragma GCC target("avx")
#define FAST_SPAN_KERNELS avx
#include "platform/d3d/raster/FastSpanKernels.h"
#undef FAST_SPAN_KERNELS
#pragma GCC pop_options
