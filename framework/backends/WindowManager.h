// Whether a window manager looks after a window's display. Full screen depends on it: with a
// window manager, SDL's desktop full screen asks it to cover the screen; on a bare X server
// nobody answers that request, the window keeps its size while SDL believes it covers the
// screen, so the backend covers the screen itself (a borderless window of the display's size
// at its corner).
#pragma once

#include <SDL.h>

namespace framework::backends {

// True when Window's display has a window manager: on X11, one that announces itself on the
// root window (_NET_SUPPORTING_WM_CHECK); on Wayland always (the compositor); false for SDL's
// windowless drivers.
bool HasWindowManager(SDL_Window* Window);

}  // namespace framework::backends
