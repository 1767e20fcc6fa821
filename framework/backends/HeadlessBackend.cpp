#include "framework/backends/HeadlessBackend.h"

#include <algorithm>
#include <memory>

#include "framework/Application.h"
#include "framework/Form.h"

namespace {

std::string Describe(const std::string& Text, const std::string& Caption) {
  return "message box \"" + Caption + "\": \"" + Text + "\"";
}

}  // namespace

HeadlessBackend& UseHeadlessBackend() {
  auto backend = std::make_unique<HeadlessBackend>();
  HeadlessBackend& installed = *backend;
  Application->SetBackend(std::move(backend));
  return installed;
}

void HeadlessBackend::PostMouse(TForm& Form, MouseAction Action, int X, int Y, TMouseButton Button,
                                TShiftState Shift) {
  TForm* form = &Form;
  Post([form, Action, X, Y, Button, Shift] {
    if (!Application->IsLiveForm(form)) return;
    const auto action = Action == MouseAction::Down   ? TForm::MouseAction::Down
                        : Action == MouseAction::Move ? TForm::MouseAction::Move
                                                      : TForm::MouseAction::Up;
    form->MouseInput(action, Button, Shift, X, Y);
  });
}

void HeadlessBackend::PostClick(TForm& Form, int X, int Y) {
  PostMouse(Form, MouseAction::Down, X, Y, mbLeft, ssLeft);
  PostMouse(Form, MouseAction::Up, X, Y, mbLeft, 0);
}

void HeadlessBackend::CloseMainFormAfterIdlePasses(int Passes) {
  closeAfterPass_ = idlePasses_ + std::max(Passes, 0);
}

bool HeadlessBackend::DispatchEvent() {
  if (events_.empty()) return false;
  // Taken off the queue first: the event may post others, or throw.
  const std::function<void()> event = std::move(events_.front());
  events_.pop_front();
  event();
  return true;
}

void HeadlessBackend::IdleEnded(bool /*Done*/) {
  ++idlePasses_;
  if (idlePasses_ != closeAfterPass_) return;
  Post([] {
    if (TForm* form = Application->MainForm()) form->Close();
  });
}

void HeadlessBackend::WaitForEvent(int TimeoutMs) {
  if (!events_.empty()) return;
  if (TimeoutMs >= 0) {
    clock_ += static_cast<DWORD>(TimeoutMs);
    return;
  }
  // Nothing will ever come: keep counting idle passes towards the scripted close, or fail.
  if (closeAfterPass_ > idlePasses_) return;
  throw EBackendError(
      "headless: the message loop waits for input, but no event, timer or close is scripted");
}

int HeadlessBackend::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  MessageBoxCall box{Text, Caption, Flags, 0};
  if (!answers_.empty()) {
    box.Answer = answers_.front();
    answers_.pop_front();
  } else if (answerer_) {
    box.Answer = answerer_(box);
  } else {
    throw EBackendError("headless: no scripted answer for the " + Describe(Text, Caption));
  }
  if (box.Answer == kBoxClosed) box.Answer = MessageBoxClosedAnswer(Flags);
  boxes_.push_back(box);
  if (!MessageBoxOffers(Flags, box.Answer))
    throw EBackendError("headless: the scripted answer " + std::to_string(box.Answer) +
                        " is not a button of the " + Describe(Text, Caption));
  return box.Answer;
}

void HeadlessBackend::ShowForm(TForm& Form) {
  shown_.push_back(&Form);
  TForm* form = &Form;
  // A window that appears is painted once the events before it are handled.
  Post([form] {
    if (Application->IsLiveForm(form) && form->Visible()) form->Paint();
  });
}

void HeadlessBackend::HideForm(TForm& Form) {
  std::erase(shown_, &Form);
}

void HeadlessBackend::ModalStarted(TForm& Form) {
  if (modalScripts_.empty())
    throw EBackendError("headless: no scripted answer for the modal form \"" + Form.Caption() +
                        "\"");
  ModalScript script = std::move(modalScripts_.front());
  modalScripts_.pop_front();
  TForm* form = &Form;
  Post([form, script = std::move(script)] {
    if (Application->IsLiveForm(form)) script(*form);
  });
}
