#include "framework/backends/MessageText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using framework::backends::MessageColumns;
using framework::backends::WrapMessageText;

// Every line of Text, each at most Columns characters (UTF-8 sequences counted once).
void ExpectLinesFit(const std::string& Text, int Columns) {
  std::istringstream lines(Text);
  for (std::string line; std::getline(lines, line);) {
    int characters = 0;
    for (const char c : line) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    EXPECT_LE(characters, Columns) << '"' << line << '"';
  }
}

// The text without its spaces and line breaks: what wrapping must neither lose nor reorder.
std::string Letters(const std::string& Text) {
  std::string letters;
  for (const char c : Text)
    if (c != ' ' && c != '\n') letters += c;
  return letters;
}

TEST(MessageTextTest, ShortTextsAndTheirLineBreaksStayAsTheyAre) {
  EXPECT_EQ(WrapMessageText("FullScreen?", 40), "FullScreen?");
  EXPECT_EQ(WrapMessageText("D3DDevice Initialize was Failed.\nI'm going to try Others.", 40),
            "D3DDevice Initialize was Failed.\nI'm going to try Others.");
  EXPECT_EQ(WrapMessageText("", 40), "");
}

TEST(MessageTextTest, LongTextsBreakAtSpacesAndLongPathsAfterASlash) {
  const std::string message =
      "/home/someone/projects/korvel/build/assets/wisp2.kor: byte 4: texture name 0: cannot "
      "load bitmap \"/home/someone/projects/korvel/build/assets/wisp_body.bmp\"\n\nThe demo "
      "reads meta.bmp, wisp2.kor and the model's bitmaps from the folder it runs in.";
  for (int columns : {20, 40, 72}) {
    const std::string wrapped = WrapMessageText(message, columns);
    ExpectLinesFit(wrapped, columns);
    // Nothing is lost or reordered.
    EXPECT_EQ(Letters(wrapped), Letters(message)) << wrapped;
    EXPECT_NE(wrapped.find("\n\n"), std::string::npos) << "the paragraph break is kept";
  }
  const std::string path = WrapMessageText("/aaaa/bbbb/cccc/dddd", 11);
  EXPECT_EQ(path, "/aaaa/bbbb/\ncccc/dddd");
  EXPECT_EQ(WrapMessageText("abcdefghij", 4), "abcd\nefgh\nij") << "no slash: cut at the end";
  EXPECT_EQ(WrapMessageText("終了 終了 終了", 5), "終了 終了\n終了") << "characters, not bytes";
}

TEST(MessageTextTest, ALineHoldsWhatFitsOnTheDesktop) {
  EXPECT_EQ(MessageColumns(1024), 72);
  EXPECT_LT(MessageColumns(640) * 8 + 120, 640 + 8);
  EXPECT_EQ(MessageColumns(100), 20) << "never fewer than a few words";
}

}  // namespace
