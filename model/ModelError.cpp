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

std::string Grouped(int64_t Number) {
  const std::string digits = std::to_string(Number);
  const size_t first = Number < 0 ? 1 : 0;  // the sign is not a digit
  std::string out = digits.substr(0, first);
  for (size_t i = first; i < digits.size(); ++i) {
    if (i > first && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string Quantity(int64_t Count, const char* One, const char* Many) {
  return Grouped(Count) + " " + (Count == 1 ? One : Many);
}
