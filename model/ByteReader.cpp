#include "model/ByteReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

TKorByteReader::TKorByteReader(std::span<const uint8_t> Bytes, std::string FileName)
    : bytes_(Bytes), fileName_(std::move(FileName)) {}

void TKorByteReader::Need(int64_t Count, const char* Field) const {
  if (Count <= Remaining()) return;
  if (Remaining() == 0) {
    Fail(Size(), "the file ends where " + std::string(Field) + " should start (it is truncated)");
  }
  Fail(Size(), "the file ends " + Quantity(Remaining(), "byte", "bytes") + " into " + Field +
                   ", which needs " + std::to_string(Count) + " (it is truncated)");
}

uint32_t TKorByteReader::ReadUInt32(const char* Field) {
  Need(4, Field);
  const uint8_t* p = bytes_.data() + offset_;
  offset_ += 4;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int32_t TKorByteReader::ReadInt32(const char* Field) {
  return static_cast<int32_t>(ReadUInt32(Field));
}

uint16_t TKorByteReader::ReadUInt16(const char* Field) {
  Need(2, Field);
  const uint8_t* p = bytes_.data() + offset_;
  offset_ += 2;
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

float TKorByteReader::ReadFloat(const char* Field) {
  const int64_t at = offset_;
  const uint32_t bits = ReadUInt32(Field);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  // Every float of the format is a coordinate, a normal, a texture coordinate or a matrix
  // element: none may be NaN or infinite, which would poison every sum it enters.
  if (!std::isfinite(value))
    Fail(at, std::string(Field) + " is " + (std::isnan(value) ? "NaN" : "infinite") +
                 "; every number in the file must be finite");
  return value;
}

void TKorByteReader::ReadRaw(void* Out, int64_t Count, const char* Field) {
  Need(Count, Field);
  std::memcpy(Out, bytes_.data() + offset_, static_cast<size_t>(Count));
  offset_ += Count;
}

int32_t TKorByteReader::ReadCount(const char* Field) {
  const int64_t at = offset_;
  const int32_t count = ReadInt32(Field);
  if (count < 0)
    Fail(at, std::string(Field) + " is " + std::to_string(count) + "; a count cannot be negative");
  return count;
}

std::string TKorByteReader::ReadName(int32_t MaxLength, const char* Field) {
  const int64_t at = offset_;
  const int64_t limit = std::min<int64_t>(Remaining(), int64_t{MaxLength} + 1);
  const uint8_t* start = bytes_.data() + offset_;
  const void* zero = std::memchr(start, 0, static_cast<size_t>(limit));
  if (zero == nullptr) {
    if (limit > MaxLength) {
      Fail(at + MaxLength, std::string(Field) + " is longer than " + std::to_string(MaxLength) +
                               " bytes (its byte " + std::to_string(MaxLength + 1) +
                               ", here, is not the ending 0)");
    }
    Fail(Size(), std::string(Field) + " has no terminating 0 byte before the end of the file (it " +
                     "is truncated)");
  }
  const auto length = static_cast<const uint8_t*>(zero) - start;
  offset_ += length + 1;
  return std::string(reinterpret_cast<const char*>(start), static_cast<size_t>(length));
}

void TKorByteReader::Fail(int64_t At, const std::string& What) const {
  std::string where;
  if (Place.Object >= 0) where = "object " + std::to_string(Place.Object);
  if (Place.Record != nullptr) {
    if (!where.empty()) where += ", ";
    where += std::string(Place.Record) + " " + std::to_string(Place.Index);
  }
  throw EKorModelError(fileName_, At, where.empty() ? What : where + ": " + What);
}
