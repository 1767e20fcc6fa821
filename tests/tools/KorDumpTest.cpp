#include "tools/kordump/KorDump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "model/KorWriter.h"
#include "tests/support/TempDirectory.h"

namespace {

const std::string AssetsDir = KOR_ASSETS_DIR;

std::string ReadText(const std::string& Path) {
  std::ifstream in(Path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct TDump {
  int Status = 0;
  std::string Out, Err;
  explicit TDump(const std::string& file) {
    std::ostringstream out, err;
    Status = DumpModel(file, out, err);
    Out = out.str();
    Err = err.str();
  }
  bool Says(const std::string& text) const { return Out.find(text) != std::string::npos; }
};

TEST(KorDump, ShowsTheDemoModelsTableAndTree) {
  const TDump dump(AssetsDir + "/wisp2.kor");
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  EXPECT_TRUE(dump.Err.empty());
  EXPECT_TRUE(dump.Says("Texture table: 2 entries")) << dump.Out;
  EXPECT_TRUE(dump.Says("[0] \"wisp_body.bmp\"  128 x 128, 8 bits per pixel")) << dump.Out;
  EXPECT_TRUE(dump.Says("#0 \"BODY\"  root")) << dump.Out;
  EXPECT_TRUE(dump.Says("    #1 \"BASE\"  child of #0")) << dump.Out;
  EXPECT_TRUE(dump.Says("Base translation (0, 0, -0.5)")) << dump.Out;
  EXPECT_TRUE(dump.Says("flags 6 x 34 (drawn)")) << dump.Out;
}

TEST(KorDump, ShowsRepeatsTrailingBytesAndObjectsOutsideTheTree) {
  testsupport::TempDirectory dir("kordump_shapes");
  TKorFileRecord file;
  file.TextureNames = {"wisp_body.bmp", "wisp_body.bmp"};
  TKorObjectRecord root, orphan;
  root.Tag = 0x01020304;
  orphan.ParentIndex = -1;
  file.Objects = {root, orphan};
  std::vector<uint8_t> bytes = EncodeKorFile(file);
  bytes.push_back(0x55);
  testsupport::WriteBytes(dir.File("m.kor"), bytes);
  std::filesystem::copy_file(AssetsDir + "/wisp_body.bmp", dir.File("wisp_body.bmp"));
  const TDump dump(dir.File("m.kor"));
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  EXPECT_TRUE(dump.Says("[1] \"wisp_body.bmp\"  same texture as [0]")) << dump.Out;
  EXPECT_TRUE(dump.Says("the last 1 are not read")) << dump.Out;
  EXPECT_TRUE(dump.Says("#0 0x01020304  root")) << dump.Out;
  EXPECT_TRUE(dump.Says("#1 not in the tree (ParentIndex -1)")) << dump.Out;
}

TEST(KorDump, ReportsTheLoadersMessageForABadFile) {
  testsupport::TempDirectory dir("kordump_bad");
  for (const char* bitmap : {"wisp_body.bmp", "wisp_base.bmp"}) {
    std::filesystem::copy_file(AssetsDir + "/" + bitmap, dir.File(bitmap));
  }
  std::vector<uint8_t> bytes = testsupport::ReadBytes(AssetsDir + "/wisp2.kor");
  bytes.resize(1000);
  testsupport::WriteBytes(dir.File("cut.kor"), bytes);
  const TDump cut(dir.File("cut.kor"));
  EXPECT_EQ(cut.Status, 1);
  EXPECT_TRUE(cut.Out.empty());
  // The root's VertexCount, at byte 36, is more than the 1000 bytes can hold.
  EXPECT_EQ(cut.Err.rfind(dir.File("cut.kor") + ": byte 36: object 0 declares ", 0), 0u) << cut.Err;
  EXPECT_NE(cut.Err.find(" vertices; the file has room for at most 22"), std::string::npos)
      << cut.Err;

  testsupport::TempDirectory bare("kordump_bare");
  testsupport::WriteBytes(bare.File("wisp2.kor"),
                          testsupport::ReadBytes(AssetsDir + "/wisp2.kor"));  // no bitmaps here
  const TDump missing(bare.File("wisp2.kor"));
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("byte 4: texture name 0: cannot load bitmap \"" +
                             bare.File("wisp_body.bmp") + "\""),
            std::string::npos)
      << missing.Err;
}

TEST(KorDump, BytesFromTheFileReachTheTerminalEscaped) {
  EXPECT_EQ(PrintableText("wisp_body.bmp"), "wisp_body.bmp");
  EXPECT_EQ(PrintableText(std::string("a\x1b[2Jb\x07\r\n\x00\x7f\xff\\", 13)),
            "a\\x1b[2Jb\\x07\\x0d\\x0a\\x00\\x7f\\xff\\\\");

  // A texture name with escape sequences and a bell: the loader's message names it escaped.
  testsupport::TempDirectory dir("kordump_escapes");
  TKorFileRecord file;
  file.TextureNames = {std::string("\x1b]0;owned\x07.bmp")};
  file.Objects = {TKorObjectRecord{}};
  testsupport::WriteBytes(dir.File("m.kor"), EncodeKorFile(file));
  const TDump dump(dir.File("m.kor"));
  EXPECT_EQ(dump.Status, 1);
  EXPECT_EQ(dump.Err.find('\x1b'), std::string::npos) << dump.Err;
  EXPECT_EQ(dump.Err.find('\x07'), std::string::npos) << dump.Err;
  EXPECT_NE(dump.Err.find("\\x1b]0;owned\\x07.bmp"), std::string::npos) << dump.Err;
}

TEST(KorDump, HelpIsAUsageTextAndOptionsAreNotFileNames) {
  const std::string program = KOR_KORDUMP;
  for (const char* help : {" --help", " -h"}) {
    const int status = std::system((program + help + " >/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << help;
  }
  const std::string usage = testing::TempDir() + "kordump_usage.txt";
  std::system((program + " --help >" + usage).c_str());
  EXPECT_NE(ReadText(usage).find("usage: "), std::string::npos);
  for (const char* wrong : {"", " --version", " a.kor b.kor"}) {
    const int status = std::system((program + wrong + " >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << wrong;
  }
}

TEST(KorDump, TheCommandExitsNonZeroForABadFile) {
  const std::string command = std::string(KOR_KORDUMP) + " /no/such/file.kor 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string good = std::string(KOR_KORDUMP) + " " + AssetsDir + "/wisp2.kor >/dev/null";
  EXPECT_EQ(std::system(good.c_str()), 0);
}

}  // namespace
