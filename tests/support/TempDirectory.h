// A fresh folder under the system's temporary folder, removed when the object goes; its name
// holds the process id, so tests running side by side never share one. Also whole-file reads
// and writes for the files tests put there.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

class TempDirectory {
 public:
  explicit TempDirectory(const std::string& name)
      : path(std::filesystem::temp_directory_path() /
             ("kor_" + name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDirectory() { std::filesystem::remove_all(path); }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  std::string File(const std::string& name) const { return (path / name).string(); }
  std::string Path() const { return path.string(); }
  const std::filesystem::path& Folder() const { return path; }

 private:
  std::filesystem::path path;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testsupport
