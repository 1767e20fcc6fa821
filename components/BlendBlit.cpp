#include "components/BlendBlit.h"

#include <algorithm>
#include <cstring>

namespace {

// Round to nearest, ties to even, under the default rounding mode: adding and taking away
// 1.5 * 2^52 leaves no bits below the units place. Exact for |Value| < 2^51, and a handful of
// instructions instead of a library call per channel.
inline double RoundHalfEven(double Value) {
  constexpr double kShift = 6755399441055744.0;
  return (Value + kShift) - kShift;
}

// One channel of the screen addition; InverseMask is 1/M held in double precision.
inline std::uint32_t ScreenChannel(std::uint32_t S, std::uint32_t D, std::uint32_t Mask,
                                   double InverseMask) {
  const std::uint32_t s = S & Mask, d = D & Mask;
  const double t =
      RoundHalfEven(static_cast<double>(d) * InverseMask * static_cast<double>(Mask - s));
  return (s + static_cast<std::uint32_t>(t)) & Mask;
}

struct ScreenAdd {
  ChannelMasks masks;
  double inverseRed, inverseGreen, inverseBlue;
  std::uint32_t operator()(std::uint32_t S, std::uint32_t D) const {
    return ScreenChannel(S, D, masks.Red, inverseRed) |
           ScreenChannel(S, D, masks.Green, inverseGreen) |
           ScreenChannel(S, D, masks.Blue, inverseBlue);
  }
};

struct SaturatingAdd {
  ChannelMasks masks;
  static std::uint32_t Channel(std::uint32_t S, std::uint32_t D, std::uint32_t Mask) {
    return std::min(Mask, (S & Mask) + (D & Mask));
  }
  std::uint32_t operator()(std::uint32_t S, std::uint32_t D) const {
    return Channel(S, D, masks.Red) | Channel(S, D, masks.Green) | Channel(S, D, masks.Blue);
  }
};

struct Darken {
  ChannelMasks masks, decrements;
  static std::uint32_t Channel(std::uint32_t P, std::uint32_t Mask, std::uint32_t Decrement) {
    const std::uint32_t v = P & Mask;
    return v > Decrement ? v - Decrement : 0;
  }
  std::uint32_t operator()(std::uint32_t /*S*/, std::uint32_t P) const {
    return Channel(P, masks.Red, decrements.Red) | Channel(P, masks.Green, decrements.Green) |
           Channel(P, masks.Blue, decrements.Blue);
  }
};

// Applies Op(source pixel, destination pixel) to Width pixels, two at a time as one 32-bit
// word. Source may be the destination row itself (Darken reads nothing else).
template <class PixelOp>
void BlendRow(std::uint8_t* Dst, const std::uint8_t* Src, LONG Width, const PixelOp& Op) {
  LONG x = 0;
  for (; x + 1 < Width; x += 2) {
    std::uint32_t d, s;
    std::memcpy(&d, Dst + 2 * x, 4);
    std::memcpy(&s, Src + 2 * x, 4);
    const std::uint32_t out = Op(s & 0xFFFF, d & 0xFFFF) | (Op(s >> 16, d >> 16) << 16);
    std::memcpy(Dst + 2 * x, &out, 4);
  }
  if (x < Width) {
    std::uint16_t d, s;
    std::memcpy(&d, Dst + 2 * x, 2);
    std::memcpy(&s, Src + 2 * x, 2);
    const auto out = static_cast<std::uint16_t>(Op(s, d));
    std::memcpy(Dst + 2 * x, &out, 2);
  }
}

template <class PixelOp>
void BlendRows(const BlendSurface& Dst, const BlendSurface& Src, const BlendRect& R,
               const PixelOp& Op) {
  std::uint8_t* dst = Dst.Bits + static_cast<std::ptrdiff_t>(Dst.Pitch) * R.Y + 2 * R.X;
  const std::uint8_t* src = Src.Bits + static_cast<std::ptrdiff_t>(Src.Pitch) * R.SY + 2 * R.SX;
  for (LONG row = 0; row < R.H; ++row, dst += Dst.Pitch, src += Src.Pitch)
    BlendRow(dst, src, R.W, Op);
}

}  // namespace

bool IsBlendableFormat(const DDPIXELFORMAT& Format) {
  auto usable = [](DWORD Mask) { return Mask != 0 && Mask <= 0xFFFF; };
  return Format.dwRGBBitCount == 16 && (Format.dwFlags & DDPF_RGB) &&
         !(Format.dwFlags & DDPF_PALETTEINDEXED8) && usable(Format.dwRBitMask) &&
         usable(Format.dwGBitMask) && usable(Format.dwBBitMask);
}

bool ClipBlendRect(BlendRect& Rect, LONG DW, LONG DH, LONG SW, LONG SH) {
  std::int64_t x = Rect.X, y = Rect.Y, sx = Rect.SX, sy = Rect.SY, w = Rect.W, h = Rect.H;
  if (w < 0 || h < 0) return false;
  if (x + w < 0 || y + h < 0 || x >= DW || y >= DH || sx + w < 0 || sy + h < 0 || sx >= SW ||
      sy >= SH)
    return false;
  if (x < 0) sx -= x, w += x, x = 0;
  if (y < 0) sy -= y, h += y, y = 0;
  if (x + w >= DW) w = DW - x;
  if (y + h >= DH) h = DH - y;
  if (sx < 0) x -= sx, w += sx, sx = 0;
  if (sy < 0) y -= sy, h += sy, sy = 0;
  if (sx + w >= SW) w = SW - sx;
  if (sy + h >= SH) h = SH - sy;
  if (w <= 0 || h <= 0) return false;
  Rect = BlendRect{static_cast<LONG>(x),  static_cast<LONG>(y), static_cast<LONG>(sx),
                   static_cast<LONG>(sy), static_cast<LONG>(w), static_cast<LONG>(h)};
  return true;
}

void ScreenAddRect(const BlendSurface& Dst, const BlendSurface& Src, const BlendRect& Rect,
                   const ChannelMasks& Masks) {
  const ScreenAdd op{Masks, 1.0 / Masks.Red, 1.0 / Masks.Green, 1.0 / Masks.Blue};
  BlendRows(Dst, Src, Rect, op);
}

void SaturatingAddRect(const BlendSurface& Dst, const BlendSurface& Src, const BlendRect& Rect,
                       const ChannelMasks& Masks) {
  BlendRows(Dst, Src, Rect, SaturatingAdd{Masks});
}

ChannelMasks DarkDecrements(const ChannelMasks& Masks, const ChannelMasks& Units, float Amount) {
  if (!(Amount >= 0.0f)) Amount = 0.0f;  // also NaN
  if (Amount > 1.0f) Amount = 1.0f;
  auto decrement = [Amount](DWORD Mask, DWORD Unit) {
    const auto d = static_cast<DWORD>(static_cast<double>(Mask) * Amount) & Mask;
    return d != 0 ? d : Unit;
  };
  return ChannelMasks{decrement(Masks.Red, Units.Red), decrement(Masks.Green, Units.Green),
                      decrement(Masks.Blue, Units.Blue)};
}

void DarkenSurface(const BlendSurface& Surface, const ChannelMasks& Masks,
                   const ChannelMasks& Decrements) {
  const BlendRect whole{0, 0, 0, 0, Surface.Width, Surface.Height};
  BlendRows(Surface, Surface, whole, Darken{Masks, Decrements});
}
