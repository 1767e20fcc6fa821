// TComponent: an object with an owner. The owner keeps a list of its components and destroys
// them, last first, when it is destroyed itself; a component destroyed earlier leaves its
// owner's list. ComponentIndex is the component's position in that list.
#pragma once

#include <string>
#include <vector>

#include "framework/Object.h"

class TComponent : public TObject {
 public:
  // Owner may be nullptr (a component nobody owns).
  explicit TComponent(TComponent* Owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // The component at Index in this owner's list (EListError outside the list).
  TComponent* Components(int Index) const;
  // Position in the owner's list; -1 without an owner.
  int ComponentIndex() const;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& Name) { name_ = Name; }

  // Destroys every owned component, last first.
  void DestroyComponents();

 private:
  TComponent* owner_;
  std::vector<TComponent*> components_;
  std::string name_;
};
