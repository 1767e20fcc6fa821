#include "platform/image/BitmapDecoder.h"

#include <SDL_error.h>
#include <SDL_rwops.h>
#include <SDL_surface.h>

#include <climits>
#include <cstring>
#include <memory>

namespace platform::image {
namespace {

struct SurfaceDeleter {
  void operator()(SDL_Surface* Surface) const { SDL_FreeSurface(Surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

constexpr std::size_t FileHeaderBytes = 14;
constexpr std::uint32_t CoreHeaderBytes = 12;  // the old header with 16-bit sides
constexpr std::uint32_t InfoHeaderBytes = 40;
constexpr std::uint32_t CompressionRle8 = 1;
constexpr std::uint32_t CompressionRle4 = 2;

// What the header declares, read before any decoding.
struct Header {
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // negative for a file stored top row first
  std::uint32_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t PixelOffset = 0;
};

std::uint32_t Read16(std::span<const std::uint8_t> Bytes, std::size_t At) {
  return Bytes[At] | (std::uint32_t{Bytes[At + 1]} << 8);
}

std::uint32_t Read32(std::span<const std::uint8_t> Bytes, std::size_t At) {
  return Read16(Bytes, At) | (Read16(Bytes, At + 2) << 16);
}

// Reads the header into *Out; returns what is wrong with it, or an empty string.
std::string ReadHeader(std::span<const std::uint8_t> Bytes, Header* Out) {
  if (Bytes.size() < FileHeaderBytes + 4 || Bytes[0] != 'B' || Bytes[1] != 'M')
    return "not a BMP file (no BM header)";
  Out->PixelOffset = Read32(Bytes, 10);
  const std::uint32_t infoSize = Read32(Bytes, FileHeaderBytes);
  if (infoSize != CoreHeaderBytes && infoSize < InfoHeaderBytes)
    return "unsupported bitmap header size " + std::to_string(infoSize);
  if (Bytes.size() < FileHeaderBytes + std::min(infoSize, InfoHeaderBytes))
    return "the bitmap header is cut short";
  if (infoSize == CoreHeaderBytes) {
    Out->Width = Read16(Bytes, 18);
    Out->Height = Read16(Bytes, 20);
    Out->BitCount = Read16(Bytes, 24);
    return {};
  }
  Out->Width = static_cast<std::int32_t>(Read32(Bytes, 18));
  Out->Height = static_cast<std::int32_t>(Read32(Bytes, 22));
  Out->BitCount = Read16(Bytes, 28);
  Out->Compression = Read32(Bytes, 30);
  return {};
}

// Checks the declared size against the limits and, for an uncompressed file, against the
// bytes the file holds. RLE files are smaller than their pixels by design: the limits bound
// them, and the decoded picture is checked to be no larger than declared.
std::string CheckSize(const Header& Declared, std::size_t FileBytes) {
  const std::int64_t width = Declared.Width;
  const std::int64_t height = Declared.Height < 0 ? -Declared.Height : Declared.Height;
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width <= 0 || height <= 0) return "declares an empty picture (" + size + ")";
  if (width > MaxBitmapSide || height > MaxBitmapSide || width * height > MaxBitmapPixels)
    return "declares " + size + " pixels; the largest picture read is " +
           std::to_string(MaxBitmapSide) + " on a side and " + std::to_string(MaxBitmapPixels) +
           " pixels in all";
  switch (Declared.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return "unsupported bit count " + std::to_string(Declared.BitCount);
  }
  if (Declared.Compression == CompressionRle8 || Declared.Compression == CompressionRle4) return {};
  const std::int64_t rowBytes = (width * Declared.BitCount + 31) / 32 * 4;
  const std::int64_t needed = std::int64_t{Declared.PixelOffset} + rowBytes * height;
  if (needed > static_cast<std::int64_t>(FileBytes))
    return "declares " + size + " pixels at " + std::to_string(Declared.BitCount) +
           " bits, which need " + std::to_string(needed) + " bytes, but the file has " +
           std::to_string(FileBytes);
  return {};
}

void CopyRows(const SDL_Surface& Surface, DecodedBitmap* Result) {
  const std::size_t rowBytes = static_cast<std::size_t>(Result->RowBytes());
  Result->Pixels.resize(rowBytes * static_cast<std::size_t>(Surface.h));
  const auto* source = static_cast<const std::uint8_t*>(Surface.pixels);
  for (int y = 0; y < Surface.h; ++y)
    std::memcpy(Result->Pixels.data() + static_cast<std::size_t>(y) * rowBytes,
                source + static_cast<std::ptrdiff_t>(y) * Surface.pitch, rowBytes);
}

// Turns a decoded surface into Result: palette indices with their palette, or true colour.
std::string TakeSurface(SDL_Surface* Loaded, DecodedBitmap* Result) {
  const SDL_PixelFormat& format = *Loaded->format;
  Result->Width = Loaded->w;
  Result->Height = Loaded->h;
  if (format.palette && format.BitsPerPixel == 8) {
    Result->BitCount = 8;
    CopyRows(*Loaded, Result);
    const SDL_Palette& palette = *format.palette;
    Result->Palette.clear();
    for (int i = 0; i < palette.ncolors && i < 256; ++i)
      Result->Palette.push_back({palette.colors[i].r, palette.colors[i].g, palette.colors[i].b, 0});
    return {};
  }
  SurfacePtr converted(SDL_ConvertSurfaceFormat(Loaded, SDL_PIXELFORMAT_XRGB8888, 0));
  if (!converted) return std::string("cannot convert to true colour (") + SDL_GetError() + ")";
  Result->BitCount = 32;
  Result->Palette.clear();
  CopyRows(*converted, Result);
  // The top byte of a converted pixel is padding of no fixed value: make it 0.
  for (std::size_t i = 3; i < Result->Pixels.size(); i += 4) Result->Pixels[i] = 0;
  return {};
}

std::string Decode(std::span<const std::uint8_t> Bytes, DecodedBitmap* Result) {
  if (Bytes.size() > static_cast<std::size_t>(INT_MAX)) return "the file is too large";
  Header declared;
  std::string fault = ReadHeader(Bytes, &declared);
  if (fault.empty()) fault = CheckSize(declared, Bytes.size());
  if (!fault.empty()) return fault;
  SDL_RWops* stream = SDL_RWFromConstMem(Bytes.data(), static_cast<int>(Bytes.size()));
  SurfacePtr loaded(stream ? SDL_LoadBMP_RW(stream, 1) : nullptr);
  if (!loaded) return std::string("not a readable BMP file (") + SDL_GetError() + ")";
  const std::int64_t height = declared.Height < 0 ? -declared.Height : declared.Height;
  if (loaded->w != declared.Width || loaded->h != height)
    return "the decoder made a picture of another size than the header declares";
  return TakeSurface(loaded.get(), Result);
}

}  // namespace

bool DecodeBitmap(std::span<const std::uint8_t> Bytes, const std::string& Name,
                  DecodedBitmap* Result, std::string* Error) {
  const std::string fault = Decode(Bytes, Result);
  if (fault.empty()) return true;
  *Error = "\"" + Name + "\": " + fault;
  *Result = DecodedBitmap{};
  return false;
}

}  // namespace platform::image
