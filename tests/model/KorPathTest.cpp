#include "model/KorPath.h"

#include <gtest/gtest.h>

namespace {

TEST(ModelDirectory, EndsAtTheLastBackslashOrSlash) {
  EXPECT_EQ(ModelDirectory("wisp2.kor"), "");
  EXPECT_EQ(ModelDirectory("assets/wisp2.kor"), "assets/");
  EXPECT_EQ(ModelDirectory("C:\\demo\\data\\wisp2.kor"), "C:\\demo\\data\\");
  EXPECT_EQ(ModelDirectory("a\\b/c.kor"), "a\\b/");
  EXPECT_EQ(ModelDirectory("a/b\\c.kor"), "a/b\\");
  EXPECT_EQ(ModelDirectory("/wisp2.kor"), "/");
  EXPECT_EQ(ModelDirectory("dir/"), "dir/");
  EXPECT_EQ(ModelDirectory(""), "");
}

TEST(TexturePath, ReadsTheNamesBackslashesAsSlashes) {
  EXPECT_EQ(TexturePath("", "body.bmp"), "body.bmp");
  EXPECT_EQ(TexturePath("assets/", "maps\\body.bmp"), "assets/maps/body.bmp");
  EXPECT_EQ(TexturePath("", "\\\\x\\"), "//x/");
  // The directory is the model's own path on this system and stays as given.
  EXPECT_EQ(TexturePath("odd\\dir/", "a\\b.bmp"), "odd\\dir/a/b.bmp");
}

}  // namespace
