#pragma once
// Golden pictures for tests: a rendered picture is compared with a stored PNG within a small
// per-channel tolerance.
//
// References live in a "golden" folder under the test's working directory (kor_add_test runs
// each suite in its own source folder), as golden/<name>.png. Run the tests with
// KOR_UPDATE_GOLDEN=1 to write the current pictures as the new references, then look at them
// before committing. On a mismatch the rendered picture is written to the system's temporary
// folder and the failure message names it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// An RGBA picture, 8 bits per channel, rows from the top, no padding.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// 16-bit 5-6-5 pixels to RGBA, each channel expanded by bit replication (0x1F -> 0xFF),
// alpha 255. pitch is in bytes.
Picture PictureFromRgb565(const void* pixels, int width, int height, int pitch);

// 32-bit XRGB pixels (blue in the low byte) to RGBA; the unused top byte is ignored, alpha 255.
Picture PictureFromXrgb8888(const void* pixels, int width, int height, int pitch);

bool WritePng(const std::string& path, const Picture& picture);
std::optional<Picture> ReadPng(const std::string& path);

// Compares the picture with golden/<name>.png; every channel of every pixel may differ by at
// most tolerance. With KOR_UPDATE_GOLDEN=1 it writes the reference instead and succeeds.
::testing::AssertionResult MatchesGolden(const std::string& name, const Picture& picture,
                                         int tolerance);

// The same for raw RGBA pixels (width * height * 4 bytes).
::testing::AssertionResult MatchesGolden(const std::string& name, const std::uint8_t* rgba,
                                         int width, int height, int tolerance);

inline void ExpectMatchesGolden(const std::string& name, const Picture& picture, int tolerance) {
  EXPECT_TRUE(MatchesGolden(name, picture, tolerance));
}

}  // namespace testsupport
