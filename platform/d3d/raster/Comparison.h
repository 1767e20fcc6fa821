#pragma once
// The comparison functions of D3DRENDERSTATE_ZFUNC and D3DRENDERSTATE_ALPHAFUNC, in one place
// for the depth test and the alpha test.

#include "platform/d3d/D3DTypes.h"

namespace platform::raster {

// Does the incoming value pass against the reference (the stored depth, the alpha reference)?
// The render-state block refuses values outside the enumeration, so every case is named.
template <typename Value>
constexpr bool ComparisonPasses(D3DCMPFUNC func, Value incoming, Value reference) {
  switch (func) {
    case D3DCMP_NEVER:
      return false;
    case D3DCMP_LESS:
      return incoming < reference;
    case D3DCMP_EQUAL:
      return incoming == reference;
    case D3DCMP_LESSEQUAL:
      return incoming <= reference;
    case D3DCMP_GREATER:
      return incoming > reference;
    case D3DCMP_NOTEQUAL:
      return incoming != reference;
    case D3DCMP_GREATEREQUAL:
      return incoming >= reference;
    default:  // D3DCMP_ALWAYS
      return true;
  }
}

}  // namespace platform::raster
