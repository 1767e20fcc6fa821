// ComPtr<T>: a field that holds one reference to an interface.
//
//   copying          adds a reference ("an added reference")
//   Reset()          gives the reference back only if one is held, then holds nil
//   destruction      gives the reference back
//   Put()            a T** for a call that hands out a new reference (the old one is given
//                    back first), e.g. CreateSurface(&desc, Surface.Put(), nullptr)
//   PutVoid()        the same for QueryInterface's void**
#pragma once

#include <cstddef>
#include <utility>

#include "platform/com/Unknown.h"

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Holds an added reference to Pointer.
  explicit ComPtr(T* Pointer) : pointer_(Pointer) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr(const ComPtr& Other) : ComPtr(Other.pointer_) {}
  ComPtr(ComPtr&& Other) noexcept : pointer_(std::exchange(Other.pointer_, nullptr)) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& Other) {
    ComPtr copy(Other);
    Swap(copy);
    return *this;
  }
  ComPtr& operator=(ComPtr&& Other) noexcept {
    ComPtr taken(std::move(Other));
    Swap(taken);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

  // Takes over a reference that the caller owned (no AddRef).
  void Attach(T* Pointer) {
    Reset();
    pointer_ = Pointer;
  }
  // Gives up the reference without releasing it; the caller now owns it.
  T* Detach() { return std::exchange(pointer_, nullptr); }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  T& operator*() const { return *pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  T** Put() {
    Reset();
    return &pointer_;
  }

  // A void** that lands in this field when the full expression ends.
  class VoidOut {
   public:
    explicit VoidOut(ComPtr& Owner) : owner_(Owner) {}
    VoidOut(const VoidOut&) = delete;
    VoidOut& operator=(const VoidOut&) = delete;
    ~VoidOut() { owner_.Attach(static_cast<T*>(raw_)); }
    operator void**() { return &raw_; }

   private:
    ComPtr& owner_;
    void* raw_ = nullptr;
  };
  VoidOut PutVoid() {
    Reset();
    return VoidOut(*this);
  }

  // QueryInterface on the held object for Iid into Out.
  template <class U>
  HRESULT As(REFIID Iid, ComPtr<U>& Out) const {
    void* raw = nullptr;
    const HRESULT result = pointer_ ? pointer_->QueryInterface(Iid, &raw) : E_POINTER;
    Out.Attach(static_cast<U*>(raw));
    return result;
  }

  void Swap(ComPtr& Other) noexcept { std::swap(pointer_, Other.pointer_); }

  friend bool operator==(const ComPtr& A, const ComPtr& B) { return A.pointer_ == B.pointer_; }
  friend bool operator==(const ComPtr& A, std::nullptr_t) { return A.pointer_ == nullptr; }
  friend bool operator==(const ComPtr& A, const T* B) { return A.pointer_ == B; }

 private:
  T* pointer_ = nullptr;
};
