#include "tools/korconvert/TextureImage.h"

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "tools/korconvert/ConvertError.h"

namespace {

TRgbaImage FromStb(stbi_uc* data, int width, int height, const std::string& name) {
  if (data == nullptr) {
    const char* reason = stbi_failure_reason();
    throw EKorConvertError("cannot decode texture \"" + name +
                           "\": " + (reason != nullptr ? reason : "unknown format"));
  }
  TRgbaImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.assign(data, data + static_cast<size_t>(width) * height * 4);
  stbi_image_free(data);
  return image;
}

uint32_t RgbAt(const TRgbaImage& image, size_t pixel) {
  const uint8_t* p = image.Pixels.data() + pixel * 4;
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

TRgbaImage DecodeImageFile(const std::string& Path) {
  int width = 0, height = 0, channels = 0;
  FILE* file = std::fopen(Path.c_str(), "rb");
  if (file == nullptr) throw EKorConvertError("texture file not found: \"" + Path + "\"");
  stbi_uc* data = stbi_load_from_file(file, &width, &height, &channels, 4);
  std::fclose(file);
  return FromStb(data, width, height, Path);
}

TRgbaImage DecodeImageBytes(std::span<const uint8_t> Bytes, const std::string& Name) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* data = stbi_load_from_memory(Bytes.data(), static_cast<int>(Bytes.size()), &width,
                                        &height, &channels, 4);
  return FromStb(data, width, height, Name);
}

std::vector<uint8_t> EncodePng(const TRgbaImage& Image) {
  std::vector<uint8_t> out;
  if (stbi_write_png_to_func(AppendBytes, &out, Image.Width, Image.Height, 4, Image.Pixels.data(),
                             Image.Width * 4) == 0) {
    throw EKorConvertError("cannot encode a PNG picture");
  }
  return out;
}

TRgbaImage FitWithin(const TRgbaImage& Image, int32_t MaxSide) {
  const int32_t longest = std::max(Image.Width, Image.Height);
  if (longest <= MaxSide) return Image;
  const auto scaled = [&](int32_t side) {
    return std::max<int32_t>(1,
                             static_cast<int32_t>(std::lround(double(side) * MaxSide / longest)));
  };
  TRgbaImage out;
  out.Width = scaled(Image.Width);
  out.Height = scaled(Image.Height);
  out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height * 4);
  if (stbir_resize_uint8(Image.Pixels.data(), Image.Width, Image.Height, 0, out.Pixels.data(),
                         out.Width, out.Height, 0, 4) == 0) {
    throw EKorConvertError("cannot scale a texture down");
  }
  return out;
}

TRgbaImage WhiteImage() {
  return TRgbaImage{1, 1, {255, 255, 255, 255}};
}

bool ExactPalette(const TRgbaImage& Image, TPalettedImage& Out) {
  const size_t count = static_cast<size_t>(Image.Width) * Image.Height;
  std::set<uint32_t> colours;
  for (size_t i = 0; i < count; ++i) {
    colours.insert(RgbAt(Image, i));
    if (colours.size() > 256) return false;
  }
  std::map<uint32_t, uint8_t> index;
  Out.Palette.fill(0);
  for (uint32_t colour : colours) {
    const auto at = static_cast<uint8_t>(index.size());
    Out.Palette[at] = colour;
    index[colour] = at;
  }
  Out.Picture.Width = Image.Width;
  Out.Picture.Height = Image.Height;
  Out.Picture.Pixels.resize(count);
  for (size_t i = 0; i < count; ++i) Out.Picture.Pixels[i] = index[RgbAt(Image, i)];
  return true;
}

TPalettedImage PaletteImage(const TRgbaImage& Image, TPaletteQuantiser* Quantiser,
                            const std::string& Name) {
  TPalettedImage out;
  if (ExactPalette(Image, out)) return out;
  if (Quantiser == nullptr) {
    throw EKorConvertError("texture \"" + Name +
                           "\" has more than 256 colours and no quantiser is available");
  }
  return Quantiser->Quantise(Image);
}
