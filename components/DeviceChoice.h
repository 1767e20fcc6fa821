// How the 3D view picks its Direct3D device and z-buffer depth from the driver's device list,
// and the texture format it keeps from those the device offers.
#pragma once

#include <cstdint>

#include "components/KorvelGEnum.h"
#include "platform/d3d/D3DCaps.h"

// The deepest z-buffer depth a description offers: 32, 24, 16 or 8 bits, else 0.
int32_t DepthOf(const D3DDEVICEDESC& Desc);

// A device is a hardware device when its hardware description names a colour model.
bool IsHardwareDevice(const T3DDeviceRec& Device);

struct TDeviceChoice {
  int32_t Index = -1;         // index in the device list, or -1 when the choice names no device
  int32_t Depth = 0;          // z-buffer depth, 0 when none was found
  bool Hardware = false;      // whether the chosen device is a hardware device
  bool SetsHardware = false;  // false when the choice leaves Hardware3D as it was
};

// Choice -1 takes the first software device, -2 the first hardware device (else entry 0 with
// its emulation depth), -3 the last software device, n >= 0 entry n. A choice that finds no
// device, or an n outside the list, gives Index -1.
TDeviceChoice ChooseDevice(const TList<std::unique_ptr<T3DDeviceRec>>* Devices, int32_t Choice);

// The texture-format enumeration callback: keeps in the context (a DDSURFACEDESC) the first
// offered format of the smallest bit count of at least 8, among palettised formats and RGB
// formats without alpha. Always asks for the next format.
HRESULT EnumTextureFormat(DDSURFACEDESC* Offered, LPVOID Context);
