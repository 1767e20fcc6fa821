// libFuzzer target for the bitmap decoder. Every input must either decode into a picture
// within the stated limits whose pixels and palette agree with its size and depth, or be
// refused with a message naming the file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/image/BitmapDecoder.h"

namespace {

using namespace platform::image;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  DecodedBitmap decoded;
  std::string error;
  if (!DecodeBitmap(std::span<const uint8_t>(Data, Size), "fuzz.bmp", &decoded, &error)) {
    Require(error.starts_with("\"fuzz.bmp\": ") && decoded.Pixels.empty());
    return 0;
  }
  Require(decoded.Width > 0 && decoded.Width <= MaxBitmapSide);
  Require(decoded.Height > 0 && decoded.Height <= MaxBitmapSide);
  Require(int64_t{decoded.Width} * decoded.Height <= MaxBitmapPixels);
  Require(decoded.BitCount == 8 || decoded.BitCount == 32);
  Require(decoded.Pixels.size() == size_t(decoded.RowBytes()) * size_t(decoded.Height));
  Require(decoded.BitCount == 8 ? decoded.Palette.size() <= 256 : decoded.Palette.empty());
  // Every byte is read, so the sanitizers see any pixel left uninitialised or out of bounds.
  unsigned sum = 0;
  for (uint8_t byte : decoded.Pixels) sum += byte;
  if (decoded.BitCount == 32)
    for (size_t i = 3; i < decoded.Pixels.size(); i += 4) Require(decoded.Pixels[i] == 0);
  return static_cast<int>(sum & 0);
}
