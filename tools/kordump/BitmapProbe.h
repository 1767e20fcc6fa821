// The texture maker of the file printer: instead of making textures it reads the head of each
// bitmap the model names, so the printer can show sizes and the loader still fails, with its
// own message, on a bitmap that is missing or is not a Windows bitmap.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "model/TextureRecorder.h"

struct TBitmapFacts {
  int32_t Width = 0;
  int32_t Height = 0;
  int BitsPerPixel = 0;
};

using TBitmapFactsByName = std::map<std::string, TBitmapFacts>;

class TBitmapProbe : public TKorTextureRecorder {
 public:
  const TKorTexdata* MakeTextureFromFile(const std::string& Path, const std::string& Name) override;

  // What was read for each bare name.
  const std::map<std::string, TBitmapFacts>& Facts() const { return facts_; }

 private:
  std::map<std::string, TBitmapFacts> facts_;
};

// Reads the file and info headers of a Windows bitmap; throws std::runtime_error saying why
// the file is not one.
TBitmapFacts ReadBitmapFacts(const std::string& Path);
