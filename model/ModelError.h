// The one exception a model file raises when it cannot be read: it names the file, the byte
// offset where reading went wrong and what was wrong there, so a broken file can be found with
// a hex viewer.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class EKorModelError : public std::runtime_error {
 public:
  // Offset is the byte where the faulty field starts; NoOffset when the fault has no place in
  // the file (it cannot be opened).
  static constexpr int64_t NoOffset = -1;

  EKorModelError(const std::string& FileName, int64_t Offset, const std::string& What);

  const std::string& FileName() const { return fileName_; }
  int64_t Offset() const { return offset_; }
  // The fault without the file name and offset.
  const std::string& Problem() const { return problem_; }

 private:
  std::string fileName_;
  int64_t offset_;
  std::string problem_;
};

// A number for messages with its thousands grouped: "2,000,000".
std::string Grouped(int64_t Number);

// A count with its noun for messages: "1 face", "2,000,000 vertices".
std::string Quantity(int64_t Count, const char* One, const char* Many);
