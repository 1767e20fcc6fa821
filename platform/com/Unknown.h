// IUnknown-style objects: every platform object is reached through abstract interfaces that
// count references (AddRef/Release) and answer QueryInterface by IID. An object lives while it
// has references and deletes itself when the last one is given back.
//
// Implementations derive from RefCounted<Interfaces...>, which supplies the counting; each
// writes its own QueryInterface. Tests replace any interface by a recording fake, since the
// callers see nothing but the abstract classes.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

class IUnknown {
 public:
  // On success *Object receives the interface named by Iid with an added reference; on
  // failure it receives nullptr and the result is E_NOINTERFACE.
  virtual HRESULT QueryInterface(REFIID Iid, void** Object) = 0;
  // Both return the count after the change (informational only, as in COM).
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  // Objects are deleted by their last Release, never through an interface pointer.
  ~IUnknown() = default;
};

namespace platform {

// How many reference-counted platform objects are alive in the process; compared before and
// after a piece of work, it finds references that were never given back.
long LiveObjectCount();

// Keeps LiveObjectCount up to date for the object it is a member of.
class LiveObjectCounter {
 public:
  LiveObjectCounter();
  LiveObjectCounter(const LiveObjectCounter&);
  ~LiveObjectCounter();
  LiveObjectCounter& operator=(const LiveObjectCounter&) = default;
};

// Reference counting for an object that implements Interfaces (each derived from IUnknown).
// A new object starts with one reference, owned by whoever created it.
template <class... Interfaces>
class RefCounted : public Interfaces... {
 public:
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  ULONG AddRef() override { return ++references_; }

  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  RefCounted() = default;
  virtual ~RefCounted() = default;

  // Answers a QueryInterface with Interface and an added reference.
  template <class Interface>
  HRESULT Answer(Interface* Itf, void** Object) {
    *Object = Itf;
    AddRef();
    return S_OK;
  }

  // Answers a QueryInterface that asked for something this object does not offer.
  static HRESULT NoInterface(void** Object) {
    *Object = nullptr;
    return E_NOINTERFACE;
  }

 private:
  ULONG references_ = 1;
  LiveObjectCounter counter_;
};

}  // namespace platform
