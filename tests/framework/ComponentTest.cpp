#include "framework/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Exceptions.h"

namespace {

// Records the order of destruction and what its index was at that moment.
class Probe : public TComponent {
 public:
  Probe(TComponent* Owner, std::vector<std::string>* Log, std::string Label)
      : TComponent(Owner), log_(Log), label_(std::move(Label)) {}
  ~Probe() override { log_->push_back(label_ + "@" + std::to_string(ComponentIndex())); }

 private:
  std::vector<std::string>* log_;
  std::string label_;
};

TEST(ComponentTest, ComponentIndexIsThePositionInTheOwnersList) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  auto* c = new TComponent(&owner);
  EXPECT_EQ(owner.ComponentCount(), 3);
  EXPECT_EQ(a->ComponentIndex(), 0);
  EXPECT_EQ(c->ComponentIndex(), 2);
  EXPECT_EQ(owner.Components(1), b);
  EXPECT_EQ(a->Owner(), &owner);
  EXPECT_EQ(owner.ComponentIndex(), -1);
  delete b;  // leaves the list: the later one moves up
  EXPECT_EQ(owner.ComponentCount(), 2);
  EXPECT_EQ(c->ComponentIndex(), 1);
  EXPECT_THROW(owner.Components(2), EListError);
  EXPECT_THROW(owner.Components(-1), EListError);
}

TEST(ComponentTest, TheOwnerDestroysItsComponentsLastFirstWhileTheyAreStillListed) {
  std::vector<std::string> log;
  {
    TComponent owner(nullptr);
    new Probe(&owner, &log, "first");
    new Probe(&owner, &log, "second");
  }
  EXPECT_EQ(log, (std::vector<std::string>{"second@1", "first@0"}));
}

TEST(ComponentTest, OwnershipNests) {
  std::vector<std::string> log;
  auto* top = new TComponent(nullptr);
  auto* middle = new Probe(top, &log, "middle");
  new Probe(middle, &log, "inner");
  delete top;
  EXPECT_EQ(log, (std::vector<std::string>{"middle@0", "inner@0"}));
}

TEST(ComponentTest, ListErrorsCarryTheirIndex) {
  TComponent owner(nullptr);
  try {
    owner.Components(5);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
}

}  // namespace
