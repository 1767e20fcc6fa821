// Fuzzes korconvert's import of OBJ text: every input either is refused with the converter's
// own error, or converts to a file the loader reads back whole, with faces of 3 to 128 indices
// that name the object's vertices. Anything else (a crash, a sanitizer report, another
// exception, a file the loader rejects) is a finding.
#include <unistd.h>
#include <cstdint>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/LoadModel.h"
#include "model/TextureRecorder.h"
#include "tools/korconvert/ConvertError.h"
#include "tools/korconvert/KorImport.h"

namespace {

// The input goes through a file, as korconvert reads its input: the library's reading from
// memory takes other paths (and has faults of its own that the program never meets).
std::string InputFile() {
  static const std::string path = [] {
    const auto directory =
        std::filesystem::temp_directory_path() / ("kor_fuzz_convert_" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    return (directory / "model.obj").string();
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string path = InputFile();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
  std::ostringstream notes;
  TKorConversion conversion;
  try {
    conversion = ImportScene(path, nullptr, notes);
  } catch (const EKorConvertError&) {
    return 0;
  }
  for (const TKorObjectRecord& object : conversion.File.Objects) {
    for (const TKorFaceRecord& face : object.Faces) {
      if (face.Indices.size() < 3 || face.Indices.size() > 128) std::abort();
      for (uint16_t i : face.Indices) {
        if (i >= object.Vertices.size()) std::abort();
      }
    }
  }
  TKorTextureRecorder maker;
  TKorObject* root = LoadModelFromBytes(&maker, "fuzz.kor", EncodeKorFile(conversion.File));
  FreeObject(root);
  return 0;
}
