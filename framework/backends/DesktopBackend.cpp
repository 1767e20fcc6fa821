#include "framework/backends/DesktopBackend.h"

#include <algorithm>
#include <string>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/backends/DesktopWindow.h"
#include "platform/display/Screen.h"

namespace {

using framework::backends::Action;
using framework::backends::DesktopWindow;

// Windows are redrawn at most this often while the loop is busy.
constexpr Uint64 kRefreshMilliseconds = 16;

TShiftState ShiftState() {
  TShiftState shift = 0;
  const SDL_Keymod keys = SDL_GetModState();
  if (keys & KMOD_SHIFT) shift |= ssShift;
  if (keys & KMOD_CTRL) shift |= ssCtrl;
  if (keys & KMOD_ALT) shift |= ssAlt;
  const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
  if (buttons & SDL_BUTTON_LMASK) shift |= ssLeft;
  if (buttons & SDL_BUTTON_RMASK) shift |= ssRight;
  if (buttons & SDL_BUTTON_MMASK) shift |= ssMiddle;
  return shift;
}

TMouseButton ButtonOf(Uint8 Button) {
  return Button == SDL_BUTTON_RIGHT ? mbRight : Button == SDL_BUTTON_MIDDLE ? mbMiddle : mbLeft;
}

Uint32 IconFlag(UINT Flags) {
  switch (Flags & MB_ICONMASK) {
    case MB_ICONSTOP:
      return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
      return SDL_MESSAGEBOX_WARNING;
    default:
      return SDL_MESSAGEBOX_INFORMATION;
  }
}

// An action on a form that still exists and is shown when the action runs.
template <class F>
Action OnForm(TForm& Form, F Do) {
  TForm* form = &Form;
  return [form, Do] {
    if (Application->IsLiveForm(form) && form->Visible()) Do(*form);
  };
}

}  // namespace

DesktopBackend& UseDesktopBackend(DesktopOptions Options) {
  auto backend = std::make_unique<DesktopBackend>(Options);
  DesktopBackend& installed = *backend;
  Application->SetBackend(std::move(backend));
  return installed;
}

DesktopBackend::DesktopBackend(DesktopOptions Options) : options_(Options) {
  // Closing the last window closes its form; it does not also quit.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    throw EBackendError(std::string("desktop: cannot start SDL's video: ") + SDL_GetError());
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
    platform::Screen::Get().SetDesktopSize(mode.w, mode.h);
}

DesktopBackend::~DesktopBackend() {
  windows_.clear();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

DesktopWindow* DesktopBackend::Find(const TForm& Form) const {
  for (const auto& window : windows_)
    if (&window->Form() == &Form) return window.get();
  return nullptr;
}

DesktopWindow* DesktopBackend::FindById(Uint32 Id) const {
  for (const auto& window : windows_)
    if (window->Id() == Id) return window.get();
  return nullptr;
}

SDL_Window* DesktopBackend::WindowOf(const TForm& Form) const {
  const DesktopWindow* window = Find(Form);
  return window ? window->Window() : nullptr;
}

bool DesktopBackend::AcceptsInput(const DesktopWindow& Window) const {
  const TForm* modal = Application->ModalForm();
  return !modal || &Window.Form() == modal;
}

void DesktopBackend::ShowForm(TForm& Form) {
  if (Find(Form)) return;
  windows_.push_back(std::make_unique<DesktopWindow>(Form, options_.SoftwareRenderer));
  windows_.back()->Show();
}

void DesktopBackend::HideForm(TForm& Form) {
  std::erase_if(windows_, [&Form](const auto& window) { return &window->Form() == &Form; });
}

void DesktopBackend::FormChanged(TForm& Form) {
  if (DesktopWindow* window = Find(Form)) window->Sync();
}

bool DesktopBackend::RunOneAction() {
  if (actions_.empty()) return false;
  // Taken off the queue first: the action may queue others, or throw.
  const Action action = std::move(actions_.front());
  actions_.pop_front();
  action();
  return true;
}

bool DesktopBackend::DispatchEvent() {
  if (RunOneAction()) return true;
  const bool any = PumpEvents();
  RunInputFrames();
  return RunOneAction() || any;
}

void DesktopBackend::IdleEnded(bool /*Done*/) {
  if (SDL_GetTicks64() - lastRefresh_ >= kRefreshMilliseconds) Refresh();
}

void DesktopBackend::WaitForEvent(int TimeoutMs) {
  RunInputFrames();
  if (!actions_.empty()) return;
  Refresh();
  const bool pending = std::any_of(windows_.begin(), windows_.end(),
                                   [](const auto& window) { return window->WantsFrame(); });
  if (!actions_.empty() || pending) return;
  if (TimeoutMs < 0)
    SDL_WaitEvent(nullptr);
  else
    SDL_WaitEventTimeout(nullptr, TimeoutMs);
}

void DesktopBackend::RunInputFrames() {
  std::vector<Action> started;
  for (const auto& window : windows_)
    if (window->WantsFrame()) window->Frame(started);
  actions_.insert(actions_.end(), started.begin(), started.end());
}

void DesktopBackend::Refresh() {
  std::vector<Action> started;
  for (const auto& window : windows_) window->Frame(started);
  actions_.insert(actions_.end(), started.begin(), started.end());
  lastRefresh_ = SDL_GetTicks64();
}

void DesktopBackend::RefreshNow() {
  Refresh();
}

bool DesktopBackend::CaptureWindow(TForm& Form, std::vector<std::uint32_t>* Pixels, int* Width,
                                   int* Height) {
  DesktopWindow* window = Find(Form);
  if (!window) return false;
  std::vector<Action> started;
  window->Frame(started, Pixels, Width, Height);
  actions_.insert(actions_.end(), started.begin(), started.end());
  return true;
}

bool DesktopBackend::PumpEvents() {
  bool any = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    any = true;
    HandleEvent(event);
  }
  return any;
}

void DesktopBackend::HandleEvent(const SDL_Event& Event) {
  switch (Event.type) {
    case SDL_QUIT:
      actions_.push_back([] {
        if (TForm* form = Application->MainForm()) form->Close();
      });
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(Event);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
      HandleMouse(Event);
      break;
    case SDL_MOUSEWHEEL:
      if (DesktopWindow* window = FindById(Event.wheel.windowID); window && AcceptsInput(*window))
        window->Feed(Event);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (DesktopWindow* window = FindById(Event.key.windowID); window && AcceptsInput(*window))
        window->Feed(Event);
      break;
    case SDL_TEXTINPUT:
      if (DesktopWindow* window = FindById(Event.text.windowID); window && AcceptsInput(*window))
        window->Feed(Event);
      break;
    default:
      break;
  }
}

void DesktopBackend::HandleWindowEvent(const SDL_Event& Any) {
  const SDL_WindowEvent& Event = Any.window;
  DesktopWindow* window = FindById(Event.windowID);
  if (!window) return;
  TForm& form = window->Form();
  switch (Event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      if (AcceptsInput(*window)) actions_.push_back(OnForm(form, [](TForm& f) { f.Close(); }));
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      actions_.push_back(OnForm(form, [](TForm& f) { f.Paint(); }));
      window->RequestFrame();
      break;
    case SDL_WINDOWEVENT_MOVED:
      // The form follows where the window manager put the window.
      if (!window->FullScreen() && (Event.data1 != form.Left() || Event.data2 != form.Top()))
        form.SetBounds(Event.data1, Event.data2, form.ClientWidth(), form.ClientHeight());
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      const int height = Event.data2 - window->MenuHeight();
      if (!window->FullScreen() &&
          (Event.data1 != form.ClientWidth() || height != form.ClientHeight()))
        form.SetBounds(form.Left(), form.Top(), Event.data1, height);
      window->RequestFrame();
      break;
    }
    default:
      window->Feed(Any);  // focus changes
      break;
  }
}

void DesktopBackend::HandleMouse(const SDL_Event& Event) {
  const Uint32 id = Event.type == SDL_MOUSEMOTION ? Event.motion.windowID : Event.button.windowID;
  DesktopWindow* window = FindById(id);
  if (!window || !AcceptsInput(*window)) return;
  const int x = Event.type == SDL_MOUSEMOTION ? Event.motion.x : Event.button.x;
  const int y = Event.type == SDL_MOUSEMOTION ? Event.motion.y : Event.button.y;
  const POINT client = window->ToClient(x, y);
  if (!window->FormHasMouse() && window->MouseForImGui(client)) {
    window->Feed(Event);
    return;
  }
  if (Event.type != SDL_MOUSEMOTION) window->Feed(Event);  // ImGui keeps its button state
  const TShiftState shift = ShiftState();
  TForm::MouseAction action = TForm::MouseAction::Move;
  TMouseButton button = mbLeft;
  if (Event.type == SDL_MOUSEBUTTONDOWN) {
    action = TForm::MouseAction::Down;
    button = ButtonOf(Event.button.button);
    window->SetFormHasMouse(true);
  } else if (Event.type == SDL_MOUSEBUTTONUP) {
    action = TForm::MouseAction::Up;
    button = ButtonOf(Event.button.button);
    if ((SDL_GetMouseState(nullptr, nullptr) &
         (SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK)) == 0)
      window->SetFormHasMouse(false);
  }
  actions_.push_back(OnForm(
      window->Form(), [=](TForm& f) { f.MouseInput(action, button, shift, client.x, client.y); }));
}

int DesktopBackend::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  const std::vector<TMessageBoxButton> buttons = MessageBoxButtons(Flags);
  const int byReturn = MessageBoxDefaultAnswer(Flags);
  const int byEscape = MessageBoxEscapeAnswer(Flags);
  std::vector<SDL_MessageBoxButtonData> data;
  for (const TMessageBoxButton& b : buttons) {
    Uint32 keys = 0;
    if (b.Id == byReturn) keys |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (b.Id == byEscape) keys |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    data.push_back(SDL_MessageBoxButtonData{keys, b.Id, b.Label.c_str()});
  }
  TForm* owner = Application->ModalForm() ? Application->ModalForm() : Application->MainForm();
  const SDL_MessageBoxData box{IconFlag(Flags) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                               owner ? WindowOf(*owner) : nullptr,
                               Caption.c_str(),
                               Text.c_str(),
                               static_cast<int>(data.size()),
                               data.data(),
                               nullptr};
  int answer = -1;
  if (SDL_ShowMessageBox(&box, &answer) != 0)
    throw EBackendError("desktop: cannot show the message box \"" + Caption + "\": \"" + Text +
                        "\" (" + SDL_GetError() + ")");
  // Closed without a button: what Escape would have given, else what Return gives.
  if (answer < 0) answer = byEscape != 0 ? byEscape : byReturn;
  return answer;
}
