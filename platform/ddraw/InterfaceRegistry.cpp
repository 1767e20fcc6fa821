#include "platform/ddraw/InterfaceRegistry.h"

#include <vector>

namespace platform {
namespace {

struct DirectDrawEntry {
  IID iid;
  DirectDrawInterfaceMaker maker;
};

struct SurfaceEntry {
  IID iid;
  DWORD requiredCaps;
  SurfaceInterfaceMaker maker;
};

// Made on first use: registrations run during static initialisation of other units.
std::vector<DirectDrawEntry>& DirectDrawEntries() {
  static std::vector<DirectDrawEntry> entries;
  return entries;
}

std::vector<SurfaceEntry>& SurfaceEntries() {
  static std::vector<SurfaceEntry> entries;
  return entries;
}

}  // namespace

void RegisterDirectDrawInterface(const IID& Iid, DirectDrawInterfaceMaker Maker) {
  for (DirectDrawEntry& entry : DirectDrawEntries()) {
    if (entry.iid == Iid) {
      entry.maker = Maker;
      return;
    }
  }
  DirectDrawEntries().push_back({Iid, Maker});
}

void RegisterSurfaceInterface(const IID& Iid, DWORD RequiredCaps, SurfaceInterfaceMaker Maker) {
  for (SurfaceEntry& entry : SurfaceEntries()) {
    if (entry.iid == Iid) {
      entry = {Iid, RequiredCaps, Maker};
      return;
    }
  }
  SurfaceEntries().push_back({Iid, RequiredCaps, Maker});
}

DirectDrawInterfaceMaker FindDirectDrawInterface(const IID& Iid) {
  for (const DirectDrawEntry& entry : DirectDrawEntries()) {
    if (entry.iid == Iid) return entry.maker;
  }
  return nullptr;
}

SurfaceInterfaceMaker FindSurfaceInterface(const IID& Iid, DWORD Caps) {
  for (const SurfaceEntry& entry : SurfaceEntries()) {
    if (entry.iid == Iid && (Caps & entry.requiredCaps) == entry.requiredCaps) return entry.maker;
  }
  return nullptr;
}

}  // namespace platform
