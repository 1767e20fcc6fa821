// What the model loader needs of the 3D view: textures made from bitmap files and given back
// again. The view (TKorvelRM) implements it; tests and tools can use a stand-in that makes no
// device objects.
#pragma once

#include <string>

#include "scene/Texdata.h"

class TKorTextureMaker {
 public:
  virtual ~TKorTextureMaker() = default;

  // Loads the bitmap at Path, makes a texture of the bitmap's size, fills it from the bitmap and
  // records Name (the bare name from the model file) as its TKorTexdata Name. The record stays
  // the maker's. Throws when the bitmap cannot be loaded.
  virtual const TKorTexdata* MakeTextureFromFile(const std::string& Path,
                                                 const std::string& Name) = 0;

  // Gives back a texture made by MakeTextureFromFile that is no longer wanted (a model that
  // failed to load). The record is invalid afterwards.
  virtual void DiscardTexture(const TKorTexdata* Texture) = 0;
};
