// Texture sampling: the four formats, point sampling and the addressing modes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/d3d/raster/Sampler.h"
#include "platform/d3d/raster/Validation.h"

namespace platform::raster {
namespace {

TEST(SamplerTest, FetchesEachFormatAsArgb) {
  const D3DCOLOR palette[256] = {0x00000000u, 0x00123456u, 0x7F654321u};
  const std::uint8_t indexed[2] = {1, 2};
  const std::uint16_t rgb565[2] = {0xF800u, 0x8410u};
  const std::uint16_t argb1555[2] = {0xFC00u, 0x03E0u};
  const std::uint32_t argb8888[2] = {0x80FF8040u, 0x00000001u};
  Sampler sampler;
  sampler.Bind({indexed, 2, 2, 1, TextureFormat::Palette8, palette}, D3DTADDRESS_WRAP,
               D3DTADDRESS_WRAP);
  EXPECT_FALSE(sampler.HasAlpha());
  EXPECT_EQ(sampler.Fetch(0, 0), 0xFF123456u);
  EXPECT_EQ(sampler.Fetch(1, 0), 0xFF654321u);  // palette alpha is not texture alpha
  sampler.Bind({rgb565, 4, 2, 1, TextureFormat::Rgb565}, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  EXPECT_FALSE(sampler.HasAlpha());
  EXPECT_EQ(sampler.Fetch(0, 0), 0xFFFF0000u);
  EXPECT_EQ(sampler.Fetch(1, 0), 0xFF848284u);  // bit replication of 10000 100000 10000
  sampler.Bind({argb1555, 4, 2, 1, TextureFormat::Argb1555}, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  EXPECT_TRUE(sampler.HasAlpha());
  EXPECT_EQ(sampler.Fetch(0, 0), 0xFFFF0000u);
  EXPECT_EQ(sampler.Fetch(1, 0), 0x0000FF00u);
  sampler.Bind({argb8888, 8, 2, 1, TextureFormat::Argb8888}, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  EXPECT_EQ(sampler.Fetch(0, 0), 0x80FF8040u);
  EXPECT_EQ(sampler.Fetch(1, 0), 0x00000001u);
}

// A 4 x 2 texture whose texel (x, y) holds 10 * y + x in its blue byte.
class AddressingTest : public ::testing::Test {
 protected:
  AddressingTest() {
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) texels_[y * 4 + x] = 0xFF000000u | (10u * y + x);
    }
  }
  int At(D3DTEXTUREADDRESS mode, float u, float v) {
    sampler_.Bind({texels_, 16, 4, 2, TextureFormat::Argb8888}, mode, mode);
    return static_cast<int>(sampler_.Sample(u, v) & 0xFFu);
  }
  std::uint32_t texels_[8];
  Sampler sampler_;
};

TEST_F(AddressingTest, PointSamplingTakesTheTexelUnderTheCoordinate) {
  EXPECT_EQ(At(D3DTADDRESS_WRAP, 0.0f, 0.0f), 0);
  EXPECT_EQ(At(D3DTADDRESS_WRAP, 0.249f, 0.49f), 0);
  EXPECT_EQ(At(D3DTADDRESS_WRAP, 0.25f, 0.5f), 11);
  EXPECT_EQ(At(D3DTADDRESS_WRAP, 0.99f, 0.99f), 13);
}

TEST_F(AddressingTest, WrapRepeatsAfterAShiftToPositiveCoordinates) {
  EXPECT_EQ(At(D3DTADDRESS_WRAP, 1.25f, 2.5f), 11);
  // Negative coordinates are shifted by whole repeats per triangle before sampling.
  const float shift = Sampler::RepeatShift(-2.8f, D3DTADDRESS_WRAP);
  EXPECT_EQ(shift, std::floor(shift));
  EXPECT_EQ(At(D3DTADDRESS_WRAP, -0.25f - shift, -2.5f - shift), 13);
  EXPECT_EQ(At(D3DTADDRESS_WRAP, -2.75f - shift, 0.0f), 1);
}

TEST_F(AddressingTest, ClampAndMirror) {
  EXPECT_EQ(At(D3DTADDRESS_CLAMP, -3.0f, 7.0f), 10);
  EXPECT_EQ(At(D3DTADDRESS_CLAMP, 5.0f, -1.0f), 3);
  EXPECT_EQ(At(D3DTADDRESS_MIRROR, 1.1f, 0.2f), 3);   // second period runs backwards
  EXPECT_EQ(At(D3DTADDRESS_MIRROR, 1.9f, 1.2f), 10);  // v in the mirrored period: row 1
  EXPECT_EQ(At(D3DTADDRESS_MIRROR, 2.1f, 0.2f), 0);
  EXPECT_EQ(Sampler::RepeatShift(-3.0f, D3DTADDRESS_MIRROR), -6.0f);  // whole mirror periods
  EXPECT_EQ(Sampler::RepeatShift(-3.0f, D3DTADDRESS_CLAMP), 0.0f);
}

TEST_F(AddressingTest, NonPowerOfTwoWrapsByItsSize) {
  std::uint32_t texels[3] = {0xFF000000u, 0xFF000001u, 0xFF000002u};
  sampler_.Bind({texels, 12, 3, 1, TextureFormat::Argb8888}, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  EXPECT_EQ(sampler_.Sample(1.0f + 2.5f / 3.0f, 0.0f) & 0xFFu, 2u);
  EXPECT_EQ(sampler_.Sample(5.0f + 0.5f / 3.0f, 0.0f) & 0xFFu, 0u);
}

TEST_F(AddressingTest, UnusableCoordinatesStillSampleATexel) {
  for (const D3DTEXTUREADDRESS mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP}) {
    EXPECT_GE(At(mode, std::nanf(""), 1.0e30f), 0);
    EXPECT_GE(At(mode, -INFINITY, INFINITY), 0);
  }
  EXPECT_EQ(Sampler::RepeatShift(std::nanf(""), D3DTADDRESS_WRAP), 0.0f);
}

// The repeat shift's own floor against the library's: every float from -2^24 to 2^24 in steps
// that reach each binade's fractions, values around each whole number, and the extremes.
TEST(RepeatShiftTest, FloorEqualsTheLibrarysOnFiniteValues) {
  const auto same = [](float value) {
    const float expected = std::floor(value);
    // The sign of a zero result is all that may differ, and no shift can see it.
    return Sampler::FloorOf(value) == expected;
  };
  long checked = 0;
  for (std::uint32_t bits = 0; bits < 0x4C000000u; bits += 97) {  // |value| up to 2^25
    float value;
    std::memcpy(&value, &bits, sizeof value);
    ASSERT_TRUE(same(value)) << value;
    ASSERT_TRUE(same(-value)) << -value;
    checked += 2;
  }
  for (int whole = -70000; whole <= 70000; ++whole) {
    const float at = static_cast<float>(whole);
    for (const float value : {at, std::nextafter(at, -1.0e9f), std::nextafter(at, 1.0e9f)}) {
      ASSERT_TRUE(same(value)) << value;
    }
  }
  for (const float value :
       {3.0e38f, -3.0e38f, 8388607.5f, -8388607.5f, 16777216.0f, -0.0f, 1.0e-45f, -1.0e-45f}) {
    EXPECT_TRUE(same(value)) << value;
  }
  EXPECT_GT(checked, 20000000);
}

TEST(TextureValidationTest, RefusesTexturesThatWouldBeReadOutOfBounds) {
  std::vector<std::uint8_t> bits(64);
  EXPECT_THROW(ValidateTexture({bits.data(), 8, 8, 8, TextureFormat::Palette8, nullptr}),
               std::invalid_argument);
  EXPECT_THROW(ValidateTexture({bits.data(), 8, 8, 4, TextureFormat::Rgb565}),
               std::invalid_argument);
  EXPECT_THROW(ValidateTexture({nullptr, 16, 8, 4, TextureFormat::Rgb565}), std::invalid_argument);
  EXPECT_THROW(ValidateTexture({bits.data(), 16, 0, 4, TextureFormat::Rgb565}),
               std::invalid_argument);
  EXPECT_NO_THROW(ValidateTexture({bits.data(), 16, 8, 4, TextureFormat::Rgb565}));
}

}  // namespace
}  // namespace platform::raster
