#include "framework/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "framework/Exceptions.h"

namespace {

constexpr WORD kAccessMask = 0x0003;
constexpr WORD kSharingMask = 0x00F0;

// The message names the whole path tried, so that a relative name read from the wrong
// working folder shows where it was looked for.
[[noreturn]] void RaiseOpenError(const std::string& FileName, const std::string& Reason) {
  std::error_code ignored;
  const std::filesystem::path tried = std::filesystem::absolute(FileName, ignored);
  throw EFOpenError("Cannot open file \"" + (tried.empty() ? FileName : tried.string()) + "\". " +
                    Reason);
}

}  // namespace

TFileStream::TFileStream(const std::string& FileName, WORD Mode) : fileName_(FileName) {
  if ((Mode & kAccessMask) != fmOpenRead || (Mode & ~(kAccessMask | kSharingMask)) != 0)
    RaiseOpenError(FileName, "Only reading is supported.");
  descriptor_ = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) RaiseOpenError(FileName, std::strerror(errno));
  struct stat status {};
  std::string fault;
  if (::fstat(descriptor_, &status) != 0)
    fault = std::strerror(errno);
  else if (S_ISDIR(status.st_mode))
    fault = "It is a directory.";
  else if (!S_ISREG(status.st_mode))
    fault = "It is not a regular file.";
  if (!fault.empty()) {
    ::close(descriptor_);
    RaiseOpenError(FileName, fault);
  }
  size_ = status.st_size;
}

TFileStream::~TFileStream() {
  ::close(descriptor_);
}

void TFileStream::SetPosition(std::int64_t Value) {
  Seek(Value, soFromBeginning);
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  const std::int64_t base = Origin == soFromBeginning ? 0
                            : Origin == soFromCurrent ? position_
                                                      : size_;
  const std::int64_t target = base + Offset;
  if (target < 0) throw EStreamError("Seek before the start of \"" + fileName_ + "\"");
  position_ = target;
  return position_;
}

int TFileStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || position_ >= size_) return 0;
  auto* bytes = static_cast<char*>(Buffer);
  int total = 0;
  while (total < Count) {
    const ssize_t got =
        ::pread(descriptor_, bytes + total, static_cast<std::size_t>(Count - total), position_);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EReadError("Cannot read \"" + fileName_ + "\". " + std::strerror(errno));
    }
    if (got == 0) break;
    total += static_cast<int>(got);
    position_ += got;
  }
  return total;
}

void TFileStream::ReadBuffer(void* Buffer, int Count) {
  if (Count < 0 || Read(Buffer, Count) != Count)
    throw EReadError("Stream read error: \"" + fileName_ + "\" holds fewer than " +
                     std::to_string(Count) + " more bytes");
}
