// Backend: what the framework's core asks of the machine it runs on. The core (TApplication,
// TForm and the controls) knows nothing of any window system; a backend shows forms, feeds
// input back as events, shows message boxes and keeps the clock the timers run on.
//
// Two backends exist: the desktop one (SDL2 windows with Dear ImGui controls,
// DesktopBackend.h, library kor_framework_desktop) and the headless one (no window; message
// boxes and modal forms are answered by a script, HeadlessBackend.h, library
// kor_framework_headless). The core names neither: a program chooses one with a single line at
// start-up (UseDesktopBackend() or UseHeadlessBackend()); until then anything that needs the
// backend fails with EBackendError.
//
// The message loop belongs to the core (TApplication::Run, TForm::ShowModal). Each pass it
// asks the backend for one waiting event (DispatchEvent), fires a due timer, or runs the
// idle event; when the idle handler is done, or while the backend is asleep (no window can be
// seen), it lets the backend wait (WaitForEvent).
#pragma once

#include <stdexcept>
#include <string>

#include "platform/com/WinTypes.h"

class TForm;

// The backend cannot do what it was asked: no display for a message box, a headless script
// without an answer, a loop waiting for input that can never come. It is a fault of the
// program's set-up, not of an event handler: the default error box never shows it; it
// leaves the message loop and reaches whoever called Run, ShowModal or MessageBox.
class EBackendError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// There is no display to show windows on (none is named, or the one named cannot be opened).
class ENoDisplay : public EBackendError {
 public:
  using EBackendError::EBackendError;
};

class Backend {
 public:
  Backend() = default;
  Backend(const Backend&) = delete;
  Backend& operator=(const Backend&) = delete;
  virtual ~Backend() = default;

  // The clock the timers run on, in milliseconds (it may wrap).
  virtual DWORD Milliseconds() = 0;

  // Runs one waiting input event; false when none waits. Called by the core inside its event
  // guard: an exception from a handler goes to the default error box.
  virtual bool DispatchEvent() = 0;
  // An idle pass has ended; Done is what the idle handler left (true: the loop will wait).
  virtual void IdleEnded(bool Done) { (void)Done; }
  // True while none of the program's windows can be seen (all minimised or unmapped): the
  // loop then runs no idle event (nothing would show its frames) and waits for input.
  virtual bool Asleep() { return false; }
  // Blocks until input may be waiting or TimeoutMs has passed (-1: no limit; the next timer
  // is due after TimeoutMs).
  virtual void WaitForEvent(int TimeoutMs) = 0;

  // Shows a modal message box and returns the answer (IDOK, IDYES, ...).
  virtual int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) = 0;

  // Form is now visible.
  virtual void ShowForm(TForm& Form) = 0;
  // Form is hidden, or is being destroyed.
  virtual void HideForm(TForm& Form) = 0;
  // Caption, bounds, border style or menu of a visible form changed.
  virtual void FormChanged(TForm& Form) { (void)Form; }
  // Form asked to be drawn again (Repaint).
  virtual void Invalidate(TForm& Form) { (void)Form; }
  // A modal loop has begun for Form (it is visible and its OnShow has run).
  virtual void ModalStarted(TForm& Form) { (void)Form; }
};
