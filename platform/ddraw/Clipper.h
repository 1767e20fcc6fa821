// The DirectDraw clipper: bound to a window, it cuts blits onto the primary surface to the
// part of the screen where that window can show.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/ddraw/DDrawInterfaces.h"

namespace platform {

class ClipperObject final : public RefCounted<IDirectDrawClipper> {
 public:
  HRESULT QueryInterface(REFIID Iid, void** Object) override;
  HRESULT GetHWnd(HWND* Window) override;
  // Flags must be 0; Window a window, or 0 to unbind.
  HRESULT SetHWnd(DWORD Flags, HWND Window) override;

  // The screen rectangle blits may reach: DDERR_NOCLIPLIST when no window is bound or the
  // bound window no longer exists.
  HRESULT ClipRect(RECT* Rect) const;

 private:
  HWND window_ = nullptr;
};

}  // namespace platform
