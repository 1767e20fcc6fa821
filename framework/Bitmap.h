// TBitmap: a picture held in memory, loaded from a Windows bitmap file.
//
// An 8-bit palettised file (and a 1- or 4-bit one) stays palette indices with its own
// palette; every other file is held as 32-bit true colour. The bitmap offers what the
// program's texture code copies from: its size, its palette as a GDI palette handle
// (GetPaletteEntries reads up to 256 entries from it) and a drawing context (Canvas()->Handle())
// that BitBlt copies from, matching colours through the palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Object.h"
#include "platform/com/GdiTypes.h"

enum TPixelFormat { pfDevice, pf8bit, pf32bit };

class TBitmap : public TObject {
 public:
  TBitmap() = default;
  ~TBitmap() override;

  // Replaces the picture with the bitmap file FileName. A file that cannot be opened raises
  // EFOpenError, one that is not a valid bitmap EInvalidGraphic; both name the file, and the
  // bitmap keeps its former picture.
  void LoadFromFile(const std::string& FileName);

  bool Empty() const { return width_ == 0 || height_ == 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // pf8bit (palette indices), pf32bit (0x00RRGGBB) or pfDevice for an empty bitmap.
  TPixelFormat PixelFormat() const;
  // The palette of an 8-bit bitmap with the file's entries (0 for true colour or empty).
  HPALETTE Palette() const { return palette_; }
  // Entries of the palette as loaded (empty for true colour).
  const std::vector<PALETTEENTRY>& PaletteEntries() const { return paletteEntries_; }
  // The drawing context on the pixels (Canvas()->Handle() is 0 while the bitmap is empty).
  TCanvas* Canvas() { return &canvas_; }
  // The pixels of Row (0 is the top), Width() indices or 32-bit colours.
  const std::uint8_t* ScanLine(int Row) const;
  // Counts picture changes, so that a view of the bitmap knows when to copy it again.
  std::uint64_t ChangeCount() const { return changeCount_; }

 private:
  void Release();

  int width_ = 0;
  int height_ = 0;
  int bitCount_ = 0;
  int pitch_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::vector<PALETTEENTRY> paletteEntries_;
  HPALETTE palette_ = nullptr;
  HDC context_ = nullptr;
  TCanvas canvas_;
  std::uint64_t changeCount_ = 0;
};
