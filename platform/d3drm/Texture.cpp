#include "platform/d3drm/Texture.h"

#include <SDL_error.h>
#include <SDL_surface.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace platform::d3drm {
namespace {

struct SurfaceDeleter {
  void operator()(SDL_Surface* Surface) const { SDL_FreeSurface(Surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Copies Height rows of RowBytes bytes from a surface with its own pitch into a tight buffer.
std::vector<BYTE> CopyRows(const SDL_Surface& Surface, int RowBytes) {
  std::vector<BYTE> pixels(static_cast<size_t>(RowBytes) * static_cast<size_t>(Surface.h));
  const auto* source = static_cast<const BYTE*>(Surface.pixels);
  for (int row = 0; row < Surface.h; ++row)
    std::memcpy(pixels.data() + static_cast<size_t>(row) * RowBytes,
                source + static_cast<size_t>(row) * Surface.pitch, static_cast<size_t>(RowBytes));
  return pixels;
}

}  // namespace

Texture::Texture() : RMObject("Texture") {}

Texture* Texture::From(IDirect3DRMTexture* Itf) {
  return dynamic_cast<Texture*>(Itf);
}

HRESULT Texture::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMTexture || Iid == IID_IDirect3DRMTexture2)
    return Answer(static_cast<IDirect3DRMTexture2*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT Texture::LoadBMP(const std::string& FileName, Texture** Out, std::string& Error) {
  if (!Out) return D3DRMERR_BADVALUE;
  *Out = nullptr;
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(FileName, ignored)) {
    Error = "\"" + FileName + "\": texture file not found";
    return D3DRMERR_FILENOTFOUND;
  }
  SurfacePtr loaded(SDL_LoadBMP(FileName.c_str()));
  if (!loaded) {
    Error = "\"" + FileName + "\": not a readable BMP file (" + SDL_GetError() + ")";
    return D3DRMERR_BADFILE;
  }
  const SDL_Palette* palette = loaded->format->palette;
  const bool indexed = loaded->format->format == SDL_PIXELFORMAT_INDEX8 && palette;
  SurfacePtr surface;
  if (!indexed) {
    surface.reset(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB888, 0));
    if (!surface) {
      Error = "\"" + FileName + "\": cannot convert to true colour (" + SDL_GetError() + ")";
      return D3DRMERR_BADFILE;
    }
  }
  const SDL_Surface& source = indexed ? *loaded : *surface;

  auto* texture = new Texture;
  D3DRMIMAGE& image = texture->image_;
  image.width = source.w;
  image.height = source.h;
  image.depth = indexed ? 8 : 32;
  image.rgb = indexed ? FALSE : TRUE;
  image.bytes_per_line = source.w * (indexed ? 1 : 4);
  texture->pixels_ = CopyRows(source, image.bytes_per_line);
  image.buffer1 = texture->pixels_.data();
  if (indexed) {
    texture->palette_.resize(static_cast<size_t>(palette->ncolors));
    for (int i = 0; i < palette->ncolors; ++i)
      texture->palette_[i] = {palette->colors[i].r, palette->colors[i].g, palette->colors[i].b, 0};
    image.palette_size = palette->ncolors;
    image.palette = texture->palette_.data();
  } else {
    // The top byte of a converted pixel (the fourth in memory, on the little-endian machines
    // this runs on) is padding of no fixed value: make it 0.
    for (size_t i = 3; i < texture->pixels_.size(); i += 4) texture->pixels_[i] = 0;
    image.red_mask = 0xFF0000;
    image.green_mask = 0x00FF00;
    image.blue_mask = 0x0000FF;
  }
  texture->SetName(FileName.c_str());
  *Out = texture;
  return D3DRM_OK;
}

}  // namespace platform::d3drm
