// HeadlessBackend: the framework with no window, for tests and tools.
//
// Forms are shown and hidden as state only; nothing is drawn. Everything the user would do
// is scripted:
// - Message boxes take their answers from a queue (AnswerMessageBox), then from an answering
//   function (AnswerMessageBoxesWith). A box with neither, or an answer that is not one of the
//   box's buttons, throws EBackendError: a script never blocks. The answer kBoxClosed closes
//   the box without a button (as a window manager's close button does): the box answers
//   MessageBoxClosedAnswer. Every box shown is recorded, with the answer it gave.
// - Modal forms: each ShowModal takes the next script from a queue (AnswerModal); the script
//   receives the form and acts on it as the user would (clicks its controls, sets its
//   ModalResult, closes it) and runs as the first event of the modal loop. A ShowModal
//   without a script throws EBackendError.
// - Input events are posted (Post, PostMouse) and dispatched by the loop one at a time, as
//   the user's input would be. Showing a form posts its first paint.
// - The timers run on a virtual clock that starts at 0: the test advances it (AdvanceClock),
//   and a loop that waits for the next timer jumps the clock to it. Idle passes that ask to
//   be called again do not move the clock.
// - When the loop would wait with nothing posted and no timer, the main form is closed if
//   CloseMainFormAfterIdlePasses asked for it, else EBackendError is thrown.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/Backend.h"
#include "framework/Control.h"

class HeadlessBackend : public Backend {
 public:
  struct MessageBoxCall {
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
    int Answer = 0;
  };
  using MessageBoxAnswerer = std::function<int(const MessageBoxCall& Box)>;
  using ModalScript = std::function<void(TForm& Form)>;

  // Message boxes.
  static constexpr int kBoxClosed = -1;
  void AnswerMessageBox(int Answer) { answers_.push_back(Answer); }
  void AnswerMessageBoxesWith(MessageBoxAnswerer Answerer) { answerer_ = std::move(Answerer); }
  const std::vector<MessageBoxCall>& MessageBoxes() const { return boxes_; }
  int UnusedMessageBoxAnswers() const { return static_cast<int>(answers_.size()); }

  // Modal forms.
  void AnswerModal(ModalScript Script) { modalScripts_.push_back(std::move(Script)); }
  int UnusedModalAnswers() const { return static_cast<int>(modalScripts_.size()); }

  // Input: Event runs as one input event of the loop.
  void Post(std::function<void()> Event) { events_.push_back(std::move(Event)); }
  // A mouse event on Form at (X, Y) of its client area, dispatched as the desktop would.
  enum class MouseAction { Down, Move, Up };
  void PostMouse(TForm& Form, MouseAction Action, int X, int Y, TMouseButton Button = mbLeft,
                 TShiftState Shift = 0);
  // A mouse-down and mouse-up at (X, Y): a click on whatever lies there.
  void PostClick(TForm& Form, int X, int Y);
  int PendingEvents() const { return static_cast<int>(events_.size()); }

  // Clock.
  void AdvanceClock(DWORD Milliseconds) { clock_ += Milliseconds; }

  // Idle passes: after the Passes-th idle pass from now, the main form is closed (as its close
  // box would); idle passes that ask to be called again count too.
  void CloseMainFormAfterIdlePasses(int Passes);
  int IdlePasses() const { return idlePasses_; }

  // Forms currently shown (in the order they were shown).
  const std::vector<TForm*>& ShownForms() const { return shown_; }

  // Backend.
  DWORD Milliseconds() override { return clock_; }
  bool DispatchEvent() override;
  void IdleEnded(bool Done) override;
  void WaitForEvent(int TimeoutMs) override;
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) override;
  void ShowForm(TForm& Form) override;
  void HideForm(TForm& Form) override;
  void ModalStarted(TForm& Form) override;

 private:
  std::deque<int> answers_;
  MessageBoxAnswerer answerer_;
  std::vector<MessageBoxCall> boxes_;
  std::deque<ModalScript> modalScripts_;
  std::deque<std::function<void()>> events_;
  std::vector<TForm*> shown_;
  DWORD clock_ = 0;
  int idlePasses_ = 0;
  int closeAfterPass_ = -1;  // idle pass after which the main form closes; -1: never
};

// Installs a fresh headless backend in the application and returns it.
HeadlessBackend& UseHeadlessBackend();
