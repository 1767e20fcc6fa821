// DirectDraw records and flags under their DirectX names and values.
//
// The records keep the DirectX field names and order; their sizes are those of this build
// (pointers are 64 bits), so callers fill dwSize with sizeof(...) and the stand-in checks it.
// Fields the program never uses are kept where they shape a record, left out elsewhere.
#pragma once

#include "platform/com/GdiTypes.h"
#include "platform/com/HResult.h"
#include "platform/com/WinTypes.h"

struct DDSCAPS {
  DWORD dwCaps = 0;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue = 0;
  DWORD dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwFourCC = 0;
  union {
    DWORD dwRGBBitCount = 0;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
  };
  DWORD dwRBitMask = 0;
  DWORD dwGBitMask = 0;
  DWORD dwBBitMask = 0;
  DWORD dwRGBAlphaBitMask = 0;
};

struct DDSURFACEDESC {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwHeight = 0;
  DWORD dwWidth = 0;
  LONG lPitch = 0;
  DWORD dwBackBufferCount = 0;
  union {
    DWORD dwMipMapCount = 0;
    DWORD dwZBufferBitDepth;
    DWORD dwRefreshRate;
  };
  DWORD dwAlphaBitDepth = 0;
  DWORD dwReserved = 0;
  LPVOID lpSurface = nullptr;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};

// Driver capabilities, DirectX 5 layout (every field a DWORD: 364 bytes).
struct DDCAPS {
  DWORD dwSize = 0;
  DWORD dwCaps = 0;
  DWORD dwCaps2 = 0;
  DWORD dwCKeyCaps = 0;
  DWORD dwFXCaps = 0;
  DWORD dwFXAlphaCaps = 0;
  DWORD dwPalCaps = 0;
  DWORD dwSVCaps = 0;
  DWORD dwAlphaBltConstBitDepths = 0;
  DWORD dwAlphaBltPixelBitDepths = 0;
  DWORD dwAlphaBltSurfaceBitDepths = 0;
  DWORD dwAlphaOverlayConstBitDepths = 0;
  DWORD dwAlphaOverlayPixelBitDepths = 0;
  DWORD dwAlphaOverlaySurfaceBitDepths = 0;
  DWORD dwZBufferBitDepths = 0;
  DWORD dwVidMemTotal = 0;
  DWORD dwVidMemFree = 0;
  DWORD dwMaxVisibleOverlays = 0;
  DWORD dwCurrVisibleOverlays = 0;
  DWORD dwNumFourCCCodes = 0;
  DWORD dwAlignBoundarySrc = 0;
  DWORD dwAlignSizeSrc = 0;
  DWORD dwAlignBoundaryDest = 0;
  DWORD dwAlignSizeDest = 0;
  DWORD dwAlignStrideAlign = 0;
  DWORD dwRops[8] = {};
  DDSCAPS ddsCaps;
  DWORD dwMinOverlayStretch = 0;
  DWORD dwMaxOverlayStretch = 0;
  DWORD dwMinLiveVideoStretch = 0;
  DWORD dwMaxLiveVideoStretch = 0;
  DWORD dwMinHwCodecStretch = 0;
  DWORD dwMaxHwCodecStretch = 0;
  DWORD dwReserved1 = 0;
  DWORD dwReserved2 = 0;
  DWORD dwReserved3 = 0;
  DWORD dwSVBCaps = 0;
  DWORD dwSVBCKeyCaps = 0;
  DWORD dwSVBFXCaps = 0;
  DWORD dwSVBRops[8] = {};
  DWORD dwVSBCaps = 0;
  DWORD dwVSBCKeyCaps = 0;
  DWORD dwVSBFXCaps = 0;
  DWORD dwVSBRops[8] = {};
  DWORD dwSSBCaps = 0;
  DWORD dwSSBCKeyCaps = 0;
  DWORD dwSSBFXCaps = 0;
  DWORD dwSSBRops[8] = {};
  DWORD dwMaxVideoPorts = 0;
  DWORD dwCurrVideoPorts = 0;
  DWORD dwSVBCaps2 = 0;
  DWORD dwNLVBCaps = 0;
  DWORD dwNLVBCaps2 = 0;
  DWORD dwNLVBCKeyCaps = 0;
  DWORD dwNLVBFXCaps = 0;
  DWORD dwNLVBRops[8] = {};
};
static_assert(sizeof(DDCAPS) == 364);

// Blit effects, DirectX 5 layout with its DWORD fields (100 bytes); the surface-pointer
// alternatives of the unions are not offered.
struct DDBLTFX {
  DWORD dwSize = 0;
  DWORD dwDDFX = 0;
  DWORD dwROP = 0;
  DWORD dwDDROP = 0;
  DWORD dwRotationAngle = 0;
  DWORD dwZBufferOpCode = 0;
  DWORD dwZBufferLow = 0;
  DWORD dwZBufferHigh = 0;
  DWORD dwZBufferBaseDest = 0;
  DWORD dwZDestConstBitDepth = 0;
  DWORD dwZDestConst = 0;
  DWORD dwZSrcConstBitDepth = 0;
  DWORD dwZSrcConst = 0;
  DWORD dwAlphaEdgeBlendBitDepth = 0;
  DWORD dwAlphaEdgeBlend = 0;
  DWORD dwReserved = 0;
  DWORD dwAlphaDestConstBitDepth = 0;
  DWORD dwAlphaDestConst = 0;
  DWORD dwAlphaSrcConstBitDepth = 0;
  DWORD dwAlphaSrcConst = 0;
  union {
    DWORD dwFillColor = 0;
    DWORD dwFillDepth;
    DWORD dwFillPixel;
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};
static_assert(sizeof(DDBLTFX) == 100);

// DDSURFACEDESC dwFlags
inline constexpr DWORD DDSD_CAPS = 0x00000001;
inline constexpr DWORD DDSD_HEIGHT = 0x00000002;
inline constexpr DWORD DDSD_WIDTH = 0x00000004;
inline constexpr DWORD DDSD_PITCH = 0x00000008;
inline constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
inline constexpr DWORD DDSD_ZBUFFERBITDEPTH = 0x00000040;
inline constexpr DWORD DDSD_ALPHABITDEPTH = 0x00000080;
inline constexpr DWORD DDSD_LPSURFACE = 0x00000800;
inline constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
inline constexpr DWORD DDSD_CKDESTOVERLAY = 0x00002000;
inline constexpr DWORD DDSD_CKDESTBLT = 0x00004000;
inline constexpr DWORD DDSD_CKSRCOVERLAY = 0x00008000;
inline constexpr DWORD DDSD_CKSRCBLT = 0x00010000;
inline constexpr DWORD DDSD_MIPMAPCOUNT = 0x00020000;
inline constexpr DWORD DDSD_REFRESHRATE = 0x00040000;

// DDSCAPS dwCaps
inline constexpr DWORD DDSCAPS_ALPHA = 0x00000002;
inline constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
inline constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
inline constexpr DWORD DDSCAPS_FLIP = 0x00000010;
inline constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
inline constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
inline constexpr DWORD DDSCAPS_OVERLAY = 0x00000080;
inline constexpr DWORD DDSCAPS_PALETTE = 0x00000100;
inline constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
inline constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
inline constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
inline constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
inline constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
inline constexpr DWORD DDSCAPS_VISIBLE = 0x00008000;
inline constexpr DWORD DDSCAPS_WRITEONLY = 0x00010000;
inline constexpr DWORD DDSCAPS_ZBUFFER = 0x00020000;
inline constexpr DWORD DDSCAPS_OWNDC = 0x00040000;
inline constexpr DWORD DDSCAPS_MIPMAP = 0x00400000;
inline constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x04000000;
inline constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;

// DDPIXELFORMAT dwFlags
inline constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
inline constexpr DWORD DDPF_ALPHA = 0x00000002;
inline constexpr DWORD DDPF_FOURCC = 0x00000004;
inline constexpr DWORD DDPF_PALETTEINDEXED4 = 0x00000008;
inline constexpr DWORD DDPF_PALETTEINDEXEDTO8 = 0x00000010;
inline constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
inline constexpr DWORD DDPF_RGB = 0x00000040;
inline constexpr DWORD DDPF_ZBUFFER = 0x00000400;

// Bit depths (DDCAPS dwZBufferBitDepths, D3DDEVICEDESC bit-depth fields)
inline constexpr DWORD DDBD_1 = 0x00004000;
inline constexpr DWORD DDBD_2 = 0x00002000;
inline constexpr DWORD DDBD_4 = 0x00001000;
inline constexpr DWORD DDBD_8 = 0x00000800;
inline constexpr DWORD DDBD_16 = 0x00000400;
inline constexpr DWORD DDBD_24 = 0x00000200;
inline constexpr DWORD DDBD_32 = 0x00000100;

// SetCooperativeLevel flags
inline constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
inline constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
inline constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x00000004;
inline constexpr DWORD DDSCL_NORMAL = 0x00000008;
inline constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
inline constexpr DWORD DDSCL_ALLOWMODEX = 0x00000040;

// Lock flags
inline constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x00000000;
inline constexpr DWORD DDLOCK_WAIT = 0x00000001;
inline constexpr DWORD DDLOCK_READONLY = 0x00000010;
inline constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;

// Blt flags
inline constexpr DWORD DDBLT_ASYNC = 0x00000200;
inline constexpr DWORD DDBLT_COLORFILL = 0x00000400;
inline constexpr DWORD DDBLT_KEYSRC = 0x00008000;
inline constexpr DWORD DDBLT_WAIT = 0x01000000;
inline constexpr DWORD DDBLT_DEPTHFILL = 0x02000000;

// BltFast flags
inline constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
inline constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
inline constexpr DWORD DDBLTFAST_DESTCOLORKEY = 0x00000002;
inline constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

// Flip flags
inline constexpr DWORD DDFLIP_WAIT = 0x00000001;

// SetColorKey flags
inline constexpr DWORD DDCKEY_COLORSPACE = 0x00000001;
inline constexpr DWORD DDCKEY_DESTBLT = 0x00000002;
inline constexpr DWORD DDCKEY_DESTOVERLAY = 0x00000004;
inline constexpr DWORD DDCKEY_SRCBLT = 0x00000008;
inline constexpr DWORD DDCKEY_SRCOVERLAY = 0x00000010;

// Palette capabilities
inline constexpr DWORD DDPCAPS_4BIT = 0x00000001;
inline constexpr DWORD DDPCAPS_8BITENTRIES = 0x00000002;
inline constexpr DWORD DDPCAPS_8BIT = 0x00000004;
inline constexpr DWORD DDPCAPS_INITIALIZE = 0x00000008;
inline constexpr DWORD DDPCAPS_PRIMARYSURFACE = 0x00000010;
inline constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;

// DDCAPS dwCaps
inline constexpr DWORD DDCAPS_3D = 0x00000001;
inline constexpr DWORD DDCAPS_BLT = 0x00000040;
inline constexpr DWORD DDCAPS_BLTSTRETCH = 0x00000200;
inline constexpr DWORD DDCAPS_PALETTE = 0x00008000;
inline constexpr DWORD DDCAPS_COLORKEY = 0x00400000;
inline constexpr DWORD DDCAPS_NOHARDWARE = 0x02000000;
inline constexpr DWORD DDCAPS_BLTCOLORFILL = 0x04000000;
inline constexpr DWORD DDCAPS_BLTDEPTHFILL = 0x10000000;
inline constexpr DWORD DDCAPS_CANCLIP = 0x20000000;
inline constexpr DWORD DDCAPS_CANCLIPSTRETCHED = 0x40000000;
inline constexpr DWORD DDCAPS_CANBLTSYSMEM = 0x80000000;

// DDCAPS dwCKeyCaps
inline constexpr DWORD DDCKEYCAPS_SRCBLT = 0x00000200;

// Enumeration callback results
inline constexpr HRESULT DDENUMRET_CANCEL = 0;
inline constexpr HRESULT DDENUMRET_OK = 1;
