#include "framework/Strings.h"

#include "framework/Exceptions.h"

const std::string& TStrings::Strings(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
  return items_[static_cast<std::size_t>(Index)];
}

int TStrings::Add(const std::string& Text) {
  items_.push_back(Text);
  Changed();
  return Count() - 1;
}

void TStrings::Clear() {
  items_.clear();
  Changed();
}
