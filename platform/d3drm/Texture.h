// Texture: a retained-mode texture (IDirect3DRMTexture, IDirect3DRMTexture2) holding the
// pixels of an image, read from a BMP file.
//
// Palettised BMPs (1, 4 and 8 bits) keep their palette and their indices: GetImage() gives
// depth 8, rgb FALSE, one index byte per pixel and the file's palette. Every other BMP
// becomes true colour: depth 32, rgb TRUE, pixels 0x00RRGGBB (red mask 0xFF0000, green
// 0xFF00, blue 0xFF, no alpha). Rows are stored top row first without padding
// (bytes_per_line = width × bytes per pixel). The texture's name is the file name it was
// read from.
#pragma once

#include <string>
#include <vector>

#include "platform/d3drm/RMObject.h"

namespace platform::d3drm {

class Texture final : public RMObject<IDirect3DRMTexture2> {
 public:
  // Reads FileName. On success *Out holds a new texture (one reference) and the result is
  // D3DRM_OK; otherwise *Out is nullptr, the result D3DRMERR_FILENOTFOUND (no such file) or
  // D3DRMERR_BADFILE (not a readable BMP), and Error says why, naming the file.
  static HRESULT LoadBMP(const std::string& FileName, Texture** Out, std::string& Error);
  static Texture* From(IDirect3DRMTexture* Itf);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  D3DRMIMAGE* GetImage() override { return &image_; }

 private:
  Texture();

  D3DRMIMAGE image_;
  std::vector<BYTE> pixels_;
  std::vector<D3DRMPALETTEENTRY> palette_;
};

}  // namespace platform::d3drm
