#include "platform/display/Window.h"

#include <cstdint>
#include <map>
#include <vector>

#include "platform/com/Rect.h"

namespace {

struct WindowRecord {
  HWND parent = nullptr;
  RECT bounds;  // in the parent's client coordinates, or screen coordinates at the top
  bool showsScreen = false;
};

// Never destroyed: controls destroyed during program exit still find the registry.
std::map<HWND, WindowRecord>& Registry() {
  static auto* registry = new std::map<HWND, WindowRecord>;
  return *registry;
}

std::uintptr_t g_nextId = 0x100;

WindowRecord* Find(HWND Window) {
  auto& registry = Registry();
  auto it = registry.find(Window);
  return it == registry.end() ? nullptr : &it->second;
}

// Screen position of Window's client origin.
POINT ClientOrigin(const WindowRecord& Record) {
  POINT origin{Record.bounds.left, Record.bounds.top};
  for (const WindowRecord* up = Find(Record.parent); up; up = Find(up->parent)) {
    origin.x += up->bounds.left;
    origin.y += up->bounds.top;
  }
  return origin;
}

RECT ScreenRect(const WindowRecord& Record) {
  const POINT origin = ClientOrigin(Record);
  return RECT{origin.x, origin.y, origin.x + (Record.bounds.right - Record.bounds.left),
              origin.y + (Record.bounds.bottom - Record.bounds.top)};
}

}  // namespace

namespace platform {

HWND CreateWindowRecord(HWND Parent, const RECT& Bounds) {
  if (Parent && !Find(Parent)) return nullptr;
  const HWND window = reinterpret_cast<HWND>(g_nextId++);
  Registry()[window] = WindowRecord{Parent, Bounds};
  return window;
}

BOOL GetWindowVisibleRect(HWND Window, RECT* Rect) {
  const WindowRecord* record = Find(Window);
  if (!record || !Rect) return FALSE;
  RECT visible = ScreenRect(*record);
  for (const WindowRecord* up = Find(record->parent); up; up = Find(up->parent))
    visible = Intersect(visible, ScreenRect(*up));
  *Rect = visible;
  return TRUE;
}

int WindowCount() {
  return static_cast<int>(Registry().size());
}

BOOL SetWindowShowsScreen(HWND Window, BOOL Shows) {
  WindowRecord* record = Find(Window);
  if (!record) return FALSE;
  record->showsScreen = Shows != FALSE;
  return TRUE;
}

BOOL WindowShowsScreen(HWND Window) {
  const WindowRecord* record = Find(Window);
  return record && record->showsScreen ? TRUE : FALSE;
}

}  // namespace platform

BOOL DestroyWindow(HWND Window) {
  if (!Find(Window)) return FALSE;
  std::vector<HWND> doomed{Window};
  // Children are found by scanning: the registry is small and windows are rarely destroyed.
  for (std::size_t i = 0; i < doomed.size(); ++i)
    for (const auto& [handle, record] : Registry())
      if (record.parent == doomed[i]) doomed.push_back(handle);
  for (HWND handle : doomed) Registry().erase(handle);
  return TRUE;
}

BOOL IsWindow(HWND Window) {
  return Find(Window) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND Window, int X, int Y, int Width, int Height, BOOL /*Repaint*/) {
  WindowRecord* record = Find(Window);
  if (!record) return FALSE;
  record->bounds = RECT{X, Y, X + Width, Y + Height};
  return TRUE;
}

HWND GetParent(HWND Window) {
  const WindowRecord* record = Find(Window);
  return record ? record->parent : nullptr;
}

BOOL GetWindowRect(HWND Window, RECT* Rect) {
  const WindowRecord* record = Find(Window);
  if (!record || !Rect) return FALSE;
  *Rect = ScreenRect(*record);
  return TRUE;
}

BOOL GetClientRect(HWND Window, RECT* Rect) {
  const WindowRecord* record = Find(Window);
  if (!record || !Rect) return FALSE;
  *Rect = RECT{0, 0, record->bounds.right - record->bounds.left,
               record->bounds.bottom - record->bounds.top};
  return TRUE;
}

BOOL ClientToScreen(HWND Window, POINT* Point) {
  const WindowRecord* record = Find(Window);
  if (!record || !Point) return FALSE;
  const POINT origin = ClientOrigin(*record);
  Point->x += origin.x;
  Point->y += origin.y;
  return TRUE;
}
