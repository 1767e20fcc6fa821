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

// A call that is not allowed in the object's state ("Cannot make a visible window modal").
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// Files: one that cannot be opened or written (the message names the file), a read that
// cannot deliver the bytes asked for.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A picture file that holds no valid image (the message names the file).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// Throws EListError for Index.
[[noreturn]] void RaiseListIndexError(long long Index);
