// Which pixels a triangle covers: the fill rule, watertight meshes, huge and clipped triangles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/platform/raster/RasterTestKit.h"

namespace platform::raster::testing {
namespace {

// Draws with additive counting into a 32-bit target and reads back the counts.
class CoverageTest : public ::testing::Test {
 protected:
  CoverageTest() : surface_(64, 64) {
    raster_.SetRenderTarget(TargetOf(surface_));
    SetUpWriteCounting(raster_);
  }

  int Count(int x, int y) const { return static_cast<int>(surface_.At(x, y) & 0xFFu); }
  int Total() const {
    int total = 0;
    for (int y = 0; y < surface_.Height(); ++y) {
      for (int x = 0; x < surface_.Width(); ++x) total += Count(x, y);
    }
    return total;
  }
  int MaxCount() const {
    int most = 0;
    for (int y = 0; y < surface_.Height(); ++y) {
      for (int x = 0; x < surface_.Width(); ++x) most = std::max(most, Count(x, y));
    }
    return most;
  }

  Surface32 surface_;
  Rasterizer raster_;
};

TEST_F(CoverageTest, SharedDiagonalSquareSplitsFifteenAndTen) {
  ASSERT_EQ(DrawList(raster_, {Vertex(0, 0, kCountColor), Vertex(5, 0, kCountColor),
                               Vertex(5, 5, kCountColor)}),
            DrawResult::Ok);
  EXPECT_EQ(Total(), 15);
  ASSERT_EQ(DrawList(raster_, {Vertex(0, 5, kCountColor), Vertex(0, 0, kCountColor),
                               Vertex(5, 5, kCountColor)}),
            DrawResult::Ok);
  EXPECT_EQ(Total(), 25);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      EXPECT_EQ(Count(x, y), (x < 5 && y < 5) ? 1 : 0) << "pixel " << x << ", " << y;
    }
  }
}

TEST_F(CoverageTest, TopAndLeftEdgesAreInsideRightAndBottomOutside) {
  // A 4 x 3 rectangle with corners on pixel centres, drawn as two triangles of either winding.
  DrawList(raster_,
           {Vertex(2, 1, kCountColor), Vertex(6, 1, kCountColor), Vertex(2, 4, kCountColor),
            Vertex(6, 1, kCountColor), Vertex(2, 4, kCountColor), Vertex(6, 4, kCountColor)});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(Count(x, y), (x >= 2 && x < 6 && y >= 1 && y < 4) ? 1 : 0)
          << "pixel " << x << ", " << y;
    }
  }
}

// A deterministic generator so the mesh is the same on every run.
struct Lcg {
  std::uint32_t state = 12345u;
  float Next() {  // in [0, 1)
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 16777216.0f;
  }
};

// A grid mesh with jittered inner vertices (at most a fifth of a cell, so every quad stays
// convex and either diagonal splits it cleanly), alternating diagonals and mixed windings.
std::vector<D3DTLVERTEX> JitteredGrid(float left, float top, float cell, int columns, int rows) {
  Lcg random;
  std::vector<std::vector<D3DTLVERTEX>> points(rows + 1, std::vector<D3DTLVERTEX>(columns + 1));
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      float x = left + i * cell;
      float y = top + j * cell;
      if (i > 0 && i < columns) x += (random.Next() - 0.5f) * 0.4f * cell;
      if (j > 0 && j < rows) y += (random.Next() - 0.5f) * 0.4f * cell;
      points[j][i] = Vertex(x, y, kCountColor);
    }
  }
  std::vector<D3DTLVERTEX> list;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const D3DTLVERTEX a = points[j][i], b = points[j][i + 1];
      const D3DTLVERTEX c = points[j + 1][i + 1], d = points[j + 1][i];
      const bool flip = (i + j) % 2 == 0;
      const bool reverse = (i * 7 + j * 3) % 5 == 0;
      const D3DTLVERTEX t[6] = {a, b, flip ? c : d, flip ? a : b, c, d};
      for (int k = 0; k < 6; k += 3) {
        list.push_back(t[k]);
        list.push_back(reverse ? t[k + 2] : t[k + 1]);
        list.push_back(reverse ? t[k + 1] : t[k + 2]);
      }
    }
  }
  return list;
}

TEST_F(CoverageTest, JitteredMeshWritesEveryCoveredPixelExactlyOnce) {
  // Outer border from 3.3 to 60.3: no pixel centre lies on it.
  ASSERT_EQ(DrawList(raster_, JitteredGrid(3.3f, 3.3f, 5.7f, 10, 10)), DrawResult::Ok);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 4 && x <= 60 && y >= 4 && y <= 60;
      ASSERT_EQ(Count(x, y), inside ? 1 : 0) << "pixel " << x << ", " << y;
    }
  }
}

TEST_F(CoverageTest, FanOfSliversHasNoGapsOrOverlaps) {
  const float cx = 32.37f, cy = 31.81f;
  std::vector<D3DTLVERTEX> fan;
  const int kSlices = 97;
  for (int i = 0; i < kSlices; ++i) {
    const double a0 = 2.0 * 3.14159265358979 * i / kSlices;
    const double a1 = 2.0 * 3.14159265358979 * (i + 1) / kSlices;
    fan.push_back(Vertex(cx, cy, kCountColor));
    fan.push_back(
        Vertex(cx + 28.0f * float(std::cos(a0)), cy + 28.0f * float(std::sin(a0)), kCountColor));
    fan.push_back(
        Vertex(cx + 28.0f * float(std::cos(a1)), cy + 28.0f * float(std::sin(a1)), kCountColor));
  }
  DrawList(raster_, fan);
  EXPECT_EQ(MaxCount(), 1);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const double distance = std::hypot(x - cx, y - cy);
      if (distance < 27.0 || distance > 28.5) {
        EXPECT_EQ(Count(x, y), distance < 27.0 ? 1 : 0) << x << ", " << y;
      }
    }
  }
}

TEST_F(CoverageTest, MeshCrossingTheTargetEdgesStaysWatertightWhenClipped) {
  for (const std::uint32_t flags : {0u, D3DDP_DONOTCLIP}) {
    surface_.Fill(0);
    // Reaches 30 pixels past every side, so the clipper cuts the border triangles.
    DrawList(raster_, JitteredGrid(-30.2f, -30.2f, 12.4f, 10, 10), flags);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x)
        ASSERT_EQ(Count(x, y), 1) << x << ", " << y << " flags " << flags;
    }
    EXPECT_TRUE(surface_.BorderUntouched());
  }
  EXPECT_GT(raster_.Stats().clipped, 0u);
}

TEST_F(CoverageTest, HugeTriangleDrawsWithoutOverflow) {
  for (const std::uint32_t flags : {0u, D3DDP_DONOTCLIP}) {
    for (const float reach : {1.0e4f, 1.0e8f, 1.0e30f}) {
      surface_.Fill(0);
      DrawList(raster_,
               {Vertex(-reach, -reach, kCountColor), Vertex(3 * reach, -reach, kCountColor),
                Vertex(-reach, 3 * reach, kCountColor)},
               flags);
      EXPECT_EQ(Total(), 64 * 64) << "reach " << reach << " flags " << flags;
      EXPECT_EQ(MaxCount(), 1);
      EXPECT_TRUE(surface_.BorderUntouched());
    }
  }
}

TEST_F(CoverageTest, HugeTriangleEdgeCutsTheSamePixelsAsASmallOne) {
  // The same diagonal edge y = x + 0.3 from triangles of very different size.
  auto draw = [&](float k) {
    surface_.Fill(0);
    DrawList(raster_, {Vertex(-k, -k + 0.3f, kCountColor), Vertex(k, -k, kCountColor),
                       Vertex(k, k + 0.3f, kCountColor)});
    std::vector<int> counts;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) counts.push_back(Count(x, y));
    }
    return counts;
  };
  const std::vector<int> small = draw(100.0f);
  const std::vector<int> huge = draw(1.0e7f);
  EXPECT_EQ(small, huge);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x)
      EXPECT_EQ(small[y * 64 + x], y < x + 0.3f ? 1 : 0) << x << ", " << y;
  }
}

TEST_F(CoverageTest, NonFiniteVerticesDrawNothing) {
  const float nan = std::nanf("");
  const float inf = INFINITY;
  DrawList(raster_,
           {Vertex(nan, 0, kCountColor), Vertex(30, 0, kCountColor), Vertex(0, 30, kCountColor),
            Vertex(inf, 0, kCountColor), Vertex(30, 30, kCountColor), Vertex(0, 30, kCountColor)});
  EXPECT_EQ(Total(), 0);
  EXPECT_EQ(raster_.Stats().rejected, 2u);
}

TEST_F(CoverageTest, RandomTrianglesNeverWriteOutsideTargetOrViewport) {
  raster_.SetViewport({10, 12, 50, 40});
  Lcg random;
  for (const std::uint32_t flags : {0u, D3DDP_DONOTCLIP}) {
    std::vector<D3DTLVERTEX> list;
    for (int i = 0; i < 300; ++i) {
      list.push_back(Vertex(random.Next() * 500 - 220, random.Next() * 500 - 220, kCountColor));
    }
    DrawList(raster_, list, flags);
  }
  EXPECT_GT(Total(), 0);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (x < 10 || x >= 50 || y < 12 || y >= 40) {
        ASSERT_EQ(Count(x, y), 0) << x << ", " << y;
      }
    }
  }
  EXPECT_TRUE(surface_.BorderUntouched());
}

TEST(CoverageDepthTest, SmallerDepthBufferLimitsDrawingToItsArea) {
  Surface16 target(64, 64);
  Surface16 depth(32, 20);
  Rasterizer raster;
  raster.SetRenderTarget(TargetOf(target));
  raster.SetDepthBuffer({depth.Origin(), depth.Pitch(), 32, 20, DepthFormat::Depth16});
  raster.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
  raster.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  depth.Fill(0xFFFF);
  DrawList(raster, {Vertex(-10, -10), Vertex(200, -10), Vertex(-10, 200)}, D3DDP_DONOTCLIP);
  EXPECT_TRUE(depth.BorderUntouched());
  EXPECT_TRUE(target.BorderUntouched());
  EXPECT_EQ(target.At(31, 19), 0xFFFF);
  EXPECT_EQ(target.At(32, 19), 0);
  EXPECT_EQ(target.At(31, 20), 0);
}

}  // namespace
}  // namespace platform::raster::testing
