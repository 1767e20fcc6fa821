#pragma once
// Direct3D immediate-mode value types, under their DirectX names and with the DirectX 5
// numbering, so that code written against the DirectX headers reads and behaves the same here.
// Header-only; depends on nothing but the standard library.
//
// Sizes follow the fixed-width types of the original records where it matters to callers
// (D3DTLVERTEX is 32 bytes, as the renderer's vertex buffer relies on); handles and colours are
// 32-bit unsigned values.

#include <cstdint>

using D3DVALUE = float;
// A colour as 32-bit ARGB: alpha in the top byte, then red, green, blue in the low byte.
using D3DCOLOR = std::uint32_t;
using D3DTEXTUREHANDLE = std::uint32_t;
using D3DMATERIALHANDLE = std::uint32_t;

// A pre-transformed, pre-lit vertex: screen position, depth in [0, 1], reciprocal of the
// homogeneous w, diffuse and specular colours (specular alpha carries the vertex fog factor,
// 255 = no fog) and one pair of texture coordinates.
struct D3DTLVERTEX {
  D3DVALUE sx;
  D3DVALUE sy;
  D3DVALUE sz;
  D3DVALUE rhw;
  D3DCOLOR color;
  D3DCOLOR specular;
  D3DVALUE tu;
  D3DVALUE tv;
};
static_assert(sizeof(D3DTLVERTEX) == 32, "D3DTLVERTEX is a 32-byte record");

// A rectangle in pixels: (x1, y1) inclusive, (x2, y2) exclusive.
struct D3DRECT {
  std::int32_t x1;
  std::int32_t y1;
  std::int32_t x2;
  std::int32_t y2;
};

enum D3DRENDERSTATETYPE : std::uint32_t {
  D3DRENDERSTATE_TEXTUREHANDLE = 1,
  D3DRENDERSTATE_ANTIALIAS = 2,
  D3DRENDERSTATE_TEXTUREADDRESS = 3,
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_WRAPU = 5,
  D3DRENDERSTATE_WRAPV = 6,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_LINEPATTERN = 10,
  D3DRENDERSTATE_MONOENABLE = 11,
  D3DRENDERSTATE_ROP2 = 12,
  D3DRENDERSTATE_PLANEMASK = 13,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_LASTPIXEL = 16,
  D3DRENDERSTATE_TEXTUREMAG = 17,
  D3DRENDERSTATE_TEXTUREMIN = 18,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_TEXTUREMAPBLEND = 21,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_ALPHAREF = 24,
  D3DRENDERSTATE_ALPHAFUNC = 25,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_ZVISIBLE = 30,
  D3DRENDERSTATE_SUBPIXEL = 31,
  D3DRENDERSTATE_SUBPIXELX = 32,
  D3DRENDERSTATE_STIPPLEDALPHA = 33,
  D3DRENDERSTATE_FOGCOLOR = 34,
  D3DRENDERSTATE_FOGTABLEMODE = 35,
  D3DRENDERSTATE_FOGTABLESTART = 36,
  D3DRENDERSTATE_FOGTABLEEND = 37,
  D3DRENDERSTATE_FOGTABLEDENSITY = 38,
  D3DRENDERSTATE_STIPPLEENABLE = 39,
  D3DRENDERSTATE_EDGEANTIALIAS = 40,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_BORDERCOLOR = 43,
  D3DRENDERSTATE_TEXTUREADDRESSU = 44,
  D3DRENDERSTATE_TEXTUREADDRESSV = 45,
  D3DRENDERSTATE_MIPMAPLODBIAS = 46,
  D3DRENDERSTATE_ZBIAS = 47,
  D3DRENDERSTATE_RANGEFOGENABLE = 48,
  D3DRENDERSTATE_ANISOTROPY = 49,
  D3DRENDERSTATE_FLUSHBATCH = 50,
  D3DRENDERSTATE_STIPPLEPATTERN00 = 64,
  D3DRENDERSTATE_STIPPLEPATTERN31 = 95,
};

enum D3DLIGHTSTATETYPE : std::uint32_t {
  D3DLIGHTSTATE_MATERIAL = 1,
  D3DLIGHTSTATE_AMBIENT = 2,
  D3DLIGHTSTATE_COLORMODEL = 3,
  D3DLIGHTSTATE_FOGMODE = 4,
  D3DLIGHTSTATE_FOGSTART = 5,
  D3DLIGHTSTATE_FOGEND = 6,
  D3DLIGHTSTATE_FOGDENSITY = 7,
};

enum D3DCULL : std::uint32_t {
  D3DCULL_NONE = 1,
  D3DCULL_CW = 2,
  D3DCULL_CCW = 3,
};

enum D3DSHADEMODE : std::uint32_t {
  D3DSHADE_FLAT = 1,
  D3DSHADE_GOURAUD = 2,
  D3DSHADE_PHONG = 3,
};

enum D3DFILLMODE : std::uint32_t {
  D3DFILL_POINT = 1,
  D3DFILL_WIREFRAME = 2,
  D3DFILL_SOLID = 3,
};

enum D3DFOGMODE : std::uint32_t {
  D3DFOG_NONE = 0,
  D3DFOG_EXP = 1,
  D3DFOG_EXP2 = 2,
  D3DFOG_LINEAR = 3,
};

enum D3DCMPFUNC : std::uint32_t {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

enum D3DTEXTUREBLEND : std::uint32_t {
  D3DTBLEND_DECAL = 1,
  D3DTBLEND_MODULATE = 2,
  D3DTBLEND_DECALALPHA = 3,
  D3DTBLEND_MODULATEALPHA = 4,
  D3DTBLEND_DECALMASK = 5,
  D3DTBLEND_MODULATEMASK = 6,
  D3DTBLEND_COPY = 7,
  D3DTBLEND_ADD = 8,
};

enum D3DTEXTUREADDRESS : std::uint32_t {
  D3DTADDRESS_WRAP = 1,
  D3DTADDRESS_MIRROR = 2,
  D3DTADDRESS_CLAMP = 3,
  D3DTADDRESS_BORDER = 4,
};

enum D3DTEXTUREFILTER : std::uint32_t {
  D3DFILTER_NEAREST = 1,
  D3DFILTER_LINEAR = 2,
  D3DFILTER_MIPNEAREST = 3,
  D3DFILTER_MIPLINEAR = 4,
  D3DFILTER_LINEARMIPNEAREST = 5,
  D3DFILTER_LINEARMIPLINEAR = 6,
};

enum D3DBLEND : std::uint32_t {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
  D3DBLEND_BOTHSRCALPHA = 12,
  D3DBLEND_BOTHINVSRCALPHA = 13,
};

enum D3DPRIMITIVETYPE : std::uint32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

enum D3DVERTEXTYPE : std::uint32_t {
  D3DVT_VERTEX = 1,
  D3DVT_LVERTEX = 2,
  D3DVT_TLVERTEX = 3,
};

// Flags of DrawPrimitive and DrawIndexedPrimitive.
inline constexpr std::uint32_t D3DDP_WAIT = 0x1;
inline constexpr std::uint32_t D3DDP_OUTOFORDER = 0x2;
inline constexpr std::uint32_t D3DDP_DONOTCLIP = 0x4;
inline constexpr std::uint32_t D3DDP_DONOTUPDATEEXTENTS = 0x8;

// Flags of IDirect3DViewport2::Clear.
inline constexpr std::uint32_t D3DCLEAR_TARGET = 0x1;
inline constexpr std::uint32_t D3DCLEAR_ZBUFFER = 0x2;

// Colour helpers. The float forms take channels in [0, 1] (clamped, so an out-of-range value
// cannot spill into a neighbouring byte) and truncate, as the DirectX macros do.
namespace platform::detail {
constexpr std::uint32_t UnitToByte(D3DVALUE value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<std::uint32_t>(value * 255.0f);
}
}  // namespace platform::detail

constexpr D3DCOLOR RGBA_MAKE(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  return ((a & 0xFFu) << 24) | ((r & 0xFFu) << 16) | ((g & 0xFFu) << 8) | (b & 0xFFu);
}
constexpr D3DCOLOR RGB_MAKE(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return RGBA_MAKE(r, g, b, 0xFFu);
}
constexpr D3DCOLOR D3DRGBA(D3DVALUE r, D3DVALUE g, D3DVALUE b, D3DVALUE a) {
  using platform::detail::UnitToByte;
  return RGBA_MAKE(UnitToByte(r), UnitToByte(g), UnitToByte(b), UnitToByte(a));
}
constexpr D3DCOLOR D3DRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) {
  return D3DRGBA(r, g, b, 1.0f);
}
constexpr std::uint32_t RGBA_GETALPHA(D3DCOLOR c) {
  return c >> 24;
}
constexpr std::uint32_t RGBA_GETRED(D3DCOLOR c) {
  return (c >> 16) & 0xFFu;
}
constexpr std::uint32_t RGBA_GETGREEN(D3DCOLOR c) {
  return (c >> 8) & 0xFFu;
}
constexpr std::uint32_t RGBA_GETBLUE(D3DCOLOR c) {
  return c & 0xFFu;
}
constexpr D3DVALUE D3DVAL(double value) {
  return static_cast<D3DVALUE>(value);
}
