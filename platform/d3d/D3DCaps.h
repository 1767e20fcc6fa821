// Direct3D device descriptions (D3DDEVICEDESC, DirectX 5 layout: 204 bytes) and their flags,
// under their DirectX names and values. IDirect3D2::EnumDevices hands out two per device:
// what the hardware does (all zero but dwSize for a software device, so dcmColorModel 0
// marks it as software) and what the emulation does.
#pragma once

#include "platform/com/HResult.h"
#include "platform/com/WinTypes.h"

struct D3DTRANSFORMCAPS {
  DWORD dwSize = 0;
  DWORD dwCaps = 0;
};

struct D3DLIGHTINGCAPS {
  DWORD dwSize = 0;
  DWORD dwCaps = 0;
  DWORD dwLightingModel = 0;
  DWORD dwNumLights = 0;
};

struct D3DPRIMCAPS {
  DWORD dwSize = 0;
  DWORD dwMiscCaps = 0;
  DWORD dwRasterCaps = 0;
  DWORD dwZCmpCaps = 0;
  DWORD dwSrcBlendCaps = 0;
  DWORD dwDestBlendCaps = 0;
  DWORD dwAlphaCmpCaps = 0;
  DWORD dwShadeCaps = 0;
  DWORD dwTextureCaps = 0;
  DWORD dwTextureFilterCaps = 0;
  DWORD dwTextureBlendCaps = 0;
  DWORD dwTextureAddressCaps = 0;
  DWORD dwStippleWidth = 0;
  DWORD dwStippleHeight = 0;
};

struct D3DDEVICEDESC {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dcmColorModel = 0;  // D3DCOLORMODEL: 0 none (hardware description of a software
                            // device), 1 mono, 2 RGB
  DWORD dwDevCaps = 0;
  D3DTRANSFORMCAPS dtcTransformCaps;
  BOOL bClipping = 0;
  D3DLIGHTINGCAPS dlcLightingCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth = 0;   // DDBD_ flags
  DWORD dwDeviceZBufferBitDepth = 0;  // DDBD_ flags
  DWORD dwMaxBufferSize = 0;
  DWORD dwMaxVertexCount = 0;
  DWORD dwMinTextureWidth = 0;
  DWORD dwMinTextureHeight = 0;
  DWORD dwMaxTextureWidth = 0;
  DWORD dwMaxTextureHeight = 0;
  DWORD dwMinStippleWidth = 0;
  DWORD dwMaxStippleWidth = 0;
  DWORD dwMinStippleHeight = 0;
  DWORD dwMaxStippleHeight = 0;
};
static_assert(sizeof(D3DDEVICEDESC) == 204);

// Device enumeration callback results.
inline constexpr HRESULT D3DENUMRET_CANCEL = 0;
inline constexpr HRESULT D3DENUMRET_OK = 1;

// D3DDEVICEDESC dwFlags: which fields hold data
inline constexpr DWORD D3DDD_COLORMODEL = 0x00000001;
inline constexpr DWORD D3DDD_DEVCAPS = 0x00000002;
inline constexpr DWORD D3DDD_TRANSFORMCAPS = 0x00000004;
inline constexpr DWORD D3DDD_LIGHTINGCAPS = 0x00000008;
inline constexpr DWORD D3DDD_BCLIPPING = 0x00000010;
inline constexpr DWORD D3DDD_LINECAPS = 0x00000020;
inline constexpr DWORD D3DDD_TRICAPS = 0x00000040;
inline constexpr DWORD D3DDD_DEVICERENDERBITDEPTH = 0x00000080;
inline constexpr DWORD D3DDD_DEVICEZBUFFERBITDEPTH = 0x00000100;
inline constexpr DWORD D3DDD_MAXBUFFERSIZE = 0x00000200;
inline constexpr DWORD D3DDD_MAXVERTEXCOUNT = 0x00000400;

// dwDevCaps
inline constexpr DWORD D3DDEVCAPS_FLOATTLVERTEX = 0x00000001;
inline constexpr DWORD D3DDEVCAPS_EXECUTESYSTEMMEMORY = 0x00000010;
inline constexpr DWORD D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x00000040;
inline constexpr DWORD D3DDEVCAPS_TEXTURESYSTEMMEMORY = 0x00000100;
inline constexpr DWORD D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x00000200;
inline constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
inline constexpr DWORD D3DDEVCAPS_CANRENDERAFTERFLIP = 0x00000800;

inline constexpr DWORD D3DTRANSFORMCAPS_CLIP = 0x00000001;

inline constexpr DWORD D3DLIGHTINGMODEL_RGB = 0x00000001;
inline constexpr DWORD D3DLIGHTINGMODEL_MONO = 0x00000002;
inline constexpr DWORD D3DLIGHTCAPS_POINT = 0x00000001;
inline constexpr DWORD D3DLIGHTCAPS_SPOT = 0x00000002;
inline constexpr DWORD D3DLIGHTCAPS_DIRECTIONAL = 0x00000004;
inline constexpr DWORD D3DLIGHTCAPS_PARALLELPOINT = 0x00000008;

// D3DPRIMCAPS dwMiscCaps
inline constexpr DWORD D3DPMISCCAPS_MASKZ = 0x00000002;
inline constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x00000010;
inline constexpr DWORD D3DPMISCCAPS_CULLCW = 0x00000020;
inline constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x00000040;

// D3DPRIMCAPS dwRasterCaps
inline constexpr DWORD D3DPRASTERCAPS_DITHER = 0x00000001;
inline constexpr DWORD D3DPRASTERCAPS_ZTEST = 0x00000010;
inline constexpr DWORD D3DPRASTERCAPS_SUBPIXEL = 0x00000020;
inline constexpr DWORD D3DPRASTERCAPS_FOGVERTEX = 0x00000080;
inline constexpr DWORD D3DPRASTERCAPS_FOGTABLE = 0x00000100;

// D3DPRIMCAPS dwZCmpCaps, dwAlphaCmpCaps
inline constexpr DWORD D3DPCMPCAPS_NEVER = 0x00000001;
inline constexpr DWORD D3DPCMPCAPS_LESS = 0x00000002;
inline constexpr DWORD D3DPCMPCAPS_EQUAL = 0x00000004;
inline constexpr DWORD D3DPCMPCAPS_LESSEQUAL = 0x00000008;
inline constexpr DWORD D3DPCMPCAPS_GREATER = 0x00000010;
inline constexpr DWORD D3DPCMPCAPS_NOTEQUAL = 0x00000020;
inline constexpr DWORD D3DPCMPCAPS_GREATEREQUAL = 0x00000040;
inline constexpr DWORD D3DPCMPCAPS_ALWAYS = 0x00000080;

// D3DPRIMCAPS dwSrcBlendCaps, dwDestBlendCaps
inline constexpr DWORD D3DPBLENDCAPS_ZERO = 0x00000001;
inline constexpr DWORD D3DPBLENDCAPS_ONE = 0x00000002;

// D3DPRIMCAPS dwShadeCaps
inline constexpr DWORD D3DPSHADECAPS_COLORFLATRGB = 0x00000002;
inline constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x00000008;
inline constexpr DWORD D3DPSHADECAPS_SPECULARFLATRGB = 0x00000080;
inline constexpr DWORD D3DPSHADECAPS_SPECULARGOURAUDRGB = 0x00000200;
inline constexpr DWORD D3DPSHADECAPS_FOGFLAT = 0x00040000;
inline constexpr DWORD D3DPSHADECAPS_FOGGOURAUD = 0x00080000;

// D3DPRIMCAPS dwTextureCaps
inline constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
inline constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
inline constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x00000004;
inline constexpr DWORD D3DPTEXTURECAPS_TRANSPARENCY = 0x00000008;

// D3DPRIMCAPS dwTextureFilterCaps
inline constexpr DWORD D3DPTFILTERCAPS_NEAREST = 0x00000001;
inline constexpr DWORD D3DPTFILTERCAPS_LINEAR = 0x00000002;

// D3DPRIMCAPS dwTextureBlendCaps
inline constexpr DWORD D3DPTBLENDCAPS_DECAL = 0x00000001;
inline constexpr DWORD D3DPTBLENDCAPS_MODULATE = 0x00000002;
inline constexpr DWORD D3DPTBLENDCAPS_COPY = 0x00000040;

// D3DPRIMCAPS dwTextureAddressCaps
inline constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x00000001;
inline constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x00000002;
inline constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x00000004;
