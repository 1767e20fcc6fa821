// The DirectDraw surface: plain memory with a pitch and a pixel format, or, for the primary
// surface, the emulated screen itself.
//
// - Lock/Unlock hand out the memory; GetDC/ReleaseDC a drawing context on it. While either
//   is out the surface is busy (DDERR_SURFACEBUSY) for blits and flips.
// - Blt fills with a colour or depth, or copies (scaling by nearest pixel when the sizes
//   differ, optionally through the source colour key), cut by an attached clipper: on the
//   primary surface to the clipper's window, elsewhere to the surface. Without a clipper
//   the destination must lie inside the surface (DDERR_INVALIDRECT).
// - BltFast copies without clipping or scaling, with or without the source colour key.
// - Flip shows the back buffer of a full-screen flip chain by exchanging the memories.
// - Video-memory surfaces (the primary surface, its back buffer, and surfaces made with
//   DDSCAPS_VIDEOMEMORY, as a hardware device's copies are) are lost when the display mode
//   changes or the display is lost (the full-screen window deactivated, MarkAllSurfacesLost);
//   a lost surface fails Lock, GetDC, Blt, BltFast and Flip with DDERR_SURFACELOST until
//   Restore. System-memory surfaces are never lost. The primary surface and its back buffer
//   can be restored only in the mode they were made in (DDERR_WRONGMODE otherwise).
//   Restoring keeps the memory's contents.
#pragma once

#include <optional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/ddraw/Clipper.h"
#include "platform/ddraw/DDrawInterfaces.h"
#include "platform/ddraw/Palette.h"
#include "platform/ddraw/SurfacePixels.h"

namespace platform {

struct SurfaceShape {
  DWORD caps = 0;
  LONG width = 0;
  LONG height = 0;
  DDPIXELFORMAT format;
  LONG pitch = 0;            // 0: width in bytes rounded up to a multiple of 4
  bool onScreen = false;     // the primary surface: its pixels are the screen's
  bool screenSized = false;  // primary or back buffer: restorable only in its own mode
};

class SurfaceObject final : public RefCounted<IDirectDrawSurface> {
 public:
  explicit SurfaceObject(const SurfaceShape& Shape);
  ~SurfaceObject() override;

  // Makes Back the back buffer of this primary surface's flip chain (one added reference).
  void AttachBackBuffer(SurfaceObject* Back);
  void SetSourceColorKey(const DDCOLORKEY& Key);

  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT AddAttachedSurface(IDirectDrawSurface* Attached) override;
  HRESULT Blt(const RECT* DestRect, IDirectDrawSurface* Source, const RECT* SrcRect, DWORD Flags,
              const DDBLTFX* Fx) override;
  HRESULT BltFast(DWORD X, DWORD Y, IDirectDrawSurface* Source, const RECT* SrcRect,
                  DWORD Trans) override;
  HRESULT DeleteAttachedSurface(DWORD Flags, IDirectDrawSurface* Attached) override;
  HRESULT Flip(IDirectDrawSurface* Target, DWORD Flags) override;
  HRESULT GetAttachedSurface(const DDSCAPS* Caps, IDirectDrawSurface** Attached) override;
  HRESULT GetCaps(DDSCAPS* Caps) override;
  HRESULT GetClipper(IDirectDrawClipper** Clipper) override;
  HRESULT GetColorKey(DWORD Flags, DDCOLORKEY* Key) override;
  HRESULT GetDC(HDC* Context) override;
  HRESULT GetPalette(IDirectDrawPalette** Palette) override;
  HRESULT GetPixelFormat(DDPIXELFORMAT* Format) override;
  HRESULT GetSurfaceDesc(DDSURFACEDESC* Desc) override;
  HRESULT IsLost() override;
  HRESULT Lock(const RECT* Rect, DDSURFACEDESC* Desc, DWORD Flags, HANDLE Event) override;
  HRESULT ReleaseDC(HDC Context) override;
  HRESULT Restore() override;
  HRESULT SetClipper(IDirectDrawClipper* Clipper) override;
  HRESULT SetColorKey(DWORD Flags, const DDCOLORKEY* Key) override;
  HRESULT SetPalette(IDirectDrawPalette* Palette) override;
  HRESULT Unlock(LPVOID Data) override;

  // The pixels as they are now (the screen's for the primary surface).
  PixelView View() const;
  bool Lost() const;

 private:
  struct LossStamp {
    std::uint64_t modeGeneration = 0;
    std::uint64_t lossCount = 0;
    bool operator==(const LossStamp&) const = default;
  };
  static LossStamp CurrentStamp();

  bool Busy() const { return locked_ || dc_ != nullptr; }
  bool IsZBuffer() const { return (shape_.caps & DDSCAPS_ZBUFFER) != 0; }
  RECT Bounds() const { return RECT{0, 0, shape_.width, shape_.height}; }
  // DD_OK when the surface can be drawn on or read now.
  HRESULT Usable() const;
  HRESULT DestinationArea(const RECT* DestRect, RECT* Dest, RECT* Visible) const;
  HRESULT Fill(const RECT& Visible, DWORD Flags, const DDBLTFX* Fx);
  HRESULT CopyFrom(SurfaceObject& Source, const RECT* SrcRect, const RECT& Dest,
                   const RECT& Visible, bool UseKey);
  void Describe(DDSURFACEDESC* Desc) const;
  void NoteDrawn() const;
  bool ModeStillMatches() const;
  bool InVideoMemory() const;

  SurfaceShape shape_;
  std::vector<std::uint8_t> memory_;  // empty for the primary surface
  LossStamp stamp_;
  bool locked_ = false;
  HDC dc_ = nullptr;
  ComPtr<PaletteObject> palette_;
  ComPtr<ClipperObject> clipper_;
  std::optional<ColorKeyRange> sourceKey_;
  std::optional<ColorKeyRange> destKey_;
  ComPtr<SurfaceObject> backBuffer_;
  ComPtr<SurfaceObject> zBuffer_;
};

// Marks every video-memory surface lost, as the loss of the full-screen window's focus does.
void MarkAllSurfacesLost();
// True while a primary surface exists (there can be only one).
bool PrimarySurfaceExists();

}  // namespace platform
