#include "components/KorvelGEnum.h"

#include "platform/com/ComPtr.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DirectDraw.h"

namespace {

HRESULT ModeCallback(DDSURFACEDESC* Desc, LPVOID Context) {
  auto mode = std::make_unique<TDisplayModeRec>();
  mode->Width = Desc->dwWidth;
  mode->Height = Desc->dwHeight;
  mode->RefreshRate = Desc->dwRefreshRate;
  mode->Desc = *Desc;
  static_cast<TList<std::unique_ptr<TDisplayModeRec>>*>(Context)->Add(std::move(mode));
  return DDENUMRET_OK;
}

HRESULT DeviceCallback(GUID* Guid, const char* Description, const char* Name, D3DDEVICEDESC* HWDesc,
                       D3DDEVICEDESC* HELDesc, LPVOID Context) {
  auto device = std::make_unique<T3DDeviceRec>();
  device->Guid = *Guid;
  device->Description = Description;
  device->Name = Name;
  device->HWDesc = *HWDesc;
  device->HELDesc = *HELDesc;
  static_cast<TList<std::unique_ptr<T3DDeviceRec>>*>(Context)->Add(std::move(device));
  return D3DENUMRET_OK;
}

// Steps 2 to 4 of one driver: caps and display modes.
void ReadCapsAndModes(IDirectDraw* DirectDraw, TDrawDriverRec& Record) {
  Record.DriverCaps.dwSize = sizeof(DDCAPS);
  Record.HELCaps.dwSize = sizeof(DDCAPS);
  DirectDraw->GetCaps(&Record.DriverCaps, &Record.HELCaps);
  Record.Has3D = (Record.DriverCaps.dwCaps & DDCAPS_3D) ? -1 : 0;
  Record.HasTexture = (Record.DriverCaps.ddsCaps.dwCaps & DDSCAPS_TEXTURE) ? -1 : 0;
  DirectDraw->EnumDisplayModes(0, nullptr, &Record.Modes, ModeCallback);
}

// Step 5: the Direct3D devices, through IDirectDraw2 and its Direct3D object. The three
// interfaces are given back in the order IDirect3D2, IDirectDraw2 (and then the caller's
// IDirectDraw), each only if it was obtained.
void ReadDevices(IDirectDraw* DirectDraw, TDrawDriverRec& Record) {
  ComPtr<IDirectDraw2> directDraw2;
  ComPtr<IDirect3D2> direct3D;
  DirectDraw->QueryInterface(IID_IDirectDraw2, directDraw2.PutVoid());
  if (directDraw2) directDraw2->QueryInterface(IID_IDirect3D2, direct3D.PutVoid());
  if (direct3D) direct3D->EnumDevices(DeviceCallback, &Record.Devices);
  direct3D.Reset();
  directDraw2.Reset();
}

BOOL DriverCallback(GUID* Guid, const char* Description, const char* Name, LPVOID Context) {
  ComPtr<IDirectDraw> directDraw;
  DirectDrawCreate(Guid, directDraw.Put(), nullptr);
  if (!directDraw) return TRUE;  // a driver that does not open is not listed
  auto record = std::make_unique<TDrawDriverRec>();
  if (Guid) record->Guid = *Guid;
  record->Description = Description;
  record->Name = Name;
  ReadCapsAndModes(directDraw.Get(), *record);
  ReadDevices(directDraw.Get(), *record);
  directDraw.Reset();
  static_cast<TDrawDriverList*>(Context)->Add(std::move(record));
  return TRUE;
}

}  // namespace

void EnumerateDrawDrivers(TDrawDriverList& List) {
  DirectDrawEnumerateA(DriverCallback, &List);
}
