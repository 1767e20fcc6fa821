#include "platform/gdi/BitBlt.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/display/ColorCoding.h"
#include "platform/display/Screen.h"
#include "platform/gdi/DeviceContext.h"

namespace {

using platform::DrawTarget;
using platform::PixelView;

// The rectangle to copy, in device pixels of both views, after cutting to both clips.
struct CopyArea {
  LONG dstX, dstY, srcX, srcY, width, height;
};

bool CutToClips(const DrawTarget& Dst, const DrawTarget& Src, int X, int Y, int Width, int Height,
                int SrcX, int SrcY, CopyArea* Area) {
  const std::int64_t dx = std::int64_t{Dst.origin.x} + X, dy = std::int64_t{Dst.origin.y} + Y;
  const std::int64_t sx = std::int64_t{Src.origin.x} + SrcX, sy = std::int64_t{Src.origin.y} + SrcY;
  const std::int64_t left = std::max({std::int64_t{0}, Dst.clip.left - dx, Src.clip.left - sx});
  const std::int64_t top = std::max({std::int64_t{0}, Dst.clip.top - dy, Src.clip.top - sy});
  const std::int64_t right =
      std::min({std::int64_t{Width}, Dst.clip.right - dx, Src.clip.right - sx});
  const std::int64_t bottom =
      std::min({std::int64_t{Height}, Dst.clip.bottom - dy, Src.clip.bottom - sy});
  if (right <= left || bottom <= top) return false;
  *Area = CopyArea{static_cast<LONG>(dx + left),    static_cast<LONG>(dy + top),
                   static_cast<LONG>(sx + left),    static_cast<LONG>(sy + top),
                   static_cast<LONG>(right - left), static_cast<LONG>(bottom - top)};
  return true;
}

bool SameColour(const PALETTEENTRY& A, const PALETTEENTRY& B) {
  return A.peRed == B.peRed && A.peGreen == B.peGreen && A.peBlue == B.peBlue;
}

// Rows of identical coding: a straight copy, in the order that survives overlap.
void CopyRows(const PixelView& Dst, const PixelView& Src, const CopyArea& A) {
  const std::size_t bytes = static_cast<std::size_t>(A.width) * Dst.BytesPerPixel();
  const bool upward = Dst.bits == Src.bits && A.dstY > A.srcY;
  for (LONG i = 0; i < A.height; ++i) {
    const LONG row = upward ? A.height - 1 - i : i;
    std::memmove(Dst.Row(A.dstY + row) + static_cast<std::ptrdiff_t>(A.dstX) * Dst.BytesPerPixel(),
                 Src.Row(A.srcY + row) + static_cast<std::ptrdiff_t>(A.srcX) * Src.BytesPerPixel(),
                 bytes);
  }
}

// Source palette indices through a 256-entry table of destination values.
void CopyThroughTable(const PixelView& Dst, const PixelView& Src, const CopyArea& A,
                      const std::array<DWORD, 256>& Table) {
  for (LONG row = 0; row < A.height; ++row)
    for (LONG col = 0; col < A.width; ++col)
      platform::WritePixel(Dst, A.dstX + col, A.dstY + row,
                           Table[platform::ReadPixel(Src, A.srcX + col, A.srcY + row) & 0xFF]);
}

// Source RGB pixels converted one by one (the last conversion is remembered).
void CopyConverting(const DrawTarget& Dst, const PixelView& Src, const CopyArea& A) {
  bool known = false;
  DWORD lastIn = 0, lastOut = 0;
  for (LONG row = 0; row < A.height; ++row)
    for (LONG col = 0; col < A.width; ++col) {
      const DWORD in = platform::ReadPixel(Src, A.srcX + col, A.srcY + row);
      if (!known || in != lastIn) {
        const PALETTEENTRY c = platform::UnpackRgb(Src, in);
        lastOut = Dst.palette
                      ? platform::NearestPaletteIndex(Dst.palette, c.peRed, c.peGreen, c.peBlue)
                      : platform::PackRgb(Dst.view, c.peRed, c.peGreen, c.peBlue);
        lastIn = in;
        known = true;
      }
      platform::WritePixel(Dst.view, A.dstX + col, A.dstY + row, lastOut);
    }
}

std::array<DWORD, 256> IndexTable(const DrawTarget& Dst, const PALETTEENTRY* SrcPalette) {
  std::array<DWORD, 256> table{};
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& c = SrcPalette[i];
    if (Dst.palette)
      table[i] = SameColour(Dst.palette[i], c)
                     ? static_cast<DWORD>(i)
                     : platform::NearestPaletteIndex(Dst.palette, c.peRed, c.peGreen, c.peBlue);
    else
      table[i] = platform::PackRgb(Dst.view, c.peRed, c.peGreen, c.peBlue);
  }
  return table;
}

}  // namespace

BOOL BitBlt(HDC Destination, int X, int Y, int Width, int Height, HDC Source, int SrcX, int SrcY,
            DWORD Rop) {
  if (Rop != SRCCOPY) return FALSE;
  DrawTarget dst, src;
  if (!platform::GetDrawTarget(Destination, &dst) || !platform::GetDrawTarget(Source, &src))
    return FALSE;
  CopyArea area;
  if (!CutToClips(dst, src, X, Y, Width, Height, SrcX, SrcY, &area)) return TRUE;

  const bool sameColours =
      dst.view.SameCoding(src.view) &&
      (!src.palette || std::equal(src.palette, src.palette + 256, dst.palette, SameColour));
  if (sameColours)
    CopyRows(dst.view, src.view, area);
  else if (src.palette)
    CopyThroughTable(dst.view, src.view, area, IndexTable(dst, src.palette));
  else
    CopyConverting(dst, src.view, area);

  if (platform::DrawsOnScreen(Destination)) platform::Screen::Get().NoteChange();
  return TRUE;
}
