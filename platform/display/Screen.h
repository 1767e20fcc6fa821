// The emulated screen: the one display of the process, on which GDI (GetDC of the desktop
// or a window) and DirectDraw (the primary surface is this memory) both draw.
//
// Windowed, the screen is the desktop: 16 bits per pixel, 5-6-5, of the desktop size
// (1024 x 768 unless a desktop backend sets the size of the real desktop). A display mode
// set by a full-screen program (DirectDraw's SetDisplayMode) replaces it with a mode of its
// own size and depth (8 bits palettised, 16 bits 5-6-5 or 32 bits) until the desktop is
// restored. Every change of size or depth counts as a mode change: DirectDraw then treats
// its video-memory surfaces as lost, as it does when the full-screen window is deactivated.
//
// A desktop backend shows the screen by reading View() and Palette() whenever ChangeCount()
// has moved; everything that writes screen pixels or the palette calls NoteChange().
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/com/GdiTypes.h"
#include "platform/display/PixelView.h"

namespace platform {

class Screen {
 public:
  // The process's screen (never destroyed, so objects released at exit still find it).
  static Screen& Get();

  // The windowed desktop's size. While a display mode is set only the stored size changes.
  void SetDesktopSize(LONG Width, LONG Height);
  LONG DesktopWidth() const { return desktopWidth_; }
  LONG DesktopHeight() const { return desktopHeight_; }

  // Sets a full-screen display mode; BitCount must be 8, 16 or 32 (else false, no change).
  // The new screen is black; an 8-bit mode starts with the default system palette.
  bool SetDisplayMode(LONG Width, LONG Height, DWORD BitCount);
  // Goes back to the desktop (a mode change when a display mode was set).
  void RestoreDesktop();
  bool InDisplayMode() const { return inDisplayMode_; }

  LONG Width() const { return view_.width; }
  LONG Height() const { return view_.height; }
  DWORD BitCount() const { return view_.bitCount; }
  // The current screen pixels. Valid until the next mode change or SwapMemory.
  PixelView View();

  // Exchanges the screen's pixel memory with Memory, which must have the size of the screen's
  // (how a flip shows the back buffer). False, and nothing changes, when the sizes differ.
  bool SwapMemory(std::vector<std::uint8_t>& Memory);

  // The hardware palette of an 8-bit mode (the system palette). Unused at 16 and 32 bits.
  const std::array<PALETTEENTRY, 256>& Palette() const { return palette_; }
  void SetPaletteEntries(DWORD First, DWORD Count, const PALETTEENTRY* Entries);

  // Counts mode changes; DirectDraw compares it with the count a surface was made under.
  std::uint64_t ModeGeneration() const { return modeGeneration_; }
  // Counts losses of the display's video memory; DirectDraw treats a video-memory surface as
  // lost when this moved since the surface was made or restored.
  std::uint64_t VideoMemoryGeneration() const { return videoMemoryGeneration_; }
  void LoseVideoMemory() { ++videoMemoryGeneration_; }
  // Window lost the focus or was minimised. When it owns the full screen its program loses
  // the display, and with it the video memory; returns whether it did.
  bool DeactivateWindow(HWND Window);
  // Counts changes of what the screen shows: pixels, palette or mode.
  std::uint64_t ChangeCount() const { return changeCount_; }
  void NoteChange() { ++changeCount_; }

  // The window of the program that owns the full screen (0 when none); a desktop backend
  // shows that window full screen, letterboxed.
  HWND FullScreenWindow() const { return fullScreenWindow_; }
  void SetFullScreenWindow(HWND Window) { fullScreenWindow_ = Window; }

 private:
  Screen();
  void Allocate(LONG Width, LONG Height, DWORD BitCount);

  LONG desktopWidth_ = 1024;
  LONG desktopHeight_ = 768;
  bool inDisplayMode_ = false;
  std::vector<std::uint8_t> memory_;
  PixelView view_;
  std::array<PALETTEENTRY, 256> palette_{};
  std::uint64_t modeGeneration_ = 0;
  std::uint64_t videoMemoryGeneration_ = 0;
  std::uint64_t changeCount_ = 0;
  HWND fullScreenWindow_ = nullptr;
};

// The palette an 8-bit display starts with: the twenty static colours of Windows at entries
// 0-9 and 246-255, a 6 x 6 x 6 colour cube at 10-225 and a grey ramp at 226-245.
std::array<PALETTEENTRY, 256> DefaultSystemPalette();

}  // namespace platform
