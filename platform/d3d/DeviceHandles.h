// The handles one material or texture holds on devices: one per device it was asked for. The
// devices' cores are held weakly, so the object and the device may go in either order; the
// object's destructor makes every live device forget its handle.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/d3d/DeviceCore.h"

namespace platform {

class DeviceHandles {
 public:
  // The handle on Device, made by Add(core) the first time it is asked for. Fails with
  // DDERR_INVALIDPARAMS for a device that is not one of ours.
  template <class AddFn>
  HRESULT Get(IDirect3DDevice2* Device, DWORD* Handle, AddFn Add) {
    if (!Handle) return DDERR_INVALIDPARAMS;
    *Handle = 0;
    const std::shared_ptr<DeviceCore> core = CoreOf(Device);
    if (!core) return DDERR_INVALIDPARAMS;
    for (auto& [known, handle] : handles_) {
      if (known.lock() == core) {
        *Handle = handle;
        return S_OK;
      }
    }
    *Handle = Add(*core);
    handles_.emplace_back(core, *Handle);
    return S_OK;
  }

  // Calls Forget(core, handle) for every device still alive.
  template <class ForgetFn>
  void ForgetAll(ForgetFn Forget) {
    for (auto& [core, handle] : handles_) {
      if (auto live = core.lock()) Forget(*live, handle);
    }
    handles_.clear();
  }

 private:
  std::vector<std::pair<std::weak_ptr<DeviceCore>, DWORD>> handles_;
};

}  // namespace platform
