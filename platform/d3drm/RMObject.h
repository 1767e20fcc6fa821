// RMObject<Interfaces...>: what every retained-mode object shares, on top of reference
// counting: the IDirect3DRMObject methods (name, class name, application data) and the
// answers to QueryInterface for IUnknown, IDirect3DRMObject and IDirect3DRMVisual.
//
// An object derives from RMObject<its most derived interface> and answers QueryInterface for
// its own IIDs first, then asks AnswerCommon for the shared ones.
#pragma once

#include <cstring>
#include <string>
#include <type_traits>

#include "platform/d3drm/RMInterfaces.h"

namespace platform::d3drm {

// Copies Text into Buffer the way GetName and GetClassName hand text out (see
// IDirect3DRMObject).
HRESULT CopyObjectText(const std::string& Text, DWORD* Size, char* Buffer);

template <class Interface>
class RMObject : public RefCounted<Interface> {
  static_assert(std::is_base_of_v<IDirect3DRMObject, Interface>);

 public:
  HRESULT SetAppData(DWORD Data) override {
    appData_ = Data;
    return D3DRM_OK;
  }
  DWORD GetAppData() override { return appData_; }
  HRESULT SetName(const char* Name) override {
    name_ = Name ? Name : "";
    return D3DRM_OK;
  }
  HRESULT GetName(DWORD* Size, char* Name) override { return CopyObjectText(name_, Size, Name); }
  HRESULT GetClassName(DWORD* Size, char* Name) override {
    return CopyObjectText(className_, Size, Name);
  }

  const std::string& Name() const { return name_; }

 protected:
  explicit RMObject(const char* ClassName) : className_(ClassName) {}

  // The IIDs every retained-mode object answers.
  HRESULT AnswerCommon(REFIID Iid, void** Object) {
    Interface* self = this;
    if (Iid == IID_IUnknown || Iid == IID_IDirect3DRMObject)
      return this->Answer(static_cast<IDirect3DRMObject*>(self), Object);
    if constexpr (std::is_base_of_v<IDirect3DRMVisual, Interface>)
      if (Iid == IID_IDirect3DRMVisual)
        return this->Answer(static_cast<IDirect3DRMVisual*>(self), Object);
    return this->NoInterface(Object);
  }

 private:
  const char* className_;
  std::string name_;
  DWORD appData_ = 0;
};

}  // namespace platform::d3drm
