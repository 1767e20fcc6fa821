// TForm: a top-level window with its controls: caption, client size, position on the
// screen, border style, main menu, and the form events OnCreate, OnShow, OnClick, OnPaint and
// OnClose. Forms are shown by Show (modeless) or ShowModal (a nested message loop until the
// form closes); the current backend makes them visible.
//
// Left, Top, Width and Height are the form's outer place and size on the screen, its main menu
// bar included: a borderless 640 x 480 form at (0, 0) covers exactly that, menu and all. The
// menu bar (kMenuBarHeight high, fixed) lies at the top; the client area is the rest, and is
// the form's window in the platform's window registry. A window manager's frame around a
// bordered form lies outside these bounds.
//
// Changing the border style of a form whose window exists re-creates the form's window and
// every control's window; each old window receives WMDestroy before it goes.
//
// Destroying a form hides it and destroys its controls and the components it owns (the
// controls first, last made first; then the other owned components, last made first).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Events.h"
#include "framework/WinControl.h"

class TMainMenu;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// Where Show places the form: poDesigned keeps Left and Top; poDefault lets the backend
// choose (the desktop lets the window manager place it and reads the place back; headless
// keeps Left and Top); poScreenCenter centres it on the desktop.
enum TPosition { poDesigned, poDefault, poScreenCenter };
// What closing does: caHide hides the form (closing the main form ends the application);
// caNone keeps it open.
enum TCloseAction { caNone, caHide };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
// The wheel turned by WheelDelta (120 a notch, positive away from the user) with the mouse at
// MousePos of the form's client area; a handler that uses it sets Handled.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            POINT MousePos, bool& Handled)>;
// Files dropped onto the form from the desktop, in the order they were dropped.
using TDropFilesEvent = std::function<void(TObject* Sender, const std::vector<std::string>& Files)>;

class TForm : public TWinControl {
 public:
  // Made hidden, sizeable, 320 x 240 at (0, 0), poDesigned.
  explicit TForm(TComponent* Owner);
  ~TForm() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption);
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height() - MenuBarHeight(); }
  void SetClientWidth(int Value) { SetWidth(Value); }
  void SetClientHeight(int Value) { SetHeight(Value + MenuBarHeight()); }
  // kMenuBarHeight with a main menu, else 0.
  int MenuBarHeight() const;
  POINT ClientOrigin() const override;
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  // Re-creates the windows when the style changes and the form's window exists.
  void SetBorderStyle(TFormBorderStyle Value);

  TMainMenu* Menu() const { return menu_; }
  // Setting or removing the menu keeps the client area's size (the form grows or shrinks).
  void SetMenu(TMainMenu* Menu);

  // Showing and hiding: SetVisible(true) is Show, SetVisible(false) is Hide.
  void SetVisible(bool Value) override;
  // Runs OnCreate if it has not run, places the form (Position), makes its windows, runs
  // OnShow and lets the backend show it. Nothing happens when it is already visible.
  void Show();
  void Hide();
  // Closing: a modal form sets ModalResult to mrCancel (its loop then closes it); otherwise
  // OnClose runs with caHide and, unless it answers caNone, the main form ends the application
  // and any other form is hidden.
  void Close();
  // Shows the form modally: a nested message loop runs until ModalResult becomes nonzero
  // (or the application terminates, which gives mrCancel); then OnClose runs (caNone keeps the
  // form open and the loop going) and the form is hidden. Returns ModalResult. Throws
  // EInvalidOperation for a form that is already visible.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  bool Modal() const { return modal_; }

  // Runs OnPaint now and asks the backend to draw the form again.
  void Repaint() override;
  // Asks the backend to draw the form again.
  void Invalidate() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnClick;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  // Runs after the client area's width or height changed (the user resized the window, or the
  // program set new bounds).
  TNotifyEvent OnResize;
  TMouseWheelEvent OnMouseWheel;
  TDropFilesEvent OnDropFiles;

  // Runs OnCreate once; CreateForm calls it, Show and ShowModal call it if nobody did.
  void DoCreate();
  // Runs OnPaint (backends call it when the window must be drawn).
  void Paint();
  // Runs OnClick (a click on the form's own surface).
  void Click();

  // Mouse input from a backend, at (X, Y) of the form's client area. The event goes to the
  // visible control under the point (the form itself when none), in that control's
  // coordinates; while a button is held the control that got the press keeps the mouse. A
  // left press and release on the form's own surface is a click (OnClick).
  enum class MouseAction { Down, Move, Up };
  void MouseInput(MouseAction Action, TMouseButton Button, TShiftState Shift, int X, int Y);
  // The wheel from a backend, the mouse at (X, Y) of the client area: runs OnMouseWheel;
  // true when a handler took it.
  bool MouseWheel(TShiftState Shift, int WheelDelta, int X, int Y);
  // Files dropped onto the form's window: runs OnDropFiles.
  void DropFiles(const std::vector<std::string>& Files);
  // The visible control at (X, Y) of the client area, searched depth first, later controls
  // over earlier ones; the form itself when no control lies there.
  TControl* ControlAtPos(int X, int Y);
  // True when Control is the form or lies on it (a control remembered earlier may have been
  // destroyed since).
  bool HoldsControl(const TControl* Control);

 protected:
  void BoundsChanged() override;
  RECT WindowBounds() const override;

 private:
  void PlaceForShow();
  void CreateAllHandles(TWinControl* Control);
  void CloseModal();
  void EndModal();
  void NotifyChanged();

  std::string caption_;
  TPosition position_ = poDesigned;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TMainMenu* menu_ = nullptr;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
  TControl* mouseCapture_ = nullptr;
  TMouseButton capturedButton_ = mbLeft;
  bool pressedOnForm_ = false;
  int lastWidth_ = 0;  // the client size OnResize last saw
  int lastHeight_ = 0;
};

// The form that Control lies on (following parents), or nullptr.
TForm* GetParentForm(TControl* Control);

// Makes a control of type T owned by Form, on Form, at (Left, Top) in its client area with the
// given size: the one step every form that builds its controls in code repeats.
template <class T>
T* PlaceControl(TForm* Form, int Left, int Top, int Width, int Height) {
  T* control = new T(Form);
  control->SetParent(Form);
  control->SetBounds(Left, Top, Width, Height);
  return control;
}
