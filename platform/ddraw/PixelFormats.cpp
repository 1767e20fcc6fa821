#include "platform/ddraw/PixelFormats.h"

#include "platform/ddraw/DDrawErrors.h"

namespace platform {
namespace {

bool FitsIn(DWORD Mask, DWORD BitCount) {
  return BitCount >= 32 || (Mask >> BitCount) == 0;
}

}  // namespace

DDPIXELFORMAT PixelFormatOf(const PixelView& Coding) {
  DDPIXELFORMAT format;
  format.dwSize = sizeof(DDPIXELFORMAT);
  format.dwRGBBitCount = Coding.bitCount;
  if (Coding.Palettised()) {
    format.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
  } else {
    format.dwFlags = DDPF_RGB;
    format.dwRBitMask = Coding.redMask;
    format.dwGBitMask = Coding.greenMask;
    format.dwBBitMask = Coding.blueMask;
  }
  return format;
}

DDPIXELFORMAT ZBufferFormat(DWORD Depth) {
  DDPIXELFORMAT format;
  format.dwSize = sizeof(DDPIXELFORMAT);
  format.dwFlags = DDPF_ZBUFFER;
  format.dwZBufferBitDepth = Depth;
  return format;
}

HRESULT CheckPixelFormat(const DDPIXELFORMAT& Format) {
  if (Format.dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPIXELFORMAT;
  if (Format.dwFlags & DDPF_ZBUFFER) {
    const DWORD depth = Format.dwZBufferBitDepth;
    return depth == 16 || depth == 24 || depth == 32 ? DD_OK : DDERR_INVALIDPIXELFORMAT;
  }
  const DWORD known = DDPF_ALPHAPIXELS | DDPF_PALETTEINDEXED8 | DDPF_RGB;
  if ((Format.dwFlags & ~known) != 0 || !(Format.dwFlags & DDPF_RGB))
    return DDERR_INVALIDPIXELFORMAT;
  const DWORD bits = Format.dwRGBBitCount;
  if (Format.dwFlags & DDPF_PALETTEINDEXED8) return bits == 8 ? DD_OK : DDERR_INVALIDPIXELFORMAT;
  if (bits != 16 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
  const DWORD alpha = (Format.dwFlags & DDPF_ALPHAPIXELS) ? Format.dwRGBAlphaBitMask : 0;
  const DWORD masks[] = {Format.dwRBitMask, Format.dwGBitMask, Format.dwBBitMask, alpha};
  DWORD seen = 0;
  for (int i = 0; i < 4; ++i) {
    if ((i < 3 && masks[i] == 0) || (masks[i] & seen) || !FitsIn(masks[i], bits))
      return DDERR_INVALIDPIXELFORMAT;
    seen |= masks[i];
  }
  return DD_OK;
}

PixelView CodingOf(const DDPIXELFORMAT& Format) {
  PixelView coding;
  if (Format.dwFlags & DDPF_ZBUFFER) {
    coding.bitCount = Format.dwZBufferBitDepth == 16 ? 16 : 32;
    return coding;
  }
  coding.bitCount = Format.dwRGBBitCount;
  if (!(Format.dwFlags & DDPF_PALETTEINDEXED8)) {
    coding.redMask = Format.dwRBitMask;
    coding.greenMask = Format.dwGBitMask;
    coding.blueMask = Format.dwBBitMask;
  }
  return coding;
}

}  // namespace platform
