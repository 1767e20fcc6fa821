#include "tools/korconvert/ImageQuantiser.h"

#include <libimagequant.h>

#include <memory>

#include "tools/korconvert/ConvertError.h"

namespace {

struct TLiqDeleter {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
  void operator()(liq_image* p) const { liq_image_destroy(p); }
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};
template <typename T>
using TLiqPtr = std::unique_ptr<T, TLiqDeleter>;

void Check(liq_error error, const char* step) {
  if (error != LIQ_OK) {
    throw EKorConvertError(std::string("libimagequant failed to ") + step + " (error " +
                           std::to_string(static_cast<int>(error)) + ")");
  }
}

}  // namespace

TPalettedImage TImageQuantiser::Quantise(const TRgbaImage& Image) {
  TRgbaImage opaque = Image;
  for (size_t i = 3; i < opaque.Pixels.size(); i += 4) opaque.Pixels[i] = 255;
  TLiqPtr<liq_attr> attr(liq_attr_create());
  if (!attr) throw EKorConvertError("libimagequant could not start");
  Check(liq_set_max_colors(attr.get(), 256), "set the colour count");
  TLiqPtr<liq_image> image(
      liq_image_create_rgba(attr.get(), opaque.Pixels.data(), opaque.Width, opaque.Height, 0));
  if (!image) throw EKorConvertError("libimagequant could not take the picture");
  liq_result* rawResult = nullptr;
  Check(liq_image_quantize(image.get(), attr.get(), &rawResult), "quantise the picture");
  TLiqPtr<liq_result> result(rawResult);
  Check(liq_set_dithering_level(result.get(), 0.0f), "set dithering");
  TPalettedImage out;
  out.Picture.Width = Image.Width;
  out.Picture.Height = Image.Height;
  out.Picture.Pixels.resize(static_cast<size_t>(Image.Width) * Image.Height);
  Check(liq_write_remapped_image(result.get(), image.get(), out.Picture.Pixels.data(),
                                 out.Picture.Pixels.size()),
        "remap the picture");
  const liq_palette* palette = liq_get_palette(result.get());
  out.Palette.fill(0);
  for (unsigned i = 0; i < palette->count && i < 256; ++i) {
    const liq_color c = palette->entries[i];
    out.Palette[i] = (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
  }
  return out;
}
