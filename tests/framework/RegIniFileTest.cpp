#include "framework/RegIniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "framework/Exceptions.h"
#include "tests/support/TempDirectory.h"

namespace {

// Points XDG_CONFIG_HOME (and HOME) at a temporary folder for the test, and back after it.
class RegIniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Save("XDG_CONFIG_HOME", savedXdg_);
    Save("HOME", savedHome_);
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
  }
  void TearDown() override {
    Restore("XDG_CONFIG_HOME", savedXdg_);
    Restore("HOME", savedHome_);
  }

  std::string Contents(const std::string& Path) {
    std::ifstream in(Path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testsupport::TempDirectory dir{"framework_regini"};

 private:
  static void Save(const char* Name, std::optional<std::string>& Into) {
    if (const char* value = std::getenv(Name)) Into = value;
  }
  static void Restore(const char* Name, const std::optional<std::string>& From) {
    if (From)
      ::setenv(Name, From->c_str(), 1);
    else
      ::unsetenv(Name);
  }
  std::optional<std::string> savedXdg_;
  std::optional<std::string> savedHome_;
};

TEST_F(RegIniFileTest, TheKeyIsAnIniFileInTheConfigurationFolder) {
  TRegIniFile reg("Software\\Korvel_Soft");
  EXPECT_EQ(reg.FileName(), dir.Path() + "/Korvel_Soft.ini");
  EXPECT_EQ(RegIniFileName("Software\\Korvel_Soft\\Sub"), dir.Path() + "/Korvel_Soft/Sub.ini");
  EXPECT_EQ(RegIniFileName("Plain"), dir.Path() + "/Plain.ini");
  EXPECT_EQ(RegIniFileName("Software\\..\\..\\x"), dir.Path() + "/x.ini")
      << "a key cannot climb out of the folder";
}

TEST_F(RegIniFileTest, WithoutAnAbsoluteXdgFolderTheHomeConfigFolderIsUsed) {
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", dir.Path().c_str(), 1);
  EXPECT_EQ(RegIniFileName("Software\\Korvel_Soft"), dir.Path() + "/.config/Korvel_Soft.ini");
  ::setenv("XDG_CONFIG_HOME", "relative/folder", 1);
  EXPECT_EQ(RegIniFileName("Software\\Korvel_Soft"), dir.Path() + "/.config/Korvel_Soft.ini");
}

TEST_F(RegIniFileTest, MissingFileSectionOrValueGiveTheDefaults) {
  TRegIniFile reg("Software\\Korvel_Soft");
  EXPECT_EQ(reg.ReadInteger("KorvelG", "Enum_Checkbox", -1), -1);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "DDraw_Device", 0), 0);
  reg.WriteInteger("Other", "Value", 3);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "Value", 9), 9) << "another section's value";
  reg.WriteInteger("KorvelG", "D3D_Device", 2);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "DDraw_Device", 0), 0);
}

TEST_F(RegIniFileTest, WrittenValuesAreReadBackAlsoThroughAnotherObject) {
  {
    TRegIniFile reg("Software\\Korvel_Soft");
    reg.WriteInteger("KorvelG", "Enum_Checkbox", -4);
    reg.WriteInteger("KorvelG", "DDraw_Device", -1);
    reg.WriteInteger("KorvelG", "D3D_Device", 1);
    reg.WriteInteger("KorvelG", "DDraw_Device", 0);
  }
  TRegIniFile again("Software\\Korvel_Soft");
  EXPECT_EQ(again.ReadInteger("KorvelG", "Enum_Checkbox", -1), -4);
  EXPECT_EQ(again.ReadInteger("korvelg", "ddraw_device", 7), 0) << "names ignore case";
  EXPECT_EQ(again.ReadInteger("KorvelG", "D3D_Device", 0), 1);
  EXPECT_EQ(Contents(again.FileName()),
            "[KorvelG]\nEnum_Checkbox=-4\nDDraw_Device=0\nD3D_Device=1\n");
}

TEST_F(RegIniFileTest, WritingKeepsEverythingElseInTheFile) {
  TRegIniFile reg("Software\\Korvel_Soft");
  std::ofstream(reg.FileName()) << "; settings\n[First]\nA=1\n\n[KorvelG]\nEnum_Checkbox=-2\n\n"
                                   "[Last]\nB = 2\n";
  reg.WriteInteger("KorvelG", "D3D_Device", 5);
  reg.WriteInteger("Last", "B", 3);
  reg.WriteInteger("New", "C", 4);
  EXPECT_EQ(Contents(reg.FileName()),
            "; settings\n[First]\nA=1\n\n[KorvelG]\nEnum_Checkbox=-2\nD3D_Device=5\n\n"
            "[Last]\nB=3\n\n[New]\nC=4\n");
  EXPECT_EQ(reg.ReadInteger("First", "A", 0), 1);
}

TEST_F(RegIniFileTest, HeaderCommentsByteOrderMarksAndEveryLineEndAreRead) {
  TRegIniFile reg("Software\\Korvel_Soft");
  const auto readAfterWriting = [&](const std::string& Text) {
    std::ofstream(reg.FileName(), std::ios::binary) << Text;
    return reg.ReadInteger("KorvelG", "A", -1);
  };
  EXPECT_EQ(readAfterWriting("[Other]\nA=1\n[KorvelG] ; the demo's\nA=2\n"), 2);
  EXPECT_EQ(readAfterWriting("[Other]\nA=1\n  [ KorvelG ]# the demo's\nA=2\n"), 2);
  EXPECT_EQ(readAfterWriting("\xEF\xBB\xBF[KorvelG]\r\nA=3\r\n"), 3);
  EXPECT_EQ(readAfterWriting("[Other]\rA=1\r[KorvelG]\rA=4\r"), 4);
  EXPECT_EQ(readAfterWriting("[Other]\rA=1\r[KorvelG]\rA=5"), 5) << "no end on the last line";
  // What is not a header stays not one.
  EXPECT_EQ(readAfterWriting("[KorvelG] A=6\nA=7\n"), -1);
  EXPECT_EQ(readAfterWriting("[KorvelG]\n[x]=8\nA=9\n"), 9);
}

TEST_F(RegIniFileTest, WritingKeepsEveryOtherByteWhateverTheLineEnds) {
  TRegIniFile reg("Software\\Korvel_Soft");
  const auto afterWriting = [&](const std::string& Text, const std::string& Section) {
    std::ofstream(reg.FileName(), std::ios::binary) << Text;
    reg.WriteInteger(Section, "A", 1);
    return Contents(reg.FileName());
  };
  EXPECT_EQ(afterWriting("\xEF\xBB\xBF[KorvelG] ; c\r\nA=0\r\nB=2\r\n", "KorvelG"),
            "\xEF\xBB\xBF[KorvelG] ; c\r\nA=1\r\nB=2\r\n");
  EXPECT_EQ(afterWriting("[KorvelG]\rB=2\r\r[Z]\r", "KorvelG"), "[KorvelG]\rB=2\rA=1\r\r[Z]\r");
  EXPECT_EQ(afterWriting("[KorvelG]\r\nB=2", "KorvelG"), "[KorvelG]\r\nB=2\r\nA=1\r\n");
  EXPECT_EQ(afterWriting("x=1\r", "New"), "x=1\r\r[New]\rA=1\r");
  EXPECT_EQ(afterWriting("; only a comment", "New"), "; only a comment\n\n[New]\nA=1\n");
}

TEST_F(RegIniFileTest, AValueThatIsNoIntegerGivesTheDefault) {
  TRegIniFile reg("Software\\Korvel_Soft");
  std::ofstream(reg.FileName()) << "[KorvelG]\nA=twelve\nB=12x\nC=\nD= +12 \nE=99999999999\n";
  EXPECT_EQ(reg.ReadInteger("KorvelG", "A", -1), -1);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "B", -1), -1);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "C", -1), -1);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "D", -1), 12);
  EXPECT_EQ(reg.ReadInteger("KorvelG", "E", -1), -1) << "out of range";
}

TEST_F(RegIniFileTest, AFileThatCannotBeWrittenRaisesTheFileErrorNamingIt) {
  // The configuration "folder" is a plain file, so nothing can be made under it.
  std::ofstream(dir.File("blocked")) << "x";
  ::setenv("XDG_CONFIG_HOME", dir.File("blocked").c_str(), 1);
  TRegIniFile reg("Software\\Korvel_Soft");
  try {
    reg.WriteInteger("KorvelG", "Enum_Checkbox", -1);
    FAIL() << "no exception";
  } catch (const EFCreateError& error) {
    EXPECT_NE(std::string(error.what()).find("Korvel_Soft.ini"), std::string::npos) << error.what();
  }
  EXPECT_EQ(reg.ReadInteger("KorvelG", "Enum_Checkbox", -1), -1);
}

}  // namespace
