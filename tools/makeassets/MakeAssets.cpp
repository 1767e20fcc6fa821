#include "tools/makeassets/MakeAssets.h"

#include <fstream>
#include <stdexcept>

#include "tools/makeassets/AssetPictures.h"
#include "tools/makeassets/WispFigure.h"

std::vector<TAssetFile> MakeAssetFiles() {
  const TPalette256 palette = AssetPalette();
  return {
      {"wisp2.kor", EncodeKorFile(MakeWispFigure())},
      {WispBodyTextureName, EncodeBmp8(BodyTexture(), palette)},
      {WispPedestalTextureName, EncodeBmp8(PedestalTexture(), palette)},
      {"meta.bmp", EncodeBmp8(MetaPicture(), palette)},
  };
}

void WriteAssetFiles(const std::string& Directory) {
  for (const TAssetFile& file : MakeAssetFiles()) {
    const std::string path = Directory + "/" + file.Name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.Bytes.data()),
              static_cast<std::streamsize>(file.Bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
  }
}
