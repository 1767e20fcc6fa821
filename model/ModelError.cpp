#include "model/ModelError.h"

namespace {

std::string Compose(const std::string& fileName, int64_t offset, const std::string& what) {
  if (offset == EKorModelError::NoOffset) return fileName + ": " + what;
  return fileName + ": byte " + std::to_string(offset) + ": " + what;
}

}  // namespace

EKorModelError::EKorModelError(const std::string& FileName, int64_t Offset, const std::string& What)
    : std::runtime_error(Compose(FileName, Offset, What)),
      fileName_(FileName),
      offset_(Offset),
      problem_(What) {}
