// The palette quantiser of the korconvert program, built on libimagequant. That library is
// GPL-3.0-or-later; this unit is compiled into the program only, never into a library.
#pragma once

#include "tools/korconvert/TextureImage.h"

class TImageQuantiser : public TPaletteQuantiser {
 public:
  // Quantises to at most 256 colours with dithering off (textures are magnified and smooth
  // gradients band less visibly than dither noise shimmers). Alpha is flattened to opaque
  // first: bitmaps keep none. Throws EKorConvertError when the library fails.
  TPalettedImage Quantise(const TRgbaImage& Image) override;
};
