#include "framework/Application.h"

#include <algorithm>
#include <cstdint>

#include "framework/Backend.h"
#include "framework/Form.h"
#include "framework/Timer.h"

TApplication& TApplication::Instance() {
  // Made on first use, which is after every unit's own static data, so it is destroyed (with
  // the forms it owns) before that data goes.
  static TApplication application;
  return application;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  // The forms go while the backend that shows them is still there.
  DestroyComponents();
}

void TApplication::SetBackend(std::unique_ptr<Backend> NewBackend) {
  backend_ = std::move(NewBackend);
  terminated_ = false;
}

Backend& TApplication::CurrentBackend() {
  if (!backend_)
    throw EBackendError(
        "No backend: the program chooses one at start-up (UseDesktopBackend or "
        "UseHeadlessBackend)");
  return *backend_;
}

void TApplication::AddCreatedForm(TForm* Form) {
  if (!mainForm_) mainForm_ = Form;
  Form->DoCreate();
}

void TApplication::FormCreated(TForm* Form) {
  forms_.push_back(Form);
}

void TApplication::FormDestroyed(TForm* Form) {
  std::erase(forms_, Form);
  std::erase(modalForms_, Form);
  if (mainForm_ == Form) mainForm_ = nullptr;
}

bool TApplication::IsLiveForm(const TForm* Form) const {
  return std::find(forms_.begin(), forms_.end(), Form) != forms_.end();
}

void TApplication::ModalEnds(TForm* Form) {
  const auto it = std::find(modalForms_.rbegin(), modalForms_.rend(), Form);
  if (it != modalForms_.rend()) modalForms_.erase(std::next(it).base());
}

void TApplication::TimerDestroyed(TTimer* Timer) {
  std::erase(timers_, Timer);
}

void TApplication::Run() {
  if (mainForm_ && !mainForm_->Visible()) HandleEvent([this] { mainForm_->Show(); });
  while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) Idle();
}

void TApplication::ProcessMessages() {
  while (!terminated_ && DispatchInput()) {
  }
  // Each timer due now fires once; one that falls due again meanwhile waits for the next call.
  const DWORD now = Milliseconds();
  std::vector<TTimer*> due;
  for (TTimer* timer : timers_)
    if (timer->DueAt(now)) due.push_back(timer);
  for (TTimer* timer : due) {
    if (terminated_) break;
    // An earlier timer's handler may have destroyed or stopped this one.
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end() || !timer->DueAt(now))
      continue;
    timer->Restart(now);
    HandleEvent([timer] { timer->Fire(); });
  }
}

bool TApplication::DispatchInput() {
  try {
    return CurrentBackend().DispatchEvent();
  } catch (...) {
    HandleException();
    return true;  // the event was taken, even though its handler failed
  }
}

bool TApplication::ProcessMessage() {
  if (DispatchInput() || terminated_) return true;
  return FireDueTimer();
}

bool TApplication::FireDueTimer() {
  const DWORD now = Milliseconds();
  TTimer* earliest = nullptr;
  for (TTimer* timer : timers_)
    if (timer->DueAt(now) && (!earliest || timer->DueBefore(*earliest))) earliest = timer;
  if (!earliest) return false;
  earliest->Restart(now);
  HandleEvent([earliest] { earliest->Fire(); });
  return true;
}

void TApplication::Idle() {
  if (terminated_) return;
  if (backend_->Asleep()) {
    backend_->WaitForEvent(NextTimerDelay());
    return;
  }
  bool done = true;
  if (OnIdle) HandleEvent([&] { OnIdle(this, done); });
  CurrentBackend().IdleEnded(done);
  if (done && !terminated_) CurrentBackend().WaitForEvent(NextTimerDelay());
}

int TApplication::NextTimerDelay() {
  const DWORD now = Milliseconds();
  int delay = -1;
  for (TTimer* timer : timers_) {
    const int wait = timer->MillisecondsUntilDue(now);
    if (wait >= 0 && (delay < 0 || wait < delay)) delay = wait;
  }
  return delay;
}

DWORD TApplication::Milliseconds() {
  return CurrentBackend().Milliseconds();
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  return CurrentBackend().MessageBox(Text, Caption, Flags);
}

void TApplication::ShowException(const std::exception& Error) {
  MessageBox(Error.what(), "Error", MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
  try {
    throw;
  } catch (const EBackendError&) {
    throw;
  } catch (const std::exception& error) {
    ShowException(error);
  }
}
