// Retained-mode value types, constants and result codes under their DirectX names and
// numbers, so that code written against the retained-mode headers reads the same here.
//
// Coordinates are left-handed, as in Direct3D: x to the right, y up, z into the screen.
// Points are row vectors multiplied on the left of a matrix; the translation of a
// D3DRMMATRIX4D sits in row 3 (elements [3][0..2]), and in a product A × B, A applies first.
#pragma once

#include <cstdint>

#include "platform/com/HResult.h"
#include "platform/d3d/D3DTypes.h"

class IDirect3DRMTexture;

struct D3DVECTOR {
  D3DVALUE x = 0;
  D3DVALUE y = 0;
  D3DVALUE z = 0;
};

struct D3DRMVECTOR4D {
  D3DVALUE x = 0;
  D3DVALUE y = 0;
  D3DVALUE z = 0;
  D3DVALUE w = 0;
};

// Row-major 4 × 4 matrix, rows as above.
using D3DRMMATRIX4D = D3DVALUE[4][4];

enum D3DRMLIGHTTYPE : std::uint32_t {
  D3DRMLIGHT_AMBIENT = 0,
  D3DRMLIGHT_POINT = 1,
  D3DRMLIGHT_SPOT = 2,
  D3DRMLIGHT_DIRECTIONAL = 3,
  D3DRMLIGHT_PARALLELPOINT = 4,
};

enum D3DRMWRAPTYPE : std::uint32_t {
  D3DRMWRAP_FLAT = 0,
  D3DRMWRAP_CYLINDER = 1,
  D3DRMWRAP_SPHERE = 2,
  D3DRMWRAP_CHROME = 3,
};

enum D3DRMPROJECTIONTYPE : std::uint32_t {
  D3DRMPROJECT_PERSPECTIVE = 0,
  D3DRMPROJECT_ORTHOGRAPHIC = 1,
};

// How IDirect3DRMFrame::AddTransform combines a matrix M with the frame's matrix F.
enum D3DRMCOMBINETYPE : std::uint32_t {
  D3DRMCOMBINE_REPLACE = 0,  // F := M
  D3DRMCOMBINE_BEFORE = 1,   // F := M × F (M applies first)
  D3DRMCOMBINE_AFTER = 2,    // F := F × M
};

// Where IDirect3DRMMeshBuilder::Load reads from (the low bits) and which object it takes.
using D3DRMLOADOPTIONS = DWORD;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMFILE = 0x00;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMRESOURCE = 0x01;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMMEMORY = 0x02;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMSTREAM = 0x04;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMURL = 0x08;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_BYNAME = 0x10;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_BYPOSITION = 0x20;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_BYGUID = 0x40;
inline constexpr D3DRMLOADOPTIONS D3DRMLOAD_FIRST = 0x80;

// Texture mapping flags of a mesh group.
using D3DRMMAPPING = DWORD;
inline constexpr D3DRMMAPPING D3DRMMAP_WRAPU = 1;
inline constexpr D3DRMMAPPING D3DRMMAP_WRAPV = 2;
inline constexpr D3DRMMAPPING D3DRMMAP_PERSPCORRECT = 4;

using D3DRMGROUPINDEX = LONG;

// One vertex of a mesh group: position, normal, texture coordinates and colour.
struct D3DRMVERTEX {
  D3DVECTOR position;
  D3DVECTOR normal;
  D3DVALUE tu = 0;
  D3DVALUE tv = 0;
  D3DCOLOR color = 0;
};

struct D3DRMPALETTEENTRY {
  BYTE red = 0;
  BYTE green = 0;
  BYTE blue = 0;
  BYTE flags = 0;
};

// The pixels of a texture. rgb is FALSE for a palettised image (depth 8: one palette index
// per byte, palette_size entries in palette) and TRUE for a true-colour one (depth 32, the
// masks say where the channels lie in each 32-bit pixel). Rows are bytes_per_line apart,
// top row first.
struct D3DRMIMAGE {
  int width = 0;
  int height = 0;
  int aspectx = 1;
  int aspecty = 1;
  int depth = 0;
  int rgb = 0;
  int bytes_per_line = 0;
  void* buffer1 = nullptr;
  void* buffer2 = nullptr;
  DWORD red_mask = 0;
  DWORD green_mask = 0;
  DWORD blue_mask = 0;
  DWORD alpha_mask = 0;
  int palette_size = 0;
  D3DRMPALETTEENTRY* palette = nullptr;
};

// Called by IDirect3DRMMeshBuilder::Load for every texture file a mesh's materials name;
// it answers with a texture (one reference, which the mesh builder takes over).
using D3DRMLOADTEXTURECALLBACK = HRESULT (*)(char* TextureName, void* Arg,
                                             IDirect3DRMTexture** Texture);

// Result codes (facility 0x876, as DirectDraw's).
constexpr HRESULT MakeD3DRMHResult(std::uint32_t Code) {
  return MakeHResult(0x88760000u | Code);
}
inline constexpr HRESULT D3DRM_OK = S_OK;
inline constexpr HRESULT D3DRMERR_BADOBJECT = MakeD3DRMHResult(781);
inline constexpr HRESULT D3DRMERR_BADTYPE = MakeD3DRMHResult(782);
inline constexpr HRESULT D3DRMERR_BADALLOC = MakeD3DRMHResult(783);
inline constexpr HRESULT D3DRMERR_FACEUSED = MakeD3DRMHResult(784);
inline constexpr HRESULT D3DRMERR_NOTFOUND = MakeD3DRMHResult(785);
// "Not done yet": the operation exists but its work is not built.
inline constexpr HRESULT D3DRMERR_NOTDONEYET = MakeD3DRMHResult(786);
inline constexpr HRESULT D3DRMERR_FILENOTFOUND = MakeD3DRMHResult(787);
inline constexpr HRESULT D3DRMERR_BADFILE = MakeD3DRMHResult(788);
inline constexpr HRESULT D3DRMERR_BADDEVICE = MakeD3DRMHResult(789);
inline constexpr HRESULT D3DRMERR_BADVALUE = MakeD3DRMHResult(790);
inline constexpr HRESULT D3DRMERR_BADMAJORVERSION = MakeD3DRMHResult(791);
inline constexpr HRESULT D3DRMERR_BADMINORVERSION = MakeD3DRMHResult(792);
inline constexpr HRESULT D3DRMERR_UNABLETOEXECUTE = MakeD3DRMHResult(793);
