#include "tools/korconvert/StagedOutput.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "tools/korconvert/ConvertError.h"

namespace fs = std::filesystem;

TStagedOutput::TStagedOutput(const std::string& OutPath) {
  const fs::path out(OutPath);
  mainName = out.filename().string();
  if (mainName.empty()) throw EKorConvertError("output \"" + OutPath + "\" names no file");
  directory = out.has_parent_path() ? out.parent_path() : fs::path(".");
  std::error_code error;
  if (!fs::is_directory(directory, error)) {
    throw EKorConvertError("output directory \"" + directory.string() + "\" does not exist");
  }
  if (fs::is_directory(out, error)) {
    throw EKorConvertError("output \"" + OutPath + "\" is a directory");
  }
  std::string pattern = (directory / ("." + mainName + ".korconvert-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw EKorConvertError("cannot write in the output directory \"" + directory.string() + "\"");
  }
  staging = pattern;
}

TStagedOutput::~TStagedOutput() {
  std::error_code error;  // best effort: a destructor must not throw
  fs::remove_all(staging, error);
}

std::string TStagedOutput::StagePath(const std::string& FileName) const {
  return (staging / FileName).string();
}

std::string TStagedOutput::MainStagePath() const {
  return StagePath(mainName);
}

void TStagedOutput::WriteFile(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  const std::string path = StagePath(FileName);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  out.close();
  if (!out) throw EKorConvertError("cannot write \"" + (directory / FileName).string() + "\"");
}

void TStagedOutput::Commit() {
  if (!fs::exists(MainStagePath())) {
    throw EKorConvertError("the exporter wrote no \"" + mainName + "\"");
  }
  std::vector<fs::path> companions;
  for (const auto& entry : fs::directory_iterator(staging)) {
    if (entry.path().filename() != mainName) companions.push_back(entry.path());
  }
  std::error_code error;
  for (const fs::path& file : companions) {
    fs::rename(file, directory / file.filename(), error);
    if (error) {
      throw EKorConvertError("cannot move \"" + file.filename().string() + "\" into \"" +
                             directory.string() + "\": " + error.message());
    }
  }
  fs::rename(MainStagePath(), directory / mainName, error);
  if (error) {
    throw EKorConvertError("cannot write \"" + (directory / mainName).string() +
                           "\": " + error.message());
  }
}
