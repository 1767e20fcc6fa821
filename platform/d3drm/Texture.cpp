#include "platform/d3drm/Texture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/image/BitmapDecoder.h"

namespace platform::d3drm {
namespace {

bool ReadWholeFile(const std::string& FileName, std::vector<std::uint8_t>* Bytes) {
  std::ifstream file(FileName, std::ios::binary);
  if (!file) return false;
  Bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

Texture::Texture() : RMObject("Texture") {}

Texture* Texture::From(IDirect3DRMTexture* Itf) {
  return dynamic_cast<Texture*>(Itf);
}

HRESULT Texture::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IDirect3DRMTexture || Iid == IID_IDirect3DRMTexture2)
    return Answer(static_cast<IDirect3DRMTexture2*>(this), Object);
  return AnswerCommon(Iid, Object);
}

HRESULT Texture::LoadBMP(const std::string& FileName, Texture** Out, std::string& Error) {
  if (!Out) return D3DRMERR_BADVALUE;
  *Out = nullptr;
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(FileName, ignored)) {
    Error = "\"" + FileName + "\": texture file not found";
    return D3DRMERR_FILENOTFOUND;
  }
  std::vector<std::uint8_t> bytes;
  image::DecodedBitmap decoded;
  if (!ReadWholeFile(FileName, &bytes)) {
    Error = "\"" + FileName + "\": cannot read the texture file";
    return D3DRMERR_BADFILE;
  }
  if (!image::DecodeBitmap(bytes, FileName, &decoded, &Error)) return D3DRMERR_BADFILE;
  const bool indexed = decoded.BitCount == 8;

  auto* texture = new Texture;
  D3DRMIMAGE& image = texture->image_;
  image.width = decoded.Width;
  image.height = decoded.Height;
  image.depth = decoded.BitCount;
  image.rgb = indexed ? FALSE : TRUE;
  image.bytes_per_line = decoded.RowBytes();
  texture->pixels_ = std::move(decoded.Pixels);
  image.buffer1 = texture->pixels_.data();
  if (indexed) {
    texture->palette_.resize(decoded.Palette.size());
    for (size_t i = 0; i < decoded.Palette.size(); ++i) {
      const PALETTEENTRY& entry = decoded.Palette[i];
      texture->palette_[i] = {entry.peRed, entry.peGreen, entry.peBlue, 0};
    }
    image.palette_size = static_cast<int>(decoded.Palette.size());
    image.palette = texture->palette_.data();
  } else {
    image.red_mask = 0xFF0000;
    image.green_mask = 0x00FF00;
    image.blue_mask = 0x0000FF;
  }
  texture->SetName(FileName.c_str());
  *Out = texture;
  return D3DRM_OK;
}

}  // namespace platform::d3drm
