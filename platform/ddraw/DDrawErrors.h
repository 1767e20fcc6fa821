// DirectDraw result codes under their DirectX names and values (facility 0x876).
#pragma once

#include "platform/com/HResult.h"

constexpr HRESULT MakeDDHResult(std::uint32_t Code) {
  return MakeHResult(0x88760000u | Code);
}

inline constexpr HRESULT DD_OK = S_OK;
inline constexpr HRESULT DDERR_GENERIC = E_FAIL;
inline constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
inline constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
inline constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MakeDDHResult(10);
inline constexpr HRESULT DDERR_CANNOTDETACHSURFACE = MakeDDHResult(20);
inline constexpr HRESULT DDERR_INVALIDCAPS = MakeDDHResult(100);
inline constexpr HRESULT DDERR_INVALIDMODE = MakeDDHResult(120);
inline constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDHResult(130);
inline constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDHResult(145);
inline constexpr HRESULT DDERR_INVALIDRECT = MakeDDHResult(150);
inline constexpr HRESULT DDERR_NOCLIPLIST = MakeDDHResult(205);
inline constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDHResult(212);
inline constexpr HRESULT DDERR_NOCOLORKEY = MakeDDHResult(215);
inline constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDHResult(225);
inline constexpr HRESULT DDERR_NOTFOUND = MakeDDHResult(255);
inline constexpr HRESULT DDERR_SURFACEALREADYATTACHED = MakeDDHResult(410);
inline constexpr HRESULT DDERR_SURFACEBUSY = MakeDDHResult(430);
inline constexpr HRESULT DDERR_SURFACELOST = MakeDDHResult(450);
inline constexpr HRESULT DDERR_SURFACENOTATTACHED = MakeDDHResult(460);
inline constexpr HRESULT DDERR_TOOBIGSIZE = MakeDDHResult(480);
inline constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeDDHResult(561);
inline constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDHResult(564);
inline constexpr HRESULT DDERR_NOCLIPPERATTACHED = MakeDDHResult(568);
inline constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDHResult(572);
inline constexpr HRESULT DDERR_BLTFASTCANTCLIP = MakeDDHResult(574);
inline constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDDHResult(581);
inline constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDHResult(582);
inline constexpr HRESULT DDERR_NOTLOCKED = MakeDDHResult(584);
inline constexpr HRESULT DDERR_CANTCREATEDC = MakeDDHResult(585);
inline constexpr HRESULT DDERR_NODC = MakeDDHResult(586);
inline constexpr HRESULT DDERR_WRONGMODE = MakeDDHResult(587);
inline constexpr HRESULT DDERR_DCALREADYCREATED = MakeDDHResult(620);
