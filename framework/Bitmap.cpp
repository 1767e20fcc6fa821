#include "framework/Bitmap.h"

#include <algorithm>
#include <utility>

#include "framework/Exceptions.h"
#include "framework/FileStream.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiPalette.h"
#include "platform/image/BitmapDecoder.h"

namespace {

std::vector<std::uint8_t> ReadWholeFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
  stream.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

// Copies the decoded rows into Pixels with each row padded to four bytes, as a device-
// independent bitmap's rows are; returns the pitch.
int PadRows(const platform::image::DecodedBitmap& Decoded, std::vector<std::uint8_t>* Pixels) {
  const int rowBytes = Decoded.RowBytes();
  const int pitch = (rowBytes + 3) & ~3;
  Pixels->assign(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(Decoded.Height), 0);
  for (int y = 0; y < Decoded.Height; ++y)
    std::copy_n(Decoded.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * rowBytes, rowBytes,
                Pixels->begin() + static_cast<std::ptrdiff_t>(y) * pitch);
  return pitch;
}

}  // namespace

TBitmap::~TBitmap() {
  Release();
}

void TBitmap::Release() {
  if (context_) DeleteDC(context_);
  if (palette_) DeleteObject(palette_);
  context_ = nullptr;
  palette_ = nullptr;
  canvas_.SetHandle(nullptr);
}

void TBitmap::LoadFromFile(const std::string& FileName) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(FileName);
  platform::image::DecodedBitmap decoded;
  std::string fault;
  if (!platform::image::DecodeBitmap(bytes, FileName, &decoded, &fault))
    throw EInvalidGraphic("Bitmap image is not valid: " + fault);

  Release();
  width_ = decoded.Width;
  height_ = decoded.Height;
  bitCount_ = decoded.BitCount;
  pitch_ = PadRows(decoded, &pixels_);
  paletteEntries_ = std::move(decoded.Palette);
  ++changeCount_;

  platform::PixelView view{pixels_.data(), pitch_, width_, height_, static_cast<DWORD>(bitCount_)};
  // The context copies the 256 entries (those the file lacks stay black).
  LOGPALETTE logical;
  const PALETTEENTRY* contextPalette = nullptr;
  if (bitCount_ == 8) {
    logical.palNumEntries = static_cast<WORD>(paletteEntries_.size());
    std::copy(paletteEntries_.begin(), paletteEntries_.end(), logical.palPalEntry);
    palette_ = CreatePalette(&logical);
    contextPalette = logical.palPalEntry;
  } else {
    view.redMask = 0x00FF0000;
    view.greenMask = 0x0000FF00;
    view.blueMask = 0x000000FF;
  }
  if (!Empty()) context_ = platform::CreatePixelDC(view, contextPalette);
  canvas_.SetHandle(context_);
}

TPixelFormat TBitmap::PixelFormat() const {
  if (Empty()) return pfDevice;
  return bitCount_ == 8 ? pf8bit : pf32bit;
}

const std::uint8_t* TBitmap::ScanLine(int Row) const {
  if (Row < 0 || Row >= height_)
    throw EInvalidGraphic("Scan line index out of range (" + std::to_string(Row) + ")");
  return pixels_.data() + static_cast<std::ptrdiff_t>(Row) * pitch_;
}
