// TStrings: an ordered list of texts, as a list box holds its items. OnChange runs after
// every change.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TStrings {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // The text at Index (EListError outside the list).
  const std::string& Strings(int Index) const;
  const std::string& operator[](int Index) const { return Strings(Index); }
  // Appends Text and returns its index.
  int Add(const std::string& Text);
  void Clear();

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }

  std::vector<std::string> items_;
};
