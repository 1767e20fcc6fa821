#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

HRESULT CopyObjectText(const std::string& Text, DWORD* Size, char* Buffer) {
  if (!Size) return D3DRMERR_BADVALUE;
  const DWORD needed = static_cast<DWORD>(Text.size() + 1);
  if (Buffer) {
    if (*Size < needed) return D3DRMERR_BADVALUE;
    std::memcpy(Buffer, Text.c_str(), needed);
  }
  *Size = needed;
  return D3DRM_OK;
}

}  // namespace platform::d3drm
