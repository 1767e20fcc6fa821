#include "platform/d3d/SoftwareDeviceCaps.h"

#include "platform/ddraw/DDrawTypes.h"

namespace platform {
namespace {

constexpr DWORD kColorModelRgb = 2;  // D3DCOLOR_RGB
constexpr DWORD kRenderDepths = DDBD_16 | DDBD_32;
constexpr DWORD kZBufferDepths = DDBD_16 | DDBD_24 | DDBD_32;
// Largest vertex count of one DrawIndexedPrimitive (16-bit indices).
constexpr DWORD kMaxVertexCount = 65535;
constexpr DWORD kMinTextureSize = 1;
constexpr DWORD kMaxTextureSize = 1024;

D3DPRIMCAPS TriangleCaps() {
  D3DPRIMCAPS caps;
  caps.dwSize = sizeof(D3DPRIMCAPS);
  caps.dwMiscCaps =
      D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
  caps.dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_SUBPIXEL |
                      D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE;
  caps.dwZCmpCaps = D3DPCMPCAPS_LESSEQUAL;
  caps.dwSrcBlendCaps = D3DPBLENDCAPS_ONE;
  caps.dwDestBlendCaps = D3DPBLENDCAPS_ZERO;
  caps.dwAlphaCmpCaps = D3DPCMPCAPS_ALWAYS;
  caps.dwShadeCaps = D3DPSHADECAPS_COLORFLATRGB | D3DPSHADECAPS_COLORGOURAUDRGB |
                     D3DPSHADECAPS_SPECULARFLATRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                     D3DPSHADECAPS_FOGFLAT | D3DPSHADECAPS_FOGGOURAUD;
  caps.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE;
  caps.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST;
  caps.dwTextureBlendCaps = D3DPTBLENDCAPS_MODULATE;
  caps.dwTextureAddressCaps = D3DPTADDRESSCAPS_WRAP;
  return caps;
}

}  // namespace

D3DDEVICEDESC SoftwareDeviceDescription() {
  D3DDEVICEDESC desc;
  desc.dwSize = sizeof(D3DDEVICEDESC);
  desc.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRANSFORMCAPS | D3DDD_LIGHTINGCAPS |
                 D3DDD_BCLIPPING | D3DDD_LINECAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH |
                 D3DDD_DEVICEZBUFFERBITDEPTH | D3DDD_MAXBUFFERSIZE | D3DDD_MAXVERTEXCOUNT;
  desc.dcmColorModel = kColorModelRgb;
  desc.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY |
                   D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY |
                   D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX;
  desc.dtcTransformCaps = D3DTRANSFORMCAPS{sizeof(D3DTRANSFORMCAPS), D3DTRANSFORMCAPS_CLIP};
  desc.bClipping = 1;  // batches drawn without D3DDP_DONOTCLIP are cut to the viewport
  // Vertices arrive lit (D3DTLVERTEX): the device itself lights nothing.
  desc.dlcLightingCaps = D3DLIGHTINGCAPS{sizeof(D3DLIGHTINGCAPS), 0, D3DLIGHTINGMODEL_RGB, 0};
  // Triangle lists only: lines are described as drawing nothing.
  desc.dpcLineCaps.dwSize = sizeof(D3DPRIMCAPS);
  desc.dpcTriCaps = TriangleCaps();
  desc.dwDeviceRenderBitDepth = kRenderDepths;
  desc.dwDeviceZBufferBitDepth = kZBufferDepths;
  desc.dwMaxBufferSize = 0;  // no execute buffers
  desc.dwMaxVertexCount = kMaxVertexCount;
  desc.dwMinTextureWidth = desc.dwMinTextureHeight = kMinTextureSize;
  desc.dwMaxTextureWidth = desc.dwMaxTextureHeight = kMaxTextureSize;
  return desc;
}

D3DDEVICEDESC NoHardwareDescription() {
  D3DDEVICEDESC desc;
  desc.dwSize = sizeof(D3DDEVICEDESC);
  return desc;
}

}  // namespace platform
