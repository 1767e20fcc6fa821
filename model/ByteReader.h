// Bounded reading of little-endian fields from a file held in memory. Every read checks that
// the field lies inside the file, so an untrusted file can never make the reader look past its
// end; every failure is an EKorModelError naming the file, the byte offset and the place in the
// file's structure ("object 2, face 7") where it happened.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "model/ModelError.h"

// Where in the file's structure reading is, kept up to date by the caller with plain stores so
// that messages can name it without building text on the good path.
struct TKorReadPlace {
  int32_t Object = -1;           // object block, or -1 outside the object list
  const char* Record = nullptr;  // "texture name", "vertex", "face", "point", "plain face"
  int32_t Index = -1;            // record number within the object (or the table)
};

class TKorByteReader {
 public:
  // Bytes must outlive the reader. FileName is used in messages only.
  TKorByteReader(std::span<const uint8_t> Bytes, std::string FileName);

  int64_t Offset() const { return offset_; }
  int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
  int64_t Remaining() const { return Size() - offset_; }
  const std::string& FileName() const { return fileName_; }

  // Each read names its field for the message when the file ends inside it.
  int32_t ReadInt32(const char* Field);
  uint32_t ReadUInt32(const char* Field);
  uint16_t ReadUInt16(const char* Field);
  // A float that is neither NaN nor infinite; any other fails.
  float ReadFloat(const char* Field);
  // Count bytes copied as they are.
  void ReadRaw(void* Out, int64_t Count, const char* Field);

  // A count that must not be negative.
  int32_t ReadCount(const char* Field);

  // A run of bytes ended by a 0 byte; the 0 is consumed, not returned. Fails at the byte that
  // should have been the 0 when more than MaxLength bytes come before it, and where the file
  // ends when it ends first.
  std::string ReadName(int32_t MaxLength, const char* Field);

  // How many records of at least RecordBytes each the rest of the file could hold.
  int64_t RoomFor(int64_t RecordBytes) const { return Remaining() / RecordBytes; }

  // Throws EKorModelError for the fault What at byte At, prefixed with the current Place.
  [[noreturn]] void Fail(int64_t At, const std::string& What) const;

  TKorReadPlace Place;

 private:
  // Fails unless Count bytes follow the current offset; a file that ends sooner is reported
  // at the byte where it ends.
  void Need(int64_t Count, const char* Field) const;

  std::span<const uint8_t> bytes_;
  std::string fileName_;
  int64_t offset_ = 0;
};
