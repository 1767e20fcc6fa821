// Fuzzes korconvert's import of OBJ text: every input either is refused with the converter's
// own error, or converts to a file the loader reads back whole, with faces of 3 to 128 indices
// that name the object's vertices. Anything else (a crash, a sanitizer report, another
// exception, a file the loader rejects) is a finding.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>

#include "model/LoadModel.h"
#include "model/TextureRecorder.h"
#include "tools/korconvert/ConvertError.h"
#include "tools/korconvert/KorImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::ostringstream notes;
  TKorConversion conversion;
  try {
    conversion = ImportSceneFromMemory(std::span<const uint8_t>(Data, Size), "obj", nullptr, notes);
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
