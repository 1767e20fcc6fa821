// TFileStream: a file opened for reading, read by byte counts from a position.
//
// Only reading is offered: the model loader and the bitmap loader read whole files through
// it. A file that cannot be opened (missing, unreadable, a directory) raises EFOpenError
// naming the file and the reason, so that the error reaches the event handler that started
// the work and the default error box shows which file it was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/WinTypes.h"

// Open modes. Reading is the only access offered; the sharing flags are accepted and have no
// effect (nothing else in the process writes the files read).
inline constexpr WORD fmOpenRead = 0x0000;
inline constexpr WORD fmShareExclusive = 0x0010;
inline constexpr WORD fmShareDenyWrite = 0x0020;
inline constexpr WORD fmShareDenyNone = 0x0040;

// Origins of Seek.
enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

class TFileStream {
 public:
  // Opens FileName for reading. Mode must be fmOpenRead, optionally with a sharing flag;
  // any other access raises EFOpenError, as does a file that cannot be opened.
  TFileStream(const std::string& FileName, WORD Mode = fmOpenRead);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const std::string& FileName() const { return fileName_; }
  std::int64_t Size() const { return size_; }
  std::int64_t Position() const { return position_; }
  // Positions beyond the end are allowed; reading there gives 0 bytes.
  void SetPosition(std::int64_t Value);
  // Moves the position and returns the new one; a position before the start raises
  // EStreamError.
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin);

  // Reads up to Count bytes into Buffer and returns how many were read (fewer at the end of
  // the file, 0 there). A read error of the system raises EReadError naming the file.
  int Read(void* Buffer, int Count);
  // Reads exactly Count bytes, else raises EReadError naming the file.
  void ReadBuffer(void* Buffer, int Count);

 private:
  std::string fileName_;
  int descriptor_ = -1;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};
