#include "tools/kordump/KorDump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "model/KorWriter.h"
#include "tests/support/TempDirectory.h"

namespace {

const std::string AssetsDir = KOR_ASSETS_DIR;

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
  EXPECT_EQ(cut.Err.rfind(dir.File("cut.kor") + ": byte 36: object 0: the block's", 0), 0u)
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

TEST(KorDump, TheCommandExitsNonZeroForABadFile) {
  const std::string command = std::string(KOR_KORDUMP) + " /no/such/file.kor 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string good = std::string(KOR_KORDUMP) + " " + AssetsDir + "/wisp2.kor >/dev/null";
  EXPECT_EQ(std::system(good.c_str()), 0);
}

}  // namespace
