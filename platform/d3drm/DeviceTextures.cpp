#include "platform/d3drm/DeviceTextures.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DDrawErrors.h"

namespace platform::d3drm {
namespace {

struct Rgb {
  DWORD red = 0, green = 0, blue = 0;  // 0 to 255
};

// A channel of Pixel under Mask, widened to 8 bits by repeating its high bits.
DWORD ReadChannel(DWORD Pixel, DWORD Mask) {
  if (Mask == 0) return 0;
  const int shift = std::countr_zero(Mask);
  const int bits = std::popcount(Mask);
  const DWORD value = (Pixel & Mask) >> shift;
  if (bits >= 8) return value >> (bits - 8);
  DWORD wide = 0;
  int filled = 0;
  for (; filled < 8; filled += bits) wide = (wide << bits) | value;
  return (wide >> (filled - 8)) & 0xFF;
}

// An 8-bit channel value placed under Mask (its top bits kept).
DWORD PlaceChannel(DWORD Value, DWORD Mask) {
  if (Mask == 0) return 0;
  const int shift = std::countr_zero(Mask);
  const int bits = std::popcount(Mask);
  const DWORD scaled = bits >= 8 ? Value << (bits - 8) : Value >> (8 - bits);
  return (scaled << shift) & Mask;
}

bool IsPalettised(const D3DRMIMAGE& Image) {
  return !Image.rgb;
}

// Whether the image's fields describe pixels this layer can read.
bool Readable(const D3DRMIMAGE& Image) {
  if (Image.width <= 0 || Image.height <= 0 || !Image.buffer1) return false;
  const int bytes =
      IsPalettised(Image)
          ? (Image.depth == 8 ? 1 : 0)
          : (Image.depth == 16 || Image.depth == 24 || Image.depth == 32 ? Image.depth / 8 : 0);
  if (bytes == 0 || Image.bytes_per_line < Image.width * bytes) return false;
  return !IsPalettised(Image) || Image.palette_size == 0 || Image.palette;
}

// The colour of the image's pixel (X, Y).
Rgb ImageColour(const D3DRMIMAGE& Image, int X, int Y) {
  const auto* row = static_cast<const BYTE*>(Image.buffer1) +
                    static_cast<size_t>(Y) * static_cast<size_t>(Image.bytes_per_line);
  if (IsPalettised(Image)) {
    const int index = row[X];
    if (index >= Image.palette_size) return {};
    const D3DRMPALETTEENTRY& entry = Image.palette[index];
    return {entry.red, entry.green, entry.blue};
  }
  const int bytes = Image.depth / 8;
  DWORD pixel = 0;
  for (int b = 0; b < bytes; ++b) pixel |= DWORD{row[X * bytes + b]} << (8 * b);
  return {ReadChannel(pixel, Image.red_mask), ReadChannel(pixel, Image.green_mask),
          ReadChannel(pixel, Image.blue_mask)};
}

void WritePixel(BYTE* Row, int X, DWORD Bytes, DWORD Value) {
  for (DWORD b = 0; b < Bytes; ++b) Row[X * Bytes + b] = static_cast<BYTE>(Value >> (8 * b));
}

// Copies the image into locked surface memory of the given format.
void Convert(const D3DRMIMAGE& Image, const DDPIXELFORMAT& Format, BYTE* Bits, LONG Pitch) {
  const bool keepIndices = IsPalettised(Image) && (Format.dwFlags & DDPF_PALETTEINDEXED8);
  const DWORD bytes = Format.dwRGBBitCount / 8;
  for (int y = 0; y < Image.height; ++y) {
    BYTE* row = Bits + static_cast<ptrdiff_t>(y) * Pitch;
    if (keepIndices) {
      std::memcpy(row,
                  static_cast<const BYTE*>(Image.buffer1) +
                      static_cast<size_t>(y) * static_cast<size_t>(Image.bytes_per_line),
                  static_cast<size_t>(Image.width));
      continue;
    }
    for (int x = 0; x < Image.width; ++x) {
      const Rgb c = ImageColour(Image, x, y);
      const DWORD value = PlaceChannel(c.red, Format.dwRBitMask) |
                          PlaceChannel(c.green, Format.dwGBitMask) |
                          PlaceChannel(c.blue, Format.dwBBitMask) | Format.dwRGBAlphaBitMask;
      WritePixel(row, x, bytes, value);
    }
  }
}

}  // namespace

HRESULT DeviceTextures::RecordFormat(DDSURFACEDESC* Desc, LPVOID Context) {
  auto& formats = *static_cast<Formats*>(Context);
  const DDPIXELFORMAT& offered = Desc->ddpfPixelFormat;
  if (offered.dwFlags & DDPF_PALETTEINDEXED8) {
    if (!formats.hasPalettised) formats.palettised = offered;
    formats.hasPalettised = true;
  } else if ((offered.dwFlags & DDPF_RGB) && offered.dwRGBBitCount % 8 == 0 &&
             offered.dwRGBBitCount >= 16 && offered.dwRGBBitCount <= 32) {
    // The deepest format keeps the most of a true-colour image; at equal depth the first
    // offered wins.
    if (!formats.hasRgb || offered.dwRGBBitCount > formats.rgb.dwRGBBitCount) formats.rgb = offered;
    formats.hasRgb = true;
  }
  return D3DENUMRET_OK;
}

void DeviceTextures::LearnFormats(IDirect3DDevice2* Device) {
  formats_.known = true;
  Device->EnumTextureFormats(RecordFormat, &formats_);
}

D3DTEXTUREHANDLE DeviceTextures::Handle(IDirect3DDevice2* Device, IDirect3DRMTexture* Texture) {
  if (!Texture || !Device) return 0;
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& e) { return e.source.Get() == Texture; });
  if (found == entries_.end()) {
    Entry& added = entries_.emplace_back();
    added.source = ComPtr<IDirect3DRMTexture>(Texture);
    Make(Device, added);
    found = entries_.end() - 1;
  } else if (found->surface && found->surface->IsLost() != DD_OK) {
    // Lost with the display mode: the memory may hold anything now.
    if (found->surface->Restore() != DD_OK || !Fill(*found)) return 0;
  }
  found->used = true;
  return found->handle;
}

void DeviceTextures::EndFrame() {
  std::erase_if(entries_, [](const Entry& e) { return !e.used; });
  for (Entry& e : entries_) e.used = false;
}

IDirectDrawSurface* DeviceTextures::SurfaceOf(IDirect3DRMTexture* Texture) const {
  for (const Entry& e : entries_)
    if (e.source.Get() == Texture) return e.surface.Get();
  return nullptr;
}

void DeviceTextures::Make(IDirect3DDevice2* Device, Entry& Item) {
  const D3DRMIMAGE* image = Item.source->GetImage();
  if (!image || !Readable(*image)) return;
  if (!formats_.known) LearnFormats(Device);
  const bool palettised = IsPalettised(*image) && formats_.hasPalettised;
  if (!palettised && !formats_.hasRgb) return;

  ComPtr<IDirect3D2> direct3D;
  ComPtr<IDirectDraw2> directDraw;
  if (FAILED(Device->GetDirect3D(direct3D.Put())) || !direct3D ||
      FAILED(direct3D.As(IID_IDirectDraw2, directDraw)) || !directDraw)
    return;

  DDSURFACEDESC desc;
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(image->width);
  desc.dwHeight = static_cast<DWORD>(image->height);
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat = palettised ? formats_.palettised : formats_.rgb;
  ComPtr<IDirectDrawSurface> surface;
  if (FAILED(directDraw->CreateSurface(&desc, surface.Put(), nullptr)) || !surface) return;

  if (palettised) {
    PALETTEENTRY entries[256] = {};
    const int count = std::min(image->palette_size, 256);
    for (int i = 0; i < count; ++i)
      entries[i] = {image->palette[i].red, image->palette[i].green, image->palette[i].blue, 0};
    ComPtr<IDirectDrawPalette> palette;
    if (FAILED(directDraw->CreatePalette(DDPCAPS_8BIT, entries, palette.Put(), nullptr)) ||
        FAILED(surface->SetPalette(palette.Get())))
      return;
  }
  Item.surface = surface;
  // The texture interface reads the palette when it is made, so it comes after SetPalette.
  ComPtr<IDirect3DTexture2> texture;
  if (!Fill(Item) || FAILED(surface.As(IID_IDirect3DTexture2, texture)) || !texture ||
      FAILED(texture->GetHandle(Device, &Item.handle))) {
    Item.surface.Reset();
    Item.handle = 0;
    return;
  }
  Item.texture = texture;
}

bool DeviceTextures::Fill(Entry& Item) {
  DDSURFACEDESC locked;
  locked.dwSize = sizeof(locked);
  if (Item.surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  Convert(*Item.source->GetImage(), locked.ddpfPixelFormat, static_cast<BYTE*>(locked.lpSurface),
          locked.lPitch);
  Item.surface->Unlock(locked.lpSurface);
  return true;
}

}  // namespace platform::d3drm
