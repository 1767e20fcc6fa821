// TWinControl: a control with a window of its own (a record of the platform's window
// registry) that can hold child controls.
//
// The window (Handle) is made on first use, below the parent's window, and follows the
// control's bounds. DestroyHandle gives it back (children's first, each after its
// WMDestroy); the next Handle() makes a new one, as a border-style change does. A parent
// destroys its child controls, last first, when it is destroyed.
#pragma once

#include <vector>

#include "framework/Control.h"
#include "platform/com/GdiTypes.h"

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* Owner);
  // Destroys the child controls and the window.
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  // The child control at Index (EListError outside the list).
  TControl* Controls(int Index) const;

  // The window, made now if there is none (the parent's window first).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Gives back the window and its children's windows; Handle() makes new ones.
  void DestroyHandle();
  void RecreateWnd() { DestroyHandle(); }

  void SetParent(TWinControl* Parent) override;

 protected:
  void BoundsChanged() override;
  // The window's rectangle in the parent's client coordinates: the control's bounds (a form
  // keeps its menu bar outside its window, which is its client area).
  virtual RECT WindowBounds() const;
  // Runs just before this control's window is given back (not from the destructor).
  virtual void WMDestroy() {}

 private:
  friend class TControl;
  void InsertControl(TControl* Control) { controls_.push_back(Control); }
  void RemoveControl(TControl* Control);

  std::vector<TControl*> controls_;
  HWND handle_ = nullptr;
};
