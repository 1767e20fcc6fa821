// Output that appears whole or not at all. Everything a conversion writes goes first into a
// fresh directory beside the output file (same file system, so renames are atomic); Commit moves
// the companion files (textures, buffers, material libraries) into place and the output file
// last. A conversion that fails never calls Commit, and the destructor removes the staging
// directory: nothing half-written is left at the output path.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TStagedOutput {
 public:
  // Throws EKorConvertError when the output's directory does not exist or is not writable.
  explicit TStagedOutput(const std::string& OutPath);
  ~TStagedOutput();
  TStagedOutput(const TStagedOutput&) = delete;
  TStagedOutput& operator=(const TStagedOutput&) = delete;

  // Where a file of this bare name is staged; the output file itself is staged under its own
  // name, so exporters that name companions after it name them as they will finally be.
  std::string StagePath(const std::string& FileName) const;
  std::string MainStagePath() const;
  // The output's directory, where committed files end up.
  const std::filesystem::path& Directory() const { return directory; }

  // Writes a staged file; throws EKorConvertError naming the file when it cannot.
  void WriteFile(const std::string& FileName, const std::vector<uint8_t>& Bytes);

  // Moves every staged file beside the output, the output file last.
  void Commit();

 private:
  std::filesystem::path directory;
  std::string mainName;
  std::filesystem::path staging;
};
