// The committed assets are exactly what the generator makes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TempDirectory.h"
#include "tools/makeassets/MakeAssets.h"

namespace {

const std::string AssetsDir = KOR_ASSETS_DIR;

void ExpectSameAsCommitted(const std::string& directory) {
  for (const TAssetFile& file : MakeAssetFiles()) {
    SCOPED_TRACE(file.Name);
    const std::vector<uint8_t> made = testsupport::ReadBytes(directory + "/" + file.Name);
    const std::vector<uint8_t> committed = testsupport::ReadBytes(AssetsDir + "/" + file.Name);
    ASSERT_FALSE(committed.empty()) << "missing from assets/; run makeassets assets";
    EXPECT_EQ(made.size(), committed.size());
    EXPECT_TRUE(made == committed)
        << "assets/" << file.Name << " differs from the generator's output";
  }
}

TEST(Assets, RegeneratedFilesEqualTheCommittedOnesByteForByte) {
  testsupport::TempDirectory dir("assets_lib");
  WriteAssetFiles(dir.Path());
  ExpectSameAsCommitted(dir.Path());
}

TEST(Assets, TheCommandWritesTheSameFiles) {
  testsupport::TempDirectory dir("assets_cmd");
  const std::string command =
      std::string(KOR_MAKEASSETS) + " " + dir.Path() + " > " + dir.File("out.txt");
  ASSERT_EQ(std::system(command.c_str()), 0);
  ExpectSameAsCommitted(dir.Path());
}

TEST(Assets, TheCommandFailsForADirectoryItCannotWrite) {
  const std::string command = std::string(KOR_MAKEASSETS) + " /no/such/dir 2>/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(Assets, TwoRunsInOneProcessAgree) {
  const auto first = MakeAssetFiles();
  const auto second = MakeAssetFiles();
  ASSERT_EQ(first.size(), 4u);
  for (size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(first[i].Bytes == second[i].Bytes);
}

}  // namespace
