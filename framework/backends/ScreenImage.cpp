#include "framework/backends/ScreenImage.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/display/Rgb565.h"
#include "platform/display/Screen.h"

namespace framework::backends {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

}  // namespace

void ConvertRowToArgb(const platform::PixelView& View, const PALETTEENTRY* Palette, int X, int Y,
                      int Count, std::uint32_t* Out) {
  const std::uint8_t* row = View.Row(Y);
  switch (View.bitCount) {
    case 8:
      for (int i = 0; i < Count; ++i) {
        const PALETTEENTRY& e = Palette[row[X + i]];
        Out[i] =
            kOpaque | (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
      }
      break;
    case 16: {
      const auto* pixels = reinterpret_cast<const std::uint16_t*>(row) + X;
      for (int i = 0; i < Count; ++i) Out[i] = platform::ExpandRgb565(pixels[i]);
      break;
    }
    default: {  // 32 bits, 0x00RRGGBB
      const auto* pixels = reinterpret_cast<const std::uint32_t*>(row) + X;
      for (int i = 0; i < Count; ++i) Out[i] = kOpaque | (pixels[i] & 0x00FFFFFFu);
      break;
    }
  }
}

bool CopyScreenToTexture(const RECT& ScreenRect, SDL_Texture* Texture, int X, int Y) {
  platform::Screen& screen = platform::Screen::Get();
  const platform::PixelView view = screen.View();
  int textureWidth = 0;
  int textureHeight = 0;
  SDL_QueryTexture(Texture, nullptr, nullptr, &textureWidth, &textureHeight);
  // Cut to the screen, then to the texture (moving the target with the cut).
  int left = std::max<int>(ScreenRect.left, 0);
  int top = std::max<int>(ScreenRect.top, 0);
  int right = std::min<int>(ScreenRect.right, view.width);
  int bottom = std::min<int>(ScreenRect.bottom, view.height);
  X += left - ScreenRect.left;
  Y += top - ScreenRect.top;
  if (X < 0) {  // columns that would fall left of the texture are skipped
    left -= X;
    X = 0;
  }
  if (Y < 0) {
    top -= Y;
    Y = 0;
  }
  right = std::min(right, left + (textureWidth - X));
  bottom = std::min(bottom, top + (textureHeight - Y));
  if (right <= left || bottom <= top) return false;

  const SDL_Rect target{X, Y, right - left, bottom - top};
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(Texture, &target, &pixels, &pitch) != 0) return false;
  for (int y = top; y < bottom; ++y)
    ConvertRowToArgb(
        view, screen.Palette().data(), left, y, right - left,
        reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) +
                                         static_cast<std::ptrdiff_t>(y - top) * pitch));
  SDL_UnlockTexture(Texture);
  return true;
}

}  // namespace framework::backends
