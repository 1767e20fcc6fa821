#include "tools/korreplay/PixelCompare.h"

#include <algorithm>
#include <cstdlib>

#include "platform/display/Rgb565.h"
#include "tools/snapshot/SurfaceImage.h"

namespace framecapture {

std::size_t CountDiffering(const std::vector<std::uint16_t>& A,
                           const std::vector<std::uint16_t>& B) {
  if (A.size() != B.size()) return std::max(A.size(), B.size());
  const auto far = [](int a, int b) { return std::abs(a - b) > 1; };
  std::size_t count = 0;
  for (std::size_t i = 0; i < A.size(); ++i) {
    const int a = A[i], b = B[i];
    if (far(a >> 11, b >> 11) || far((a >> 5) & 63, (b >> 5) & 63) || far(a & 31, b & 31)) ++count;
  }
  return count;
}

bool WritePng565(const std::string& Path, const std::vector<std::uint16_t>& Pixels, int Width,
                 int Height) {
  std::vector<std::uint8_t> rgba(Pixels.size() * 4);
  for (std::size_t i = 0; i < Pixels.size(); ++i) {
    rgba[i * 4 + 0] = static_cast<std::uint8_t>(platform::Red565(Pixels[i]));
    rgba[i * 4 + 1] = static_cast<std::uint8_t>(platform::Green565(Pixels[i]));
    rgba[i * 4 + 2] = static_cast<std::uint8_t>(platform::Blue565(Pixels[i]));
    rgba[i * 4 + 3] = 255;
  }
  return WriteRgbaPng(Path, rgba, Width, Height);
}

}  // namespace framecapture
