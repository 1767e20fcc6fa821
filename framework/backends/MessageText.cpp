#include "framework/backends/MessageText.h"

#include <algorithm>
#include <vector>

namespace framework::backends {
namespace {

// SDL's X11 message box font is about this wide per character, and the box adds margins.
constexpr int kCharacterPixels = 8;
constexpr int kBoxMargins = 120;
constexpr int kFewestColumns = 20;
constexpr int kMostColumns = 72;

bool Continues(unsigned char Byte) {
  return (Byte & 0xC0) == 0x80;
}

// Characters (not bytes) in Text.
int Length(const std::string& Text) {
  return static_cast<int>(std::count_if(
      Text.begin(), Text.end(), [](char c) { return !Continues(static_cast<unsigned char>(c)); }));
}

// The byte offset after the first Count characters of Text.
std::size_t Prefix(const std::string& Text, int Count) {
  std::size_t at = 0;
  for (int seen = 0; at < Text.size(); ++at) {
    if (!Continues(static_cast<unsigned char>(Text[at])) && seen++ == Count) break;
  }
  return at;
}

// Splits a word longer than Columns into pieces that fit, after the last '/' that fits.
std::vector<std::string> SplitWord(std::string Word, int Columns) {
  std::vector<std::string> pieces;
  while (Length(Word) > Columns) {
    std::size_t cut = Prefix(Word, Columns);
    const std::size_t slash = Word.rfind('/', cut - 1);
    if (slash != std::string::npos && slash > 0) cut = slash + 1;
    pieces.push_back(Word.substr(0, cut));
    Word.erase(0, cut);
  }
  pieces.push_back(Word);
  return pieces;
}

void WrapLine(const std::string& Line, int Columns, std::string& Out) {
  std::string current;
  std::size_t start = 0;
  while (start <= Line.size()) {
    std::size_t end = Line.find(' ', start);
    if (end == std::string::npos) end = Line.size();
    const std::string word = Line.substr(start, end - start);
    start = end + 1;
    if (word.empty() && end < Line.size()) continue;  // runs of spaces
    for (const std::string& piece : SplitWord(word, Columns)) {
      const int needed = Length(current) + (current.empty() ? 0 : 1) + Length(piece);
      if (!current.empty() && needed > Columns) {
        Out += current + "\n";
        current.clear();
      }
      if (!current.empty() && !piece.empty()) current += ' ';
      current += piece;
    }
  }
  Out += current;
}

}  // namespace

std::string WrapMessageText(const std::string& Text, int Columns) {
  Columns = std::max(Columns, 1);
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = Text.find('\n', start);
    WrapLine(Text.substr(start, end == std::string::npos ? std::string::npos : end - start),
             Columns, out);
    if (end == std::string::npos) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

int MessageColumns(int DesktopWidth) {
  return std::clamp((DesktopWidth - kBoxMargins) / kCharacterPixels, kFewestColumns, kMostColumns);
}

}  // namespace framework::backends
