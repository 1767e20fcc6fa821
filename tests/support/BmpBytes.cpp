#include "tests/support/BmpBytes.h"

#include <fstream>

namespace testsupport {
namespace {

void Put16(std::vector<std::uint8_t>* Out, std::uint32_t Value) {
  Out->push_back(static_cast<std::uint8_t>(Value));
  Out->push_back(static_cast<std::uint8_t>(Value >> 8));
}

void Put32(std::vector<std::uint8_t>* Out, std::uint32_t Value) {
  Put16(Out, Value & 0xFFFF);
  Put16(Out, Value >> 16);
}

}  // namespace

std::vector<std::uint8_t> BmpBytes(const BmpHeader& Header, const std::vector<std::uint8_t>& Data) {
  std::uint32_t colours = Header.PaletteColours;
  if (colours == 0 && Header.BitCount <= 8) colours = 1u << Header.BitCount;
  const std::uint32_t offset = 14 + 40 + 4 * colours;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(&out, offset + static_cast<std::uint32_t>(Data.size()));
  Put32(&out, 0);
  Put32(&out, offset);
  Put32(&out, 40);
  Put32(&out, static_cast<std::uint32_t>(Header.Width));
  Put32(&out, static_cast<std::uint32_t>(Header.Height));
  Put16(&out, 1);
  Put16(&out, Header.BitCount);
  Put32(&out, Header.Compression);
  Put32(&out, static_cast<std::uint32_t>(Data.size()));
  Put32(&out, 2835);
  Put32(&out, 2835);
  Put32(&out, Header.PaletteColours);
  Put32(&out, 0);
  for (std::uint32_t i = 0; i < colours; ++i) {
    const auto grey = static_cast<std::uint8_t>(i * 255 / (colours > 1 ? colours - 1 : 1));
    out.insert(out.end(), {grey, grey, grey, 0});
  }
  out.insert(out.end(), Data.begin(), Data.end());
  return out;
}

}  // namespace testsupport
