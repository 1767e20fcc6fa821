// The one exception of the converter: a message for the user that names the file, the mesh or
// the limit concerned. The command prints it on stderr and exits with a non-zero status.
#pragma once

#include <stdexcept>
#include <string>

class EKorConvertError : public std::runtime_error {
 public:
  explicit EKorConvertError(const std::string& What);
};
