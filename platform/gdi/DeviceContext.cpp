#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <set>

#include "platform/com/Rect.h"
#include "platform/display/Screen.h"
#include "platform/display/Window.h"

struct HDC__ {
  bool onScreen = false;
  HWND window = nullptr;     // screen contexts: 0 for the desktop
  platform::PixelView view;  // pixel-memory contexts
  std::array<PALETTEENTRY, 256> palette{};
  bool ownPalette = false;
};

namespace {

// Live contexts; a handle not in here is rejected rather than followed.
std::set<HDC>& LiveContexts() {
  static auto* live = new std::set<HDC>;
  return *live;
}

bool IsLive(HDC Context) {
  return Context && LiveContexts().count(Context) != 0;
}

HDC Register(HDC__* Record) {
  LiveContexts().insert(Record);
  return Record;
}

void Forget(HDC Context) {
  LiveContexts().erase(Context);
  delete Context;
}

bool ScreenTarget(const HDC__& Record, platform::DrawTarget* Target) {
  platform::Screen& screen = platform::Screen::Get();
  Target->view = screen.View();
  const RECT whole{0, 0, Target->view.width, Target->view.height};
  Target->origin = POINT{0, 0};
  Target->clip = whole;
  if (Record.window) {
    RECT visible;
    if (!platform::GetWindowVisibleRect(Record.window, &visible)) return false;
    POINT origin{0, 0};
    ClientToScreen(Record.window, &origin);
    Target->origin = origin;
    Target->clip = platform::Intersect(visible, whole);
  }
  Target->palette = Target->view.Palettised() ? screen.Palette().data() : nullptr;
  return true;
}

}  // namespace

namespace platform {

HDC CreatePixelDC(const PixelView& View, const PALETTEENTRY* Palette) {
  auto* record = new HDC__;
  record->view = View;
  if (Palette) {
    std::copy(Palette, Palette + 256, record->palette.begin());
    record->ownPalette = true;
  }
  return Register(record);
}

bool GetDrawTarget(HDC Context, DrawTarget* Target) {
  if (!IsLive(Context) || !Target) return false;
  if (Context->onScreen) return ScreenTarget(*Context, Target);
  Target->view = Context->view;
  Target->origin = POINT{0, 0};
  Target->clip = RECT{0, 0, Context->view.width, Context->view.height};
  Target->palette = nullptr;
  if (Context->view.Palettised())
    Target->palette =
        Context->ownPalette ? Context->palette.data() : Screen::Get().Palette().data();
  return true;
}

bool DrawsOnScreen(HDC Context) {
  return IsLive(Context) && Context->onScreen;
}

}  // namespace platform

HDC GetDC(HWND Window) {
  if (Window && !IsWindow(Window)) return nullptr;
  auto* record = new HDC__;
  record->onScreen = true;
  record->window = Window;
  return Register(record);
}

int ReleaseDC(HWND /*Window*/, HDC Context) {
  if (!IsLive(Context) || !Context->onScreen) return 0;
  Forget(Context);
  return 1;
}

BOOL DeleteDC(HDC Context) {
  if (!IsLive(Context) || Context->onScreen) return FALSE;
  Forget(Context);
  return TRUE;
}

UINT GetSystemPaletteEntries(HDC Context, UINT Start, UINT Count, PALETTEENTRY* Entries) {
  platform::Screen& screen = platform::Screen::Get();
  if (!IsLive(Context) || !Entries || screen.BitCount() != 8 || Start >= 256) return 0;
  const UINT copied = std::min<UINT>(Count, 256 - Start);
  std::copy_n(screen.Palette().begin() + Start, copied, Entries);
  return copied;
}
