#include "tools/kordump/BitmapProbe.h"

#include <array>
#include <fstream>
#include <stdexcept>

namespace {

int32_t Int32At(const std::array<uint8_t, 54>& head, size_t at) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(head[at]) | static_cast<uint32_t>(head[at + 1]) << 8 |
      static_cast<uint32_t>(head[at + 2]) << 16 | static_cast<uint32_t>(head[at + 3]) << 24);
}

}  // namespace

TBitmapFacts ReadBitmapFacts(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + Path);
  std::array<uint8_t, 54> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  if (in.gcount() != static_cast<std::streamsize>(head.size()) || head[0] != 'B' ||
      head[1] != 'M') {
    throw std::runtime_error(Path + " is not a Windows bitmap");
  }
  TBitmapFacts facts;
  facts.Width = Int32At(head, 18);
  facts.Height = Int32At(head, 22);
  facts.BitsPerPixel = head[28] | head[29] << 8;
  return facts;
}

const TKorTexdata* TBitmapProbe::MakeTextureFromFile(const std::string& Path,
                                                     const std::string& Name) {
  facts_[Name] = ReadBitmapFacts(Path);
  return TKorTextureRecorder::MakeTextureFromFile(Path, Name);
}
