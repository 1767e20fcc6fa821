// TApplication: the application object, reached through the global `Application`
// (Application->Run(), Application->MessageBox(...)).
//
// It owns the forms made by CreateForm (the first is the main form), runs the message loop
// and raises the idle event, fires the timers, shows message boxes through the backend, and
// is the one place where events are run: every input event, paint, timer and idle call goes
// through HandleEvent, so that an exception leaving an event handler is shown in the default
// error box (a message box with the exception's text) and the program carries on.
//
// The loop, as Run and ShowModal drive it (HandleMessage):
//   1. one waiting input event is dispatched, else one due timer fires;
//   2. when nothing was waiting, the idle event runs with Done = true; a handler that sets
//      Done to false is called again at once while no event waits (no pacing, no sleep);
//      when Done stays true the loop waits for input or the next timer. While the backend
//      is asleep (no window of the program can be seen) the idle event does not run and the
//      loop waits the same way.
// Closing the main form terminates the loop before another idle pass.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Dialogs.h"
#include "framework/Events.h"

class Backend;
class TForm;
class TTimer;

using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
 public:
  // The process's application object (made on first use, destroyed at exit after the forms
  // it owns). Reach it through `Application`.
  static TApplication& Instance();

  ~TApplication() override;

  // Replaces the backend; forms should not be visible then. Also clears Terminated, so a
  // test can run the loop again with a fresh backend.
  void SetBackend(std::unique_ptr<Backend> NewBackend);
  // The backend chosen; EBackendError when the program has chosen none.
  Backend& CurrentBackend();

  // Nothing to prepare; kept for the program's start-up sequence.
  void Initialize() {}
  // Makes a form of class T owned by the application, stores it in Reference and runs its
  // OnCreate. The first form made this way is the main form, which Run shows.
  template <class T>
  void CreateForm(T*& Reference);
  TForm* MainForm() const { return mainForm_; }

  // Shows the main form and runs the loop until Terminate (closing the main form).
  void Run();
  // Ends Run (and every modal loop) before the next idle pass.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // One pass of the loop: an event or a timer, else an idle pass (which may wait).
  void HandleMessage();
  // Dispatches every waiting event, then fires the timers due now; no idle pass.
  void ProcessMessages();

  // A modal message box; the answer is IDOK, IDYES, IDNO, ... (MB_OK 0, MB_YESNO 4, ...).
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK);
  // The default error box: Error's text in an OK box with a stop icon, captioned "Error".
  void ShowException(const std::exception& Error);

  // Runs Handler as an event: an exception leaving it goes to the default error box, except
  // EBackendError (and exceptions that are not std::exception), which are passed on.
  template <class F>
  void HandleEvent(F&& Handler) {
    try {
      Handler();
    } catch (...) {
      HandleException();
    }
  }
  // To be called inside a catch block: shows the exception being handled, or rethrows it
  // when it must not be hidden (see HandleEvent).
  void HandleException();

  // Idle event: Sender is the application, Done starts true.
  TIdleEvent OnIdle;

  // The timers' clock (the backend's), in milliseconds.
  DWORD Milliseconds();

  // Bookkeeping of forms and timers, called by TForm and TTimer themselves.
  void FormCreated(TForm* Form);
  void FormDestroyed(TForm* Form);
  const std::vector<TForm*>& Forms() const { return forms_; }
  bool IsLiveForm(const TForm* Form) const;
  void ModalBegins(TForm* Form) { modalForms_.push_back(Form); }
  void ModalEnds(TForm* Form);
  // The innermost form shown modally, or nullptr.
  TForm* ModalForm() const { return modalForms_.empty() ? nullptr : modalForms_.back(); }
  void TimerCreated(TTimer* Timer) { timers_.push_back(Timer); }
  void TimerDestroyed(TTimer* Timer);

 private:
  TApplication();
  void AddCreatedForm(TForm* Form);
  // Dispatches one waiting input event; true when one was taken (even if its handler threw).
  bool DispatchInput();
  bool ProcessMessage();
  bool FireDueTimer();
  void Idle();
  // Milliseconds until the next timer is due (0 when one is due), -1 when none runs.
  int NextTimerDelay();

  std::unique_ptr<Backend> backend_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  std::vector<TForm*> forms_;
  std::vector<TForm*> modalForms_;
  std::vector<TTimer*> timers_;
};

// The global application object: Application->Run(). Usable as a TApplication* (an owner
// of forms: new TMyDialog(Application)).
struct TApplicationReference {
  TApplication* operator->() const { return &TApplication::Instance(); }
  TApplication& operator*() const { return TApplication::Instance(); }
  operator TApplication*() const { return &TApplication::Instance(); }
};
inline constexpr TApplicationReference Application{};

template <class T>
void TApplication::CreateForm(T*& Reference) {
  Reference = new T(this);
  AddCreatedForm(Reference);
}
