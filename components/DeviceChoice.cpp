#include "components/DeviceChoice.h"

#include "platform/d3d/D3DInterfaces.h"

int32_t DepthOf(const D3DDEVICEDESC& Desc) {
  const DWORD depths = Desc.dwDeviceZBufferBitDepth;
  if (depths & DDBD_32) return 32;
  if (depths & DDBD_24) return 24;
  if (depths & DDBD_16) return 16;
  if (depths & DDBD_8) return 8;
  return 0;
}

bool IsHardwareDevice(const T3DDeviceRec& Device) {
  return Device.HWDesc.dcmColorModel != 0;
}

namespace {

TDeviceChoice Take(const T3DDeviceRec& device, int32_t index, bool hardwareDepth) {
  TDeviceChoice choice;
  choice.Index = index;
  choice.Hardware = IsHardwareDevice(device);
  choice.Depth = DepthOf(hardwareDepth ? device.HWDesc : device.HELDesc);
  choice.SetsHardware = true;
  return choice;
}

}  // namespace

TDeviceChoice ChooseDevice(const TList<std::unique_ptr<T3DDeviceRec>>* Devices, int32_t Choice) {
  const int32_t count = Devices ? Devices->Count() : 0;
  auto at = [&](int32_t i) -> const T3DDeviceRec& { return *Devices->Items(i); };
  switch (Choice) {
    case -1:
      for (int32_t i = 0; i < count; ++i) {
        if (!IsHardwareDevice(at(i))) return Take(at(i), i, false);
      }
      return {};
    case -2: {
      for (int32_t i = 0; i < count; ++i) {
        if (IsHardwareDevice(at(i))) {
          TDeviceChoice choice = Take(at(i), i, true);
          if (choice.Depth != 0) return choice;
          break;
        }
      }
      // No hardware device (or one without depth): entry 0 with its emulation depth.
      if (count > 0) return Take(at(0), 0, false);
      return {};
    }
    case -3:
      for (int32_t i = count - 1; i >= 0; --i) {
        if (!IsHardwareDevice(at(i))) return Take(at(i), i, false);
      }
      return {};
    default: {
      if (Choice < 0 || Choice >= count) return {};
      const bool hardware = IsHardwareDevice(at(Choice));
      TDeviceChoice choice = Take(at(Choice), Choice, hardware);
      choice.SetsHardware = false;  // the dialog already decided Hardware3D
      return choice;
    }
  }
}

HRESULT EnumTextureFormat(DDSURFACEDESC* Offered, LPVOID Context) {
  const DDPIXELFORMAT& offered = Offered->ddpfPixelFormat;
  DDPIXELFORMAT& kept = static_cast<DDSURFACEDESC*>(Context)->ddpfPixelFormat;
  const DWORD bits = offered.dwRGBBitCount;
  if (offered.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) return D3DENUMRET_OK;
  if (bits <= 8 && !(offered.dwFlags & (DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8)))
    return D3DENUMRET_OK;
  if (bits > 8 && !(offered.dwFlags & DDPF_RGB)) return D3DENUMRET_OK;
  if (bits < 8) return D3DENUMRET_OK;
  if (kept.dwRGBBitCount != 0 && bits >= kept.dwRGBBitCount) return D3DENUMRET_OK;
  kept = offered;
  return D3DENUMRET_OK;
}
