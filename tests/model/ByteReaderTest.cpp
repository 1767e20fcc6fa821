#include "model/ByteReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/KorWriter.h"

namespace {

// Runs Read and returns the message it fails with, or "" when it does not fail.
template <typename F>
std::string FailureOf(F Read) {
  try {
    Read();
  } catch (const EKorModelError& error) {
    return error.what();
  }
  return "";
}

TEST(ByteReader, ReadsLittleEndianFieldsAsTheWriterWroteThem) {
  TKorByteWriter out;
  out.Int32(-2);
  out.UInt32(0x80FF0102u);
  out.UInt16(0xBEEF);
  out.Float(-1.5f);
  out.Name("name");
  const std::vector<uint8_t> bytes = out.Data();
  EXPECT_EQ(bytes[0], 0xFE);
  EXPECT_EQ(bytes[4], 0x02);
  EXPECT_EQ(bytes[7], 0x80);
  TKorByteReader in(bytes, "f.kor");
  EXPECT_EQ(in.ReadInt32("a"), -2);
  EXPECT_EQ(in.ReadUInt32("b"), 0x80FF0102u);
  EXPECT_EQ(in.ReadUInt16("c"), 0xBEEF);
  EXPECT_EQ(in.ReadFloat("d"), -1.5f);
  EXPECT_EQ(in.ReadName(255, "e"), "name");
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(in.Offset(), 19);
}

TEST(ByteReader, AShortReadNamesFileOffsetPlaceAndField) {
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6};
  TKorByteReader in(bytes, "f.kor");
  in.ReadInt32("first");
  in.Place = {3, "vertex", 9};
  // Reported where the file ends, not where the field starts.
  EXPECT_EQ(FailureOf([&] { in.ReadFloat("NZ"); }),
            "f.kor: byte 6: object 3, vertex 9: the file ends 2 bytes into NZ, which needs 4 (it "
            "is truncated)");
  // A failed read consumes nothing.
  EXPECT_EQ(in.Offset(), 4);
  EXPECT_EQ(in.ReadUInt16("rest"), 0x0605);
  EXPECT_EQ(FailureOf([&] { in.ReadUInt16("last"); }),
            "f.kor: byte 6: object 3, vertex 9: the file ends where last should start (it is "
            "truncated)");
}

TEST(ByteReader, NegativeCountsAreRefused) {
  TKorByteWriter out;
  out.Int32(0);
  out.Int32(-7);
  TKorByteReader in(out.Data(), "f.kor");
  EXPECT_EQ(in.ReadCount("A"), 0);
  EXPECT_EQ(FailureOf([&] { in.ReadCount("B"); }),
            "f.kor: byte 4: B is -7; a count cannot be negative");
}

TEST(ByteReader, NamesEndAtTheirZeroWithinTheLimit) {
  TKorByteWriter out;
  out.Name("");
  out.Name(std::string(4, 'a'));
  out.Bytes("bbbbb", 5);
  out.Name("c");
  TKorByteReader in(out.Data(), "f.kor");
  EXPECT_EQ(in.ReadName(4, "n"), "");
  EXPECT_EQ(in.ReadName(4, "n"), "aaaa");
  // At the byte that had to be the 0 at the latest.
  EXPECT_EQ(FailureOf([&] { in.ReadName(4, "n"); }),
            "f.kor: byte 10: n is longer than 4 bytes (its byte 5, here, is not the ending 0)");
  EXPECT_EQ(in.ReadName(6, "n"), "bbbbbc");
  EXPECT_EQ(FailureOf([&] { in.ReadName(6, "n"); }),
            "f.kor: byte 13: n has no terminating 0 byte before the end of the file (it is "
            "truncated)");
}

TEST(ByteReader, RoomCountsWholeRecordsInWhatRemains) {
  const std::vector<uint8_t> bytes(10, 0);
  TKorByteReader in(bytes, "f.kor");
  in.ReadInt32("x");
  EXPECT_EQ(in.RoomFor(3), 2);
  EXPECT_EQ(in.RoomFor(6), 1);
  EXPECT_EQ(in.RoomFor(7), 0);
}

TEST(ModelError, QuantitiesAreGroupedAndAgreeInNumber) {
  EXPECT_EQ(Quantity(1, "face", "faces"), "1 face");
  EXPECT_EQ(Quantity(0, "face", "faces"), "0 faces");
  EXPECT_EQ(Quantity(2000000, "vertex", "vertices"), "2,000,000 vertices");
  EXPECT_EQ(Grouped(999), "999");
  EXPECT_EQ(Grouped(1000), "1,000");
  EXPECT_EQ(Grouped(-123456), "-123,456");
}

}  // namespace
