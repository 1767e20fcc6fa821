#include "framework/WinControl.h"

#include <algorithm>

#include "framework/Exceptions.h"
#include "platform/display/Window.h"

TWinControl::TWinControl(TComponent* Owner) : TControl(Owner) {}

TWinControl::~TWinControl() {
  // Each destroyed child takes itself off the list.
  while (!controls_.empty()) delete controls_.back();
  if (handle_) DestroyWindow(handle_);
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) RaiseListIndexError(Index);
  return controls_[static_cast<std::size_t>(Index)];
}

void TWinControl::RemoveControl(TControl* Control) {
  std::erase(controls_, Control);
}

HWND TWinControl::Handle() {
  if (!handle_) {
    const HWND parentWindow = Parent() ? Parent()->Handle() : nullptr;
    handle_ = platform::CreateWindowRecord(parentWindow, WindowBounds());
  }
  return handle_;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  WMDestroy();
  for (TControl* control : controls_)
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->DestroyHandle();
  DestroyWindow(handle_);
  handle_ = nullptr;
}

void TWinControl::SetParent(TWinControl* Parent) {
  if (Parent == this->Parent()) return;
  DestroyHandle();  // the window is made again below the new parent when next needed
  TControl::SetParent(Parent);
}

RECT TWinControl::WindowBounds() const {
  return RECT{Left(), Top(), Left() + Width(), Top() + Height()};
}

void TWinControl::BoundsChanged() {
  if (!handle_) return;
  const RECT r = WindowBounds();
  MoveWindow(handle_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}
