// The record through which a polygon names its texture. The 3D view makes textures and owns
// this record (inside its TKorvelTexture); polygons only point at it.
#pragma once

#include <cstdint>
#include <string>

struct TKorTexdata {
  int32_t Number = 0;           // 0..255 in creation order; picks the renderer's queue
  uint32_t TextureHandle = 0;   // the texture's handle on the view's device
  uint32_t MaterialHandle = 0;  // the texture's white material on the view's device
  std::string Name;             // the bare file name the texture was filled from
};
