// DesktopBackend: the framework on the desktop, with SDL2 and Dear ImGui.
//
// Each visible form is an SDL window of the form's outer size (menu bar included) at the form's
// place, its controls drawn with ImGui at their stored positions and sizes
// (framework::backends::DesktopWindow, framework::backends::ControlPainter). Where a control shows
// the screen (a DirectDraw clipper's window), the window shows the emulated screen's pixels under
// that control's screen rectangle; a form that owns the exclusive full screen shows the whole front
// buffer, letterboxed, in a full-screen window.
//
// Input: the mouse over ImGui's widgets and the menu, the keyboard and text go to ImGui;
// what the user does with a widget becomes an action run by the loop as one input event. The
// mouse elsewhere goes to the form's mouse and wheel events (TForm::MouseInput, MouseWheel);
// files dropped onto a window go to its form (TForm::DropFiles). While a form is shown
// modally, the other forms take no input. Closing a window closes its form.
//
// The loop: the idle event runs whenever no event waits; windows are redrawn after input,
// at most every 16 ms while the loop is busy (so a handler that is never done still shows its
// frames) and always before the loop waits. Nothing waits for the display's refresh.
//
// Message boxes are SDL_ShowMessageBox; when SDL cannot show one (no display), MessageBox
// throws EBackendError rather than blocking; long texts are wrapped to fit the screen, and a
// box closed by the window manager gives the safe answer (MessageBoxClosedAnswer).
//
// Fonts: ImGui's default pixel font (13 pixels), with the glyphs beyond ASCII that a form's
// texts need (as the form holds them when its window is made) merged in from the first font of
// DesktopOptions::GlyphFonts that exists; without one, such characters show as '?'. The menu
// bar is kMenuBarHeight high whatever the fonts.
//
// While every window is minimised or unmapped the backend is asleep: the loop waits for
// input instead of running the idle event. A drag that began on a form ends with the button's
// release wherever it happens (the mouse is captured while a button is held).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Backend.h"

namespace framework::backends {
class DesktopWindow;
}

struct DesktopOptions {
  // SDL's software renderer, which draws the same pixels on every machine and display.
  bool SoftwareRenderer = false;
  // Fonts with Japanese glyphs, tried in this order; the first that can be read gives each
  // window the glyphs its form's texts need beyond ASCII. None: those show as '?'.
  std::vector<std::string> GlyphFonts = {
      "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",  // fonts-droid-fallback
      "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",     // fonts-noto-cjk
      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",          // fonts-ipafont-gothic
  };
};

class DesktopBackend : public Backend {
 public:
  // Starts SDL's video and sets the emulated desktop to the real desktop's size. Throws
  // ENoDisplay when there is no display.
  explicit DesktopBackend(DesktopOptions Options = {});
  ~DesktopBackend() override;

  // Draws every visible form now.
  void RefreshNow();
  // Draws Form's window now and reads its pixels back (ARGB8888, rows top first); false when
  // the form has no window.
  bool CaptureWindow(TForm& Form, std::vector<std::uint32_t>* Pixels, int* Width, int* Height);
  // The SDL window of a visible form, else nullptr.
  SDL_Window* WindowOf(const TForm& Form) const;

  // Backend.
  DWORD Milliseconds() override { return SDL_GetTicks(); }
  bool DispatchEvent() override;
  void IdleEnded(bool Done) override;
  // Every window is minimised or hidden.
  bool Asleep() override;
  void WaitForEvent(int TimeoutMs) override;
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) override;
  void ShowForm(TForm& Form) override;
  void HideForm(TForm& Form) override;
  void FormChanged(TForm& Form) override;

 private:
  framework::backends::DesktopWindow* Find(const TForm& Form) const;
  framework::backends::DesktopWindow* FindById(Uint32 Id) const;
  bool AcceptsInput(const framework::backends::DesktopWindow& Window) const;
  // The window whose form got the press of the drag going on, else nullptr.
  framework::backends::DesktopWindow* DragHolder() const;
  bool RunOneAction();
  // Takes every waiting SDL event; true when there was one.
  bool PumpEvents();
  void HandleEvent(const SDL_Event& Event);
  void HandleMouse(const SDL_Event& Event);
  void HandleWindowEvent(const SDL_Event& Any);
  // The wheel scrolls the widget under the mouse, else goes to the form (TForm::MouseWheel).
  void HandleWheel(const SDL_Event& Event);
  // A file dropped onto a window goes to its form (TForm::DropFiles).
  void HandleDrop(const SDL_Event& Event);
  // Draws the windows whose ImGui has input to finish.
  void RunInputFrames();
  void Refresh();

  DesktopOptions options_;
  std::vector<std::unique_ptr<framework::backends::DesktopWindow>> windows_;
  std::deque<std::function<void()>> actions_;  // what input started, run one at a time
  Uint64 lastRefresh_ = 0;
};

// Installs the desktop backend in the application and returns it (see DesktopBackend()).
DesktopBackend& UseDesktopBackend(DesktopOptions Options = {});
