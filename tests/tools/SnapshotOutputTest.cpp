#include "tools/snapshot/OutputPath.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(SnapshotFrames, OnlyWholeNumbersInRangeAreFrameCounts) {
  EXPECT_EQ(ParseFrameCount("1"), 1);
  EXPECT_EQ(ParseFrameCount("51"), 51);
  EXPECT_EQ(ParseFrameCount("0020"), 20);
  EXPECT_EQ(ParseFrameCount(std::to_string(kMaxFrames)), kMaxFrames);
  for (const char* bad : {"", "abc", "0", "-3", "+3", " 4", "4 ", "12x", "1e3", "2.5", "1000001",
                          "99999999999999999999"})
    EXPECT_FALSE(ParseFrameCount(bad)) << '"' << bad << '"';
}

TEST(SnapshotOutput, TheFirstFrameNumberPlaceholderIsReplacedAndAllElseIsLiteral) {
  EXPECT_EQ(TOutputPath("/tmp/frame-%02d.png").ForFrame(7), "/tmp/frame-07.png");
  EXPECT_EQ(TOutputPath("/tmp/frame-%02d.png").ForFrame(123), "/tmp/frame-123.png");
  EXPECT_EQ(TOutputPath("f%d.png").ForFrame(51), "f51.png");
  EXPECT_EQ(TOutputPath("f%05d.png").ForFrame(3), "f00003.png");
  EXPECT_EQ(TOutputPath("d-%d-%d.png").ForFrame(1), "d-1-%d.png");
  EXPECT_TRUE(TOutputPath("a%d").PerFrame());

  // What a printf format would have read as conversions is kept as written.
  for (const char* literal : {"/tmp/frame.png", "e-100%.png", "%s.png", "%n%n%n.png", "%x.png",
                              "%10d.png", "%0d.png", "%.png", "50%%.png", "%"}) {
    const TOutputPath path(literal);
    EXPECT_FALSE(path.PerFrame()) << literal;
    EXPECT_EQ(path.ForFrame(20), literal);
  }
  EXPECT_EQ(TOutputPath("%s-%d.png").ForFrame(4), "%s-4.png");
}

// Random paths of '%', digits, 'd', 's' and 'n': the result is always the pattern with at most
// its first placeholder replaced by the number.
TEST(SnapshotOutput, RandomPathsChangeOnlyAtThePlaceholder) {
  std::mt19937 random(14);
  const std::string alphabet = "%%%d0123s.n-";
  for (int round = 0; round < 20000; ++round) {
    std::string pattern;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) pattern += alphabet[random() % alphabet.size()];
    const TOutputPath path(pattern);
    const std::string out = path.ForFrame(9);
    if (!path.PerFrame()) {
      ASSERT_EQ(out, pattern);
      continue;
    }
    // The first difference is at a '%'; from there the placeholder became digits and the rest
    // of the pattern follows unchanged.
    std::size_t same = 0;
    while (same < out.size() && same < pattern.size() && out[same] == pattern[same]) ++same;
    ASSERT_LT(same, pattern.size()) << pattern << " -> " << out;
    ASSERT_EQ(pattern[same], '%') << pattern << " -> " << out;
    const std::size_t rest = pattern.find('d', same) + 1;
    const std::size_t tail = pattern.size() - rest;
    ASSERT_GT(out.size(), same + tail);
    ASSERT_EQ(out.substr(out.size() - tail), pattern.substr(rest)) << pattern << " -> " << out;
    const std::string number = out.substr(same, out.size() - tail - same);
    ASSERT_EQ(number.find_first_not_of('0'), number.size() - 1) << pattern << " -> " << out;
    ASSERT_EQ(number.back(), '9') << pattern << " -> " << out;
  }
}

}  // namespace
