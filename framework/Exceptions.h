// The framework's exceptions. Each carries a message; one that leaves an event handler is
// shown by the framework's default error box and the program carries on.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& Message) : std::runtime_error(Message) {}
  std::string Message() const { return what(); }
};

// A list index outside the list ("List index out of bounds (5)").
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// Throws EListError for Index.
[[noreturn]] void RaiseListIndexError(long long Index);
