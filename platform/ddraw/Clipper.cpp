#include "platform/ddraw/Clipper.h"

#include "platform/ddraw/DDrawErrors.h"
#include "platform/display/Window.h"

namespace platform {

HRESULT ClipperObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDirectDrawClipper)
    return Answer(static_cast<IDirectDrawClipper*>(this), Object);
  return NoInterface(Object);
}

HRESULT ClipperObject::GetHWnd(HWND* Window) {
  if (!Window) return DDERR_INVALIDPARAMS;
  *Window = window_;
  return DD_OK;
}

HRESULT ClipperObject::SetHWnd(DWORD Flags, HWND Window) {
  if (Flags != 0 || (Window && !IsWindow(Window))) return DDERR_INVALIDPARAMS;
  window_ = Window;
  // What DirectDraw draws on the screen under this window is the window's content.
  if (Window) SetWindowShowsScreen(Window, TRUE);
  return DD_OK;
}

HRESULT ClipperObject::ClipRect(RECT* Rect) const {
  if (!window_ || !GetWindowVisibleRect(window_, Rect)) return DDERR_NOCLIPLIST;
  return DD_OK;
}

}  // namespace platform
