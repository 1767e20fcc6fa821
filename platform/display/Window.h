// The window registry: what the platform knows of windows. A window is a rectangle placed in
// its parent's client area (a top-level window: on the screen), with nothing drawn by the
// registry itself. The framework makes one record per windowed control; DirectDraw clippers
// and GetDC(hwnd) look windows up here to find where on the emulated screen they lie.
//
// HWND values are ids, never addresses: a handle whose window was destroyed is simply not
// found (IsWindow is FALSE), so a stale handle cannot reach freed memory. Client area and
// window rectangle are the same (no borders or captions are emulated). A later desktop
// backend places its windows from the same records.
#pragma once

#include "platform/com/GdiTypes.h"

namespace platform {

// Makes a window with Bounds in its parent's client coordinates (screen coordinates when
// Parent is 0). Returns 0 when Parent is given but is not a window.
HWND CreateWindowRecord(HWND Parent, const RECT& Bounds);

// The window's rectangle on the screen cut by every ancestor's rectangle: the part that can
// show. FALSE when Window is not a window; the rectangle may be empty.
BOOL GetWindowVisibleRect(HWND Window, RECT* Rect);

// Number of live windows: a caller compares it to check the framework gives its windows back.
int WindowCount();

// A window that shows the screen: what is drawn on the emulated screen under it is its
// content (a DirectDraw clipper's window). A desktop backend shows the screen's pixels there.
// The mark lasts as long as the window. FALSE when Window is not a window.
BOOL SetWindowShowsScreen(HWND Window, BOOL Shows);
BOOL WindowShowsScreen(HWND Window);

}  // namespace platform

// Destroys Window and all its descendants.
BOOL DestroyWindow(HWND Window);
BOOL IsWindow(HWND Window);
// Places Window at (X, Y) in its parent's client coordinates with the given size.
BOOL MoveWindow(HWND Window, int X, int Y, int Width, int Height, BOOL Repaint);
HWND GetParent(HWND Window);
// Screen coordinates of the window's rectangle.
BOOL GetWindowRect(HWND Window, RECT* Rect);
// (0, 0, width, height).
BOOL GetClientRect(HWND Window, RECT* Rect);
// Converts Point from Window's client coordinates to screen coordinates.
BOOL ClientToScreen(HWND Window, POINT* Point);
