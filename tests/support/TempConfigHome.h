// Points XDG_CONFIG_HOME at a fresh, empty folder for the life of the object, so that the
// registry settings a test reads and writes never touch the user's own; the former value is
// put back afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/TempDirectory.h"

class TempConfigHome {
 public:
  TempConfigHome() {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) former_ = old;
    setenv("XDG_CONFIG_HOME", folder_.Folder().c_str(), 1);
  }
  ~TempConfigHome() {
    if (former_)
      setenv("XDG_CONFIG_HOME", former_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::filesystem::path& Folder() const { return folder_.Folder(); }
  // True when any file was written below the folder.
  bool HoldsAnyFile() const {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Folder()))
      if (entry.is_regular_file()) return true;
    return false;
  }

 private:
  testsupport::TempDirectory folder_{"config"};
  std::optional<std::string> former_;
};
