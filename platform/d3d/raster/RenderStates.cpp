#include "platform/d3d/raster/RenderStates.h"

#include <bit>
#include <utility>

namespace platform::raster {

namespace {

bool InRange(std::uint32_t value, std::uint32_t first, std::uint32_t last) {
  return value >= first && value <= last;
}

}  // namespace

RenderStateBlock::RenderStateBlock() {
  const std::pair<D3DRENDERSTATETYPE, std::uint32_t> defaults[] = {
      {D3DRENDERSTATE_TEXTUREHANDLE, 0},
      {D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_WRAP},
      {D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0},
      {D3DRENDERSTATE_ZENABLE, 0},
      {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},
      {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRENDERSTATE_ZWRITEENABLE, 1},
      {D3DRENDERSTATE_LASTPIXEL, 1},
      {D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_NEAREST},
      {D3DRENDERSTATE_TEXTUREMIN, D3DFILTER_NEAREST},
      {D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE},
      {D3DRENDERSTATE_DESTBLEND, D3DBLEND_ZERO},
      {D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_MODULATE},
      {D3DRENDERSTATE_CULLMODE, D3DCULL_CCW},
      {D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRENDERSTATE_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRENDERSTATE_SPECULARENABLE, 1},
      {D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_NONE},
      {D3DRENDERSTATE_FOGTABLESTART, FloatBits(0.0f)},
      {D3DRENDERSTATE_FOGTABLEEND, FloatBits(1.0f)},
      {D3DRENDERSTATE_FOGTABLEDENSITY, FloatBits(1.0f)},
      {D3DRENDERSTATE_TEXTUREADDRESSU, D3DTADDRESS_WRAP},
      {D3DRENDERSTATE_TEXTUREADDRESSV, D3DTADDRESS_WRAP},
  };
  for (const auto& [state, value] : defaults) Set(state, value);
}

std::uint32_t RenderStateBlock::FloatBits(float value) {
  return std::bit_cast<std::uint32_t>(value);
}

float RenderStateBlock::FloatFromBits(std::uint32_t bits) {
  return std::bit_cast<float>(bits);
}

bool RenderStateBlock::Set(D3DRENDERSTATETYPE state, std::uint32_t value) {
  if (!Accepts(state, value)) return false;
  values_[state] = value;
  Parse(state, value);
  return true;
}

bool RenderStateBlock::Get(D3DRENDERSTATETYPE state, std::uint32_t* value) const {
  if (state == 0 || state >= kStateCount || value == nullptr) return false;
  *value = values_[state];
  return true;
}

bool RenderStateBlock::Accepts(D3DRENDERSTATETYPE state, std::uint32_t value) const {
  if (state == 0 || state >= kStateCount) return false;
  switch (state) {
    case D3DRENDERSTATE_TEXTUREADDRESS:
    case D3DRENDERSTATE_TEXTUREADDRESSU:
    case D3DRENDERSTATE_TEXTUREADDRESSV:
      return InRange(value, D3DTADDRESS_WRAP, D3DTADDRESS_BORDER);
    case D3DRENDERSTATE_FILLMODE:
      return InRange(value, D3DFILL_POINT, D3DFILL_SOLID);
    case D3DRENDERSTATE_SHADEMODE:
      return InRange(value, D3DSHADE_FLAT, D3DSHADE_PHONG);
    case D3DRENDERSTATE_TEXTUREMAG:
    case D3DRENDERSTATE_TEXTUREMIN:
      return InRange(value, D3DFILTER_NEAREST, D3DFILTER_LINEARMIPLINEAR);
    case D3DRENDERSTATE_SRCBLEND:
    case D3DRENDERSTATE_DESTBLEND:
      return InRange(value, D3DBLEND_ZERO, D3DBLEND_BOTHINVSRCALPHA);
    case D3DRENDERSTATE_TEXTUREMAPBLEND:
      return InRange(value, D3DTBLEND_DECAL, D3DTBLEND_ADD);
    case D3DRENDERSTATE_CULLMODE:
      return InRange(value, D3DCULL_NONE, D3DCULL_CCW);
    case D3DRENDERSTATE_ZFUNC:
    case D3DRENDERSTATE_ALPHAFUNC:
      return InRange(value, D3DCMP_NEVER, D3DCMP_ALWAYS);
    case D3DRENDERSTATE_FOGTABLEMODE:
      return InRange(value, D3DFOG_NONE, D3DFOG_LINEAR);
    default:
      return true;
  }
}

void RenderStateBlock::Parse(D3DRENDERSTATETYPE state, std::uint32_t value) {
  PipelineState& p = pipeline_;
  const bool on = value != 0;
  switch (state) {
    case D3DRENDERSTATE_TEXTUREHANDLE:
      p.texture_handle = value;
      break;
    case D3DRENDERSTATE_TEXTUREADDRESS:
      p.address_u = p.address_v = static_cast<D3DTEXTUREADDRESS>(value);
      values_[D3DRENDERSTATE_TEXTUREADDRESSU] = values_[D3DRENDERSTATE_TEXTUREADDRESSV] = value;
      break;
    case D3DRENDERSTATE_TEXTUREADDRESSU:
      p.address_u = static_cast<D3DTEXTUREADDRESS>(value);
      break;
    case D3DRENDERSTATE_TEXTUREADDRESSV:
      p.address_v = static_cast<D3DTEXTUREADDRESS>(value);
      break;
    case D3DRENDERSTATE_TEXTUREPERSPECTIVE:
      p.perspective = on;
      break;
    case D3DRENDERSTATE_ZENABLE:
      p.z_enable = on;
      break;
    case D3DRENDERSTATE_SHADEMODE:
      // Phong is not a rasteriser mode of this era; it shades as Gouraud.
      p.shade_mode = value == D3DSHADE_FLAT ? D3DSHADE_FLAT : D3DSHADE_GOURAUD;
      break;
    case D3DRENDERSTATE_ZWRITEENABLE:
      p.z_write = on;
      break;
    case D3DRENDERSTATE_ALPHATESTENABLE:
      p.alpha_test = on;
      break;
    case D3DRENDERSTATE_SRCBLEND:
      p.src_blend = static_cast<D3DBLEND>(value);
      break;
    case D3DRENDERSTATE_DESTBLEND:
      p.dest_blend = static_cast<D3DBLEND>(value);
      break;
    case D3DRENDERSTATE_TEXTUREMAPBLEND:
      p.texture_blend = static_cast<D3DTEXTUREBLEND>(value);
      break;
    case D3DRENDERSTATE_CULLMODE:
      p.cull_mode = static_cast<D3DCULL>(value);
      break;
    case D3DRENDERSTATE_ZFUNC:
      p.z_func = static_cast<D3DCMPFUNC>(value);
      break;
    case D3DRENDERSTATE_ALPHAREF:
      p.alpha_ref = value & 0xFFu;
      break;
    case D3DRENDERSTATE_ALPHAFUNC:
      p.alpha_func = static_cast<D3DCMPFUNC>(value);
      break;
    case D3DRENDERSTATE_DITHERENABLE:
      p.dither = on;
      break;
    case D3DRENDERSTATE_ALPHABLENDENABLE:
      p.alpha_blend = on;
      break;
    case D3DRENDERSTATE_FOGENABLE:
      p.fog_enable = on;
      break;
    case D3DRENDERSTATE_SPECULARENABLE:
      p.specular = on;
      break;
    case D3DRENDERSTATE_FOGCOLOR:
      p.fog_color = value;
      break;
    case D3DRENDERSTATE_FOGTABLEMODE:
      p.fog_table_mode = static_cast<D3DFOGMODE>(value);
      break;
    case D3DRENDERSTATE_FOGTABLESTART:
      p.fog_start = FloatFromBits(value);
      break;
    case D3DRENDERSTATE_FOGTABLEEND:
      p.fog_end = FloatFromBits(value);
      break;
    case D3DRENDERSTATE_FOGTABLEDENSITY:
      p.fog_density = FloatFromBits(value);
      break;
    default:
      break;  // stored for GetRenderState; no effect on drawing
  }
}

}  // namespace platform::raster
