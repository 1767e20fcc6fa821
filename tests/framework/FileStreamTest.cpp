#include "framework/FileStream.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "framework/Exceptions.h"
#include "tests/support/TempDirectory.h"

namespace {

class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::WriteBytes(dir.File("data.bin"), {1, 2, 3, 4, 5, 6, 7}); }

  testsupport::TempDirectory dir{"framework_stream"};
};

TEST_F(FileStreamTest, ReadsByteCountsFromThePositionUntilTheEnd) {
  TFileStream stream(dir.File("data.bin"), fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(stream.Size(), 7);
  EXPECT_EQ(stream.Position(), 0);
  std::array<std::uint8_t, 4> buffer{};
  EXPECT_EQ(stream.Read(buffer.data(), 4), 4);
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(stream.Position(), 4);
  buffer.fill(0);
  EXPECT_EQ(stream.Read(buffer.data(), 4), 3) << "three bytes are left";
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{5, 6, 7, 0}));
  EXPECT_EQ(stream.Read(buffer.data(), 4), 0);
  EXPECT_EQ(stream.Read(buffer.data(), -1), 0);
}

TEST_F(FileStreamTest, SeekMovesThePositionFromEachOrigin) {
  TFileStream stream(dir.File("data.bin"));
  EXPECT_EQ(stream.Seek(-2, soFromEnd), 5);
  std::uint8_t byte = 0;
  stream.ReadBuffer(&byte, 1);
  EXPECT_EQ(byte, 6);
  EXPECT_EQ(stream.Seek(-3, soFromCurrent), 3);
  stream.SetPosition(20);
  EXPECT_EQ(stream.Read(&byte, 1), 0) << "beyond the end";
  EXPECT_THROW(stream.Seek(-1, soFromBeginning), EStreamError);
}

TEST_F(FileStreamTest, AShortReadBufferRaisesTheReadErrorNamingTheFile) {
  TFileStream stream(dir.File("data.bin"));
  std::array<std::uint8_t, 8> buffer{};
  try {
    stream.ReadBuffer(buffer.data(), 8);
    FAIL() << "no exception";
  } catch (const EReadError& error) {
    EXPECT_NE(std::string(error.what()).find("data.bin"), std::string::npos);
  }
}

TEST_F(FileStreamTest, FilesThatCannotBeOpenedForReadingRaiseTheOpenErrorNamingThem) {
  const auto expectOpenError = [](const std::string& Name, WORD Mode, const std::string& Reason) {
    try {
      TFileStream stream(Name, Mode);
      ADD_FAILURE() << Name << " opened";
    } catch (const EFOpenError& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find("\"" + Name + "\""), std::string::npos) << text;
      EXPECT_NE(text.find(Reason), std::string::npos) << text;
    }
  };
  expectOpenError(dir.File("wisp2.kor"), fmOpenRead, "No such file");
  expectOpenError(dir.Path(), fmOpenRead, "directory");
  expectOpenError(dir.File("data.bin"), 0x0002, "reading");  // read-write is not offered
}

}  // namespace
