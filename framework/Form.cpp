#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/Backend.h"
#include "framework/Exceptions.h"
#include "framework/Menu.h"
#include "platform/display/Screen.h"

namespace {

Backend& CurrentBackend() {
  return Application->CurrentBackend();
}

bool Holds(TWinControl* Parent, const TControl* Control) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* child = Parent->Controls(i);
    if (child == Control) return true;
    if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && Holds(windowed, Control))
      return true;
  }
  return false;
}

// The visible control at (X, Y) of Parent's client area, or nullptr.
TControl* ChildAt(TWinControl* Parent, int X, int Y) {
  for (int i = Parent->ControlCount() - 1; i >= 0; --i) {
    TControl* child = Parent->Controls(i);
    if (!child->Visible()) continue;
    const int x = X - child->Left();
    const int y = Y - child->Top();
    if (x < 0 || y < 0 || x >= child->Width() || y >= child->Height()) continue;
    if (auto* windowed = dynamic_cast<TWinControl*>(child))
      if (TControl* inner = ChildAt(windowed, x, y)) return inner;
    return child;
  }
  return nullptr;
}

}  // namespace

TForm* GetParentForm(TControl* Control) {
  for (TControl* up = Control; up; up = up->Parent())
    if (auto* form = dynamic_cast<TForm*>(up)) return form;
  return nullptr;
}

TForm::TForm(TComponent* Owner) : TWinControl(Owner) {
  TControl::SetVisible(false);
  SetBounds(0, 0, 320, 240);
  Application->FormCreated(this);
}

TForm::~TForm() {
  if (Visible()) CurrentBackend().HideForm(*this);
  Application->FormDestroyed(this);
}

void TForm::SetCaption(const std::string& Caption) {
  caption_ = Caption;
  NotifyChanged();
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  if (HandleAllocated()) {
    // The old windows hear WMDestroy and go; new ones are made at once, as a form that is
    // on the screen needs them.
    RecreateWnd();
    CreateAllHandles(this);
  }
  NotifyChanged();
}

void TForm::SetMenu(TMainMenu* Menu) {
  const int clientHeight = ClientHeight();
  menu_ = Menu;
  SetBounds(Left(), Top(), Width(), clientHeight + MenuBarHeight());
  BoundsChanged();  // the client area moved even when the outer size stayed
}

int TForm::MenuBarHeight() const {
  return menu_ ? kMenuBarHeight : 0;
}

POINT TForm::ClientOrigin() const {
  return POINT{Left(), Top() + MenuBarHeight()};
}

RECT TForm::WindowBounds() const {
  return RECT{Left(), Top() + MenuBarHeight(), Left() + Width(), Top() + Height()};
}

void TForm::SetVisible(bool Value) {
  if (Value)
    Show();
  else
    Hide();
}

void TForm::Show() {
  if (Visible()) return;
  DoCreate();
  PlaceForShow();
  CreateAllHandles(this);
  Backend& backend = CurrentBackend();  // without one the form stays hidden
  TControl::SetVisible(true);
  backend.ShowForm(*this);
  if (OnShow) OnShow(this);
}

void TForm::Hide() {
  if (!Visible()) return;
  TControl::SetVisible(false);
  mouseCapture_ = nullptr;
  CurrentBackend().HideForm(*this);
}

void TForm::PlaceForShow() {
  if (position_ != poScreenCenter) return;
  const platform::Screen& screen = platform::Screen::Get();
  SetBounds((screen.DesktopWidth() - Width()) / 2, (screen.DesktopHeight() - Height()) / 2, Width(),
            Height());
}

void TForm::CreateAllHandles(TWinControl* Control) {
  Control->Handle();
  for (int i = 0; i < Control->ControlCount(); ++i)
    if (auto* windowed = dynamic_cast<TWinControl*>(Control->Controls(i)))
      CreateAllHandles(windowed);
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application->MainForm() == this)
    Application->Terminate();
  else
    Hide();
}

TModalResult TForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  modal_ = true;
  modalResult_ = mrNone;
  Application->ModalBegins(this);
  try {
    Show();
    CurrentBackend().ModalStarted(*this);
    do {
      Application->HandleMessage();
      if (Application->Terminated())
        modalResult_ = mrCancel;
      else if (modalResult_ != mrNone)
        CloseModal();
    } while (modalResult_ == mrNone);
  } catch (...) {
    EndModal();
    throw;
  }
  EndModal();
  return modalResult_;
}

void TForm::CloseModal() {
  try {
    TCloseAction action = caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) modalResult_ = mrNone;
  } catch (...) {
    // The form stays open, as if OnClose had answered caNone.
    modalResult_ = mrNone;
    Application->HandleException();
  }
}

void TForm::EndModal() {
  Hide();
  modal_ = false;
  Application->ModalEnds(this);
}

void TForm::Repaint() {
  Paint();
  Invalidate();
}

void TForm::Invalidate() {
  if (Visible()) CurrentBackend().Invalidate(*this);
}

void TForm::DoCreate() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void TForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TForm::Click() {
  if (OnClick) OnClick(this);
}

void TForm::BoundsChanged() {
  TWinControl::BoundsChanged();
  NotifyChanged();
  if (Width() == lastWidth_ && Height() == lastHeight_) return;
  lastWidth_ = Width();
  lastHeight_ = Height();
  if (OnResize) OnResize(this);
}

bool TForm::MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, POINT{X, Y}, handled);
  return handled;
}

void TForm::DropFiles(const std::vector<std::string>& Files) {
  if (OnDropFiles) OnDropFiles(this, Files);
}

void TForm::NotifyChanged() {
  if (Visible()) CurrentBackend().FormChanged(*this);
}

bool TForm::HoldsControl(const TControl* Control) {
  return Control == this || Holds(this, Control);
}

TControl* TForm::ControlAtPos(int X, int Y) {
  TControl* control = ChildAt(this, X, Y);
  return control ? control : this;
}

void TForm::MouseInput(MouseAction Action, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (mouseCapture_ && !HoldsControl(mouseCapture_)) mouseCapture_ = nullptr;
  TControl* target = mouseCapture_ ? mouseCapture_ : ControlAtPos(X, Y);
  const POINT origin = target->ClientOrigin();
  const POINT formOrigin = ClientOrigin();
  const int x = X - (origin.x - formOrigin.x);
  const int y = Y - (origin.y - formOrigin.y);
  switch (Action) {
    case MouseAction::Down:
      if (!mouseCapture_) {
        mouseCapture_ = target;
        capturedButton_ = Button;
        pressedOnForm_ = target == this && Button == mbLeft;
      }
      target->MouseDown(Button, Shift, x, y);
      break;
    case MouseAction::Move:
      target->MouseMove(Shift, x, y);
      break;
    case MouseAction::Up: {
      const bool release = mouseCapture_ && Button == capturedButton_;
      // A click: pressed and released on the form's own surface, inside it.
      const bool click = release && pressedOnForm_ && ControlAtPos(X, Y) == this;
      if (release) {
        mouseCapture_ = nullptr;
        pressedOnForm_ = false;
      }
      target->MouseUp(Button, Shift, x, y);
      if (click) Click();
      break;
    }
  }
}
