#include "framework/BitmapFile.h"

#include <SDL.h>

#include <cstring>
#include <memory>

namespace {

struct SurfaceDeleter {
  void operator()(SDL_Surface* Surface) const { SDL_FreeSurface(Surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Copies the rows of Surface (already in its final coding) into Result.
void CopyRows(const SDL_Surface& Surface, int BytesPerPixel, TDecodedBitmap* Result) {
  Result->Width = Surface.w;
  Result->Height = Surface.h;
  const int rowBytes = Surface.w * BytesPerPixel;
  Result->Pitch = (rowBytes + 3) & ~3;
  Result->Pixels.assign(
      static_cast<std::size_t>(Result->Pitch) * static_cast<std::size_t>(Surface.h), 0);
  const auto* source = static_cast<const std::uint8_t*>(Surface.pixels);
  for (int y = 0; y < Surface.h; ++y)
    std::memcpy(Result->Pixels.data() + static_cast<std::size_t>(y) * Result->Pitch,
                source + static_cast<std::ptrdiff_t>(y) * Surface.pitch,
                static_cast<std::size_t>(rowBytes));
}

void TakePalette(const SDL_Palette& Palette, TDecodedBitmap* Result) {
  Result->Palette.clear();
  for (int i = 0; i < Palette.ncolors && i < 256; ++i) {
    const SDL_Color& c = Palette.colors[i];
    Result->Palette.push_back(PALETTEENTRY{c.r, c.g, c.b, 0});
  }
}

}  // namespace

bool DecodeBmp(const std::vector<std::uint8_t>& Bytes, TDecodedBitmap* Result, std::string* Error) {
  if (Bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    *Error = "file too large";
    return false;
  }
  SDL_RWops* stream = SDL_RWFromConstMem(Bytes.data(), static_cast<int>(Bytes.size()));
  SurfacePtr surface(stream ? SDL_LoadBMP_RW(stream, 1) : nullptr);
  if (!surface) {
    *Error = SDL_GetError();
    return false;
  }
  const SDL_PixelFormat& format = *surface->format;
  if (format.palette && format.BitsPerPixel == 8) {
    Result->BitCount = 8;
    CopyRows(*surface, 1, Result);
    TakePalette(*format.palette, Result);
    return true;
  }
  SurfacePtr converted(SDL_ConvertSurfaceFormat(surface.get(), SDL_PIXELFORMAT_XRGB8888, 0));
  if (!converted) {
    *Error = SDL_GetError();
    return false;
  }
  Result->BitCount = 32;
  Result->Palette.clear();
  CopyRows(*converted, 4, Result);
  return true;
}
