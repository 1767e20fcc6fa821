#include "tools/makeassets/BmpWriter.h"

#include <stdexcept>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBmp8(const TIndexedPicture& Picture, const TPalette256& Palette) {
  if (Picture.Width <= 0 || Picture.Height <= 0 ||
      Picture.Pixels.size() != static_cast<size_t>(Picture.Width) * Picture.Height) {
    throw std::invalid_argument("EncodeBmp8: pixel count does not match the size");
  }
  const auto width = static_cast<uint32_t>(Picture.Width);
  const auto height = static_cast<uint32_t>(Picture.Height);
  const uint32_t stride = (width + 3) & ~3u;
  const uint32_t imageBytes = stride * height;
  std::vector<uint8_t> out;
  out.reserve(BmpHeaderBytes + imageBytes);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  Put32(out, BmpHeaderBytes + imageBytes);  // bfSize
  Put32(out, 0);                            // bfReserved1, bfReserved2
  Put32(out, BmpHeaderBytes);               // bfOffBits
  // BITMAPINFOHEADER
  Put32(out, 40);          // biSize
  Put32(out, width);       // biWidth
  Put32(out, height);      // biHeight, positive: rows bottom-up
  Put16(out, 1);           // biPlanes
  Put16(out, 8);           // biBitCount
  Put32(out, 0);           // biCompression = BI_RGB
  Put32(out, imageBytes);  // biSizeImage
  Put32(out, 2835);        // biXPelsPerMeter (72 dpi)
  Put32(out, 2835);        // biYPelsPerMeter
  Put32(out, 256);         // biClrUsed
  Put32(out, 0);           // biClrImportant: all
  for (uint32_t colour : Palette) {
    out.push_back(static_cast<uint8_t>(colour));        // blue
    out.push_back(static_cast<uint8_t>(colour >> 8));   // green
    out.push_back(static_cast<uint8_t>(colour >> 16));  // red
    out.push_back(0);
  }
  for (uint32_t row = height; row-- > 0;) {
    const uint8_t* pixels = Picture.Pixels.data() + static_cast<size_t>(row) * width;
    out.insert(out.end(), pixels, pixels + width);
    out.insert(out.end(), stride - width, 0);
  }
  return out;
}
