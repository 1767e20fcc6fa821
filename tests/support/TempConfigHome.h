// Points XDG_CONFIG_HOME at a fresh, empty folder for the life of the object, so that the
// registry settings a test reads and writes never touch the user's own; the former value is
// put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class TempConfigHome {
 public:
  TempConfigHome() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(::testing::TempDir()) /
              ("korvel_config_" + std::string(test ? test->test_suite_name() : "none") + "_" +
               (test ? test->name() : "none"));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) former_ = old;
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  ~TempConfigHome() {
    if (former_)
      setenv("XDG_CONFIG_HOME", former_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  // True when any file was written below the folder.
  bool HoldsAnyFile() const {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
      if (entry.is_regular_file()) return true;
    return false;
  }

 private:
  std::filesystem::path folder_;
  std::optional<std::string> former_;
};
