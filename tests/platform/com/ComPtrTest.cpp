#include "platform/com/ComPtr.h"

#include <gtest/gtest.h>

namespace {

constexpr IID IID_ICounter = GuidFromString("{11111111-2222-3333-4444-555555555555}");
constexpr IID IID_IOther = GuidFromString("{11111111-2222-3333-4444-666666666666}");

class ICounter : public IUnknown {
 public:
  virtual int Value() = 0;

 protected:
  ~ICounter() = default;
};

// Counts its references so the tests can see every AddRef and Release.
class Counter final : public platform::RefCounted<ICounter> {
 public:
  ULONG AddRef() override {
    ++references;
    return RefCounted::AddRef();
  }
  ULONG Release() override {
    --references;
    return RefCounted::Release();
  }
  HRESULT QueryInterface(REFIID Iid, void** Object) override {
    if (Iid == IID_IUnknown || Iid == IID_ICounter)
      return Answer(static_cast<ICounter*>(this), Object);
    return NoInterface(Object);
  }
  int Value() override { return 42; }

  int references = 1;
};

// Makes a counter and holds its creation reference in a ComPtr.
ComPtr<Counter> MakeCounter(Counter** Raw) {
  ComPtr<Counter> held;
  *Raw = new Counter;
  held.Attach(*Raw);
  return held;
}

TEST(ComPtrTest, CopyingAddsAReferenceAndEachCopyGivesItsOwnBack) {
  Counter* raw = nullptr;
  ComPtr<Counter> first = MakeCounter(&raw);
  EXPECT_EQ(raw->references, 1);
  {
    ComPtr<Counter> second = first;
    EXPECT_EQ(raw->references, 2);
    EXPECT_EQ(second.Get(), raw);
  }
  EXPECT_EQ(raw->references, 1);
}

TEST(ComPtrTest, ResetGivesBackOnlyWhenSetAndCanRunTwice) {
  const long before = platform::LiveObjectCount();
  Counter* raw = nullptr;
  ComPtr<Counter> held = MakeCounter(&raw);
  EXPECT_EQ(platform::LiveObjectCount(), before + 1);
  held.Reset();
  EXPECT_FALSE(held);
  EXPECT_EQ(platform::LiveObjectCount(), before);
  held.Reset();  // nothing held: nothing given back
  EXPECT_EQ(platform::LiveObjectCount(), before);
}

TEST(ComPtrTest, MovingHandsTheReferenceOverWithoutCounting) {
  Counter* raw = nullptr;
  ComPtr<Counter> first = MakeCounter(&raw);
  ComPtr<Counter> second = std::move(first);
  EXPECT_FALSE(first);
  EXPECT_EQ(second.Get(), raw);
  EXPECT_EQ(raw->references, 1);
}

TEST(ComPtrTest, PutGivesBackTheOldReferenceBeforeTakingANewOne) {
  const long before = platform::LiveObjectCount();
  Counter* raw = nullptr;
  ComPtr<Counter> held = MakeCounter(&raw);
  Counter** slot = held.Put();
  EXPECT_EQ(platform::LiveObjectCount(), before);
  *slot = new Counter;
  EXPECT_EQ(platform::LiveObjectCount(), before + 1);
  held.Reset();
  EXPECT_EQ(platform::LiveObjectCount(), before);
}

TEST(ComPtrTest, QueryInterfaceThroughPutVoidLandsAnAddedReference) {
  Counter* raw = nullptr;
  ComPtr<Counter> held = MakeCounter(&raw);
  ComPtr<ICounter> asInterface;
  EXPECT_EQ(held->QueryInterface(IID_ICounter, asInterface.PutVoid()), S_OK);
  ASSERT_TRUE(asInterface);
  EXPECT_EQ(asInterface->Value(), 42);
  EXPECT_EQ(raw->references, 2);
}

TEST(ComPtrTest, AnUnknownInterfaceYieldsNilAndNoReference) {
  Counter* raw = nullptr;
  ComPtr<Counter> held = MakeCounter(&raw);
  ComPtr<ICounter> other;
  EXPECT_EQ(held.As(IID_IOther, other), E_NOINTERFACE);
  EXPECT_FALSE(other);
  EXPECT_EQ(raw->references, 1);
  ComPtr<ICounter> same;
  EXPECT_EQ(held.As(IID_ICounter, same), S_OK);
  EXPECT_EQ(raw->references, 2);
}

TEST(ComPtrTest, ConstructingFromARawPointerAddsAReference) {
  Counter* raw = nullptr;
  ComPtr<Counter> held = MakeCounter(&raw);
  ComPtr<Counter> another(raw);
  EXPECT_EQ(raw->references, 2);
  Counter* detached = another.Detach();
  EXPECT_EQ(detached, raw);
  EXPECT_EQ(raw->references, 2);
  detached->Release();
  EXPECT_EQ(raw->references, 1);
}

}  // namespace
