#include "framework/Control.h"

#include "framework/WinControl.h"

TControl::TControl(TComponent* Owner) : TComponent(Owner) {}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int Left, int Top, int Width, int Height) {
  if (Left == left_ && Top == top_ && Width == width_ && Height == height_) return;
  left_ = Left;
  top_ = Top;
  width_ = Width;
  height_ = Height;
  BoundsChanged();
}

void TControl::SetParent(TWinControl* Parent) {
  if (Parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  parent_ = Parent;
  if (parent_) parent_->InsertControl(this);
}

void TControl::Invalidate() {
  if (parent_) parent_->Invalidate();
}

POINT TControl::ClientOrigin() const {
  POINT origin{left_, top_};
  if (parent_) {
    const POINT up = parent_->ClientOrigin();
    origin.x += up.x;
    origin.y += up.y;
  }
  return origin;
}

POINT TControl::ClientToScreen(const POINT& Point) const {
  const POINT origin = ClientOrigin();
  return POINT{Point.x + origin.x, Point.y + origin.y};
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
