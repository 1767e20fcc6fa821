#include "platform/display/Screen.h"

#include <algorithm>

namespace platform {
namespace {

constexpr PALETTEENTRY kStaticLow[10] = {
    {0, 0, 0, 0},     {128, 0, 0, 0},   {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0}};
constexpr PALETTEENTRY kStaticHigh[10] = {
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},
    {0, 255, 0, 0},     {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},
    {0, 255, 255, 0},   {255, 255, 255, 0}};

}  // namespace

std::array<PALETTEENTRY, 256> DefaultSystemPalette() {
  std::array<PALETTEENTRY, 256> palette{};
  std::copy(std::begin(kStaticLow), std::end(kStaticLow), palette.begin());
  std::copy(std::begin(kStaticHigh), std::end(kStaticHigh), palette.begin() + 246);
  int index = 10;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        palette[index++] = PALETTEENTRY{static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51),
                                        static_cast<BYTE>(b * 51), 0};
  for (int i = 0; i < 20; ++i) {
    const auto level = static_cast<BYTE>(8 + i * 12);
    palette[index++] = PALETTEENTRY{level, level, level, 0};
  }
  return palette;
}

Screen& Screen::Get() {
  static Screen* screen = new Screen;
  return *screen;
}

Screen::Screen() {
  Allocate(desktopWidth_, desktopHeight_, 16);
}

void Screen::Allocate(LONG Width, LONG Height, DWORD BitCount) {
  const LONG pitch = Width * static_cast<LONG>(BitCount / 8);
  memory_.assign(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(Height), 0);
  view_ = PixelView{memory_.data(), pitch, Width, Height, BitCount};
  if (BitCount == 16) {
    view_.redMask = kRed565;
    view_.greenMask = kGreen565;
    view_.blueMask = kBlue565;
  } else if (BitCount == 32) {
    view_.redMask = 0x00FF0000;
    view_.greenMask = 0x0000FF00;
    view_.blueMask = 0x000000FF;
  }
  if (BitCount == 8) palette_ = DefaultSystemPalette();
  ++modeGeneration_;
  NoteChange();
}

void Screen::SetDesktopSize(LONG Width, LONG Height) {
  if (Width <= 0 || Height <= 0) return;
  desktopWidth_ = Width;
  desktopHeight_ = Height;
  if (!inDisplayMode_) Allocate(Width, Height, 16);
}

bool Screen::SetDisplayMode(LONG Width, LONG Height, DWORD BitCount) {
  if (Width <= 0 || Height <= 0) return false;
  if (BitCount != 8 && BitCount != 16 && BitCount != 32) return false;
  inDisplayMode_ = true;
  Allocate(Width, Height, BitCount);
  return true;
}

void Screen::RestoreDesktop() {
  if (!inDisplayMode_) return;
  inDisplayMode_ = false;
  Allocate(desktopWidth_, desktopHeight_, 16);
}

PixelView Screen::View() {
  view_.bits = memory_.data();
  return view_;
}

bool Screen::SwapMemory(std::vector<std::uint8_t>& Memory) {
  if (Memory.size() != memory_.size()) return false;
  memory_.swap(Memory);
  view_.bits = memory_.data();
  NoteChange();
  return true;
}

void Screen::SetPaletteEntries(DWORD First, DWORD Count, const PALETTEENTRY* Entries) {
  if (!Entries || First >= 256) return;
  Count = std::min<DWORD>(Count, 256 - First);
  std::copy(Entries, Entries + Count, palette_.begin() + First);
  NoteChange();
}

bool Screen::DeactivateWindow(HWND Window) {
  if (Window == nullptr || Window != fullScreenWindow_) return false;
  LoseVideoMemory();
  return true;
}

}  // namespace platform
