// TControl: a component with a place on the screen: Left, Top, Width and Height in its
// parent's client area (on the screen when it has no parent), and the mouse events.
#pragma once

#include <functional>

#include "framework/Component.h"
#include "platform/com/WinTypes.h"

class TWinControl;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The keys and buttons held during a mouse event (a set of these flags).
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1u << 0;
inline constexpr TShiftState ssAlt = 1u << 1;
inline constexpr TShiftState ssCtrl = 1u << 2;
inline constexpr TShiftState ssLeft = 1u << 3;
inline constexpr TShiftState ssRight = 1u << 4;
inline constexpr TShiftState ssMiddle = 1u << 5;
inline constexpr TShiftState ssDouble = 1u << 6;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* Owner);
  // Leaves its parent's list of controls.
  ~TControl() override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  void SetBounds(int Left, int Top, int Width, int Height);

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* Parent);

  bool Visible() const { return visible_; }
  // Virtual so that a form shows or hides itself.
  virtual void SetVisible(bool Value) { visible_ = Value; }
  // A disabled control ignores the user's input.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }

  // Asks for the control to be drawn again (through its parent up to the form).
  virtual void Invalidate();
  virtual void Repaint() { Invalidate(); }

  // Screen position of the client area's top-left corner (a form's lies below its menu bar).
  virtual POINT ClientOrigin() const;
  // Point converted from this control's client coordinates to screen coordinates.
  POINT ClientToScreen(const POINT& Point) const;

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  // A backend reports mouse input here (client coordinates); each runs its event if set.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

 protected:
  // Runs after Left, Top, Width or Height changed.
  virtual void BoundsChanged() {}

 private:
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TWinControl* parent_ = nullptr;
};
