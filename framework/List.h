// TList: the framework's list, an ordered sequence whose every access by index is checked.
// An index outside the list raises EListError, which reaches the event handler that started
// the work. Items are values: a list of raw pointers refers to objects it does not own, a list
// of std::unique_ptr owns them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "framework/Exceptions.h"

template <class T>
class TList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }

  T& Items(int Index) { return items_[Checked(Index)]; }
  const T& Items(int Index) const { return items_[Checked(Index)]; }
  T& operator[](int Index) { return Items(Index); }
  const T& operator[](int Index) const { return Items(Index); }

  // Appends Item and returns its index.
  int Add(T Item) {
    items_.push_back(std::move(Item));
    return Count() - 1;
  }
  // The index of the first item equal to Item, or -1.
  int IndexOf(const T& Item) const {
    const auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }
  // Removes the first item equal to Item; returns its former index, or -1.
  int Remove(const T& Item) {
    const int index = IndexOf(Item);
    if (index >= 0) items_.erase(items_.begin() + index);
    return index;
  }
  void Delete(int Index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Checked(Index)));
  }
  void Clear() { items_.clear(); }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::size_t Checked(int Index) const {
    if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
    return static_cast<std::size_t>(Index);
  }

  std::vector<T> items_;
};
