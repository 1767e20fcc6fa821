#include "framework/backends/WindowManager.h"

#include <SDL_syswm.h>

#include <X11/Xatom.h>

namespace framework::backends {
namespace {

bool X11HasWindowManager(Display* Connection) {
  const Atom check = XInternAtom(Connection, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;  // nobody ever announced one on this server
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(Connection, DefaultRootWindow(Connection), check, 0, 1,
                                        False, XA_WINDOW, &type, &format, &count, &after, &data);
  const bool announced = status == Success && type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return announced;
}

}  // namespace

bool HasWindowManager(SDL_Window* Window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(Window, &info)) return false;
  switch (info.subsystem) {
    case SDL_SYSWM_X11:
      return X11HasWindowManager(info.info.x11.display);
    case SDL_SYSWM_WAYLAND:
      return true;
    default:
      return false;
  }
}

}  // namespace framework::backends
