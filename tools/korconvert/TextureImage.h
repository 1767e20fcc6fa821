// Texture pictures on their way between files: decoding PNG, JPEG and BMP (stb_image), writing
// PNG (stb_image_write), and making the 8-bit palettised bitmaps that ".kor" texture tables name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/makeassets/BmpWriter.h"

// Four bytes a pixel (red, green, blue, alpha), top row first.
struct TRgbaImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Pixels;
};

// An 8-bit picture with its palette (entries 0x00RRGGBB; unused entries are 0).
struct TPalettedImage {
  TIndexedPicture Picture;
  TPalette256 Palette{};
};

// Turns a picture of more than 256 colours into 256. The converter program supplies one built
// on libimagequant; the library itself needs none for pictures of 256 colours or fewer.
class TPaletteQuantiser {
 public:
  virtual ~TPaletteQuantiser() = default;
  virtual TPalettedImage Quantise(const TRgbaImage& Image) = 0;
};

// Decodes a PNG, JPEG or BMP file; throws EKorConvertError naming the file and the reason.
TRgbaImage DecodeImageFile(const std::string& Path);
// The same for a file already in memory; Name is used in messages.
TRgbaImage DecodeImageBytes(std::span<const uint8_t> Bytes, const std::string& Name);

std::vector<uint8_t> EncodePng(const TRgbaImage& Image);

// The picture scaled down, keeping its proportions, so that neither side exceeds MaxSide; the
// picture itself when it fits.
TRgbaImage FitWithin(const TRgbaImage& Image, int32_t MaxSide);

// A 1 x 1 opaque white picture: the texture of meshes that have none.
TRgbaImage WhiteImage();

// The picture's own colours when it has at most 256 (alpha is ignored: bitmaps keep none),
// palette sorted by colour value so the result does not depend on pixel order; false when it
// has more.
bool ExactPalette(const TRgbaImage& Image, TPalettedImage& Out);

// ExactPalette when it fits, otherwise Quantiser; throws EKorConvertError naming Name when a
// picture needs quantising and Quantiser is nil.
TPalettedImage PaletteImage(const TRgbaImage& Image, TPaletteQuantiser* Quantiser,
                            const std::string& Name);
