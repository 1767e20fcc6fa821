#include "components/DeviceChoice.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/d3d/D3DInterfaces.h"

namespace {

using DeviceList = TList<std::unique_ptr<T3DDeviceRec>>;

std::unique_ptr<T3DDeviceRec> Device(const char* name, bool hardware, DWORD hwDepths,
                                     DWORD helDepths) {
  auto device = std::make_unique<T3DDeviceRec>();
  device->Name = name;
  device->HWDesc.dcmColorModel = hardware ? 2 : 0;
  device->HWDesc.dwDeviceZBufferBitDepth = hwDepths;
  device->HELDesc.dwDeviceZBufferBitDepth = helDepths;
  return device;
}

// Software A, hardware B, software C, each with different depths so the one used shows.
DeviceList SoftwareHardwareSoftware() {
  DeviceList list;
  list.Add(Device("A", false, 0, DDBD_16));
  list.Add(Device("B", true, DDBD_24 | DDBD_16, DDBD_16));
  list.Add(Device("C", false, 0, DDBD_32));
  return list;
}

TEST(DeviceChoice, EachAutomaticChoiceFindsItsDeviceAndDepth) {
  const DeviceList list = SoftwareHardwareSoftware();
  const TDeviceChoice first = ChooseDevice(&list, -1);
  EXPECT_EQ(first.Index, 0);
  EXPECT_EQ(first.Depth, 16);
  EXPECT_FALSE(first.Hardware);
  const TDeviceChoice hardware = ChooseDevice(&list, -2);
  EXPECT_EQ(hardware.Index, 1);
  EXPECT_EQ(hardware.Depth, 24);  // 0x600: the deeper of 24 and 16
  EXPECT_TRUE(hardware.Hardware);
  const TDeviceChoice last = ChooseDevice(&list, -3);
  EXPECT_EQ(last.Index, 2);
  EXPECT_EQ(last.Depth, 32);
}

TEST(DeviceChoice, HardwareChoiceWithoutHardwareTakesEntryZeroWithItsEmulationDepth) {
  DeviceList list;
  list.Add(Device("A", false, 0, DDBD_32));
  list.Add(Device("C", false, 0, DDBD_16));
  const TDeviceChoice choice = ChooseDevice(&list, -2);
  EXPECT_EQ(choice.Index, 0);
  EXPECT_EQ(choice.Depth, 32);
  EXPECT_FALSE(choice.Hardware);
  EXPECT_TRUE(choice.SetsHardware);
}

TEST(DeviceChoice, AnIndexUsesTheDescriptionOfItsKindAndLeavesHardware3D) {
  const DeviceList list = SoftwareHardwareSoftware();
  const TDeviceChoice choice = ChooseDevice(&list, 1);
  EXPECT_EQ(choice.Index, 1);
  EXPECT_EQ(choice.Depth, 24);
  EXPECT_FALSE(choice.SetsHardware);
  EXPECT_EQ(ChooseDevice(&list, 2).Depth, 32);
}

TEST(DeviceChoice, ChoicesThatNameNoDeviceGiveNoIndex) {
  DeviceList hardwareOnly;
  hardwareOnly.Add(Device("B", true, DDBD_16, 0));
  EXPECT_EQ(ChooseDevice(&hardwareOnly, -1).Index, -1);
  EXPECT_EQ(ChooseDevice(&hardwareOnly, -3).Index, -1);
  EXPECT_EQ(ChooseDevice(&hardwareOnly, 5).Index, -1);
  EXPECT_EQ(ChooseDevice(nullptr, -2).Index, -1);
  DeviceList empty;
  EXPECT_EQ(ChooseDevice(&empty, -2).Index, -1);
}

TEST(DeviceChoice, DepthMasks) {
  D3DDEVICEDESC desc{};
  desc.dwDeviceZBufferBitDepth = 0x600;
  EXPECT_EQ(DepthOf(desc), 24);
  desc.dwDeviceZBufferBitDepth = 0;
  EXPECT_EQ(DepthOf(desc), 0);
  desc.dwDeviceZBufferBitDepth = DDBD_8;
  EXPECT_EQ(DepthOf(desc), 8);
}

DDSURFACEDESC Offered(DWORD flags, DWORD bits) {
  DDSURFACEDESC desc{};
  desc.ddpfPixelFormat.dwFlags = flags;
  desc.ddpfPixelFormat.dwRGBBitCount = bits;
  return desc;
}

DDPIXELFORMAT Enumerate(std::initializer_list<DDSURFACEDESC> offers) {
  DDSURFACEDESC kept{};
  for (DDSURFACEDESC offer : offers) EXPECT_EQ(EnumTextureFormat(&offer, &kept), D3DENUMRET_OK);
  return kept.ddpfPixelFormat;
}

TEST(EnumTextureFormat, KeepsTheFirstOfTheSmallestUsableBitCount) {
  const DDPIXELFORMAT palettised = Enumerate(
      {Offered(DDPF_RGB, 16), Offered(DDPF_PALETTEINDEXED8 | DDPF_RGB, 8), Offered(DDPF_RGB, 24)});
  EXPECT_EQ(palettised.dwRGBBitCount, 8u);
  EXPECT_TRUE(palettised.dwFlags & DDPF_PALETTEINDEXED8);

  const DDPIXELFORMAT rgb = Enumerate({Offered(DDPF_RGB, 16), Offered(DDPF_RGB, 32)});
  EXPECT_EQ(rgb.dwRGBBitCount, 16u);

  const DDPIXELFORMAT alphaOnly = Enumerate(
      {Offered(DDPF_RGB | DDPF_ALPHAPIXELS, 16), Offered(DDPF_RGB | DDPF_ALPHAPIXELS, 32)});
  EXPECT_EQ(alphaOnly.dwRGBBitCount, 0u);
  EXPECT_EQ(alphaOnly.dwFlags, 0u);

  // 4-bit palettised and 8-bit formats that are neither palettised nor RGB are skipped.
  const DDPIXELFORMAT skipped =
      Enumerate({Offered(DDPF_PALETTEINDEXED4, 4), Offered(0, 8), Offered(DDPF_RGB, 16)});
  EXPECT_EQ(skipped.dwRGBBitCount, 16u);
}

}  // namespace
