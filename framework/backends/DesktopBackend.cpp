#include "framework/backends/DesktopBackend.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/backends/DesktopWindow.h"
#include "framework/backends/MessageText.h"
#include "platform/display/Screen.h"

namespace {

using framework::backends::Action;
using framework::backends::DesktopWindow;

// Windows are redrawn at most this often while the loop is busy.
constexpr Uint64 kRefreshMilliseconds = 16;
// A window with either flag cannot be seen.
constexpr Uint32 kUnseen = SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN;

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

// In full screen, a window that loses the focus or is minimised takes its program's display
// (and video memory) with it; one that comes back repaints its form, and the program's
// repaint restores what was lost. True when Event brings back the full-screen window.
bool FullScreenComesBack(TForm& Form, Uint8 Event) {
  if (!Form.HandleAllocated()) return false;
  platform::Screen& screen = platform::Screen::Get();
  if (Event == SDL_WINDOWEVENT_FOCUS_LOST || Event == SDL_WINDOWEVENT_MINIMIZED)
    screen.DeactivateWindow(Form.Handle());
  return (Event == SDL_WINDOWEVENT_FOCUS_GAINED || Event == SDL_WINDOWEVENT_RESTORED) &&
         screen.FullScreenWindow() == Form.Handle();
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
  // With no display named, SDL would try every driver it knows, each printing its own
  // complaint, and fail anyway: say so plainly instead (a driver SDL is told to use is tried).
  const char* named = std::getenv("SDL_VIDEODRIVER");
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!(named && *named) && !(x11 && *x11) && !(wayland && *wayland))
    throw ENoDisplay("no display was found (neither DISPLAY nor WAYLAND_DISPLAY is set)");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    throw ENoDisplay(std::string("the display ") +
                     (x11 && *x11 ? x11
                      : wayland   ? wayland
                                  : "") +
                     " cannot be opened (" + SDL_GetError() + ")");
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
  windows_.push_back(
      std::make_unique<DesktopWindow>(Form, options_.SoftwareRenderer, options_.GlyphFonts));
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

bool DesktopBackend::Asleep() {
  return !windows_.empty() && std::all_of(windows_.begin(), windows_.end(), [](const auto& window) {
    return (SDL_GetWindowFlags(window->Window()) & kUnseen) != 0;
  });
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
      HandleWheel(Event);
      break;
    case SDL_DROPFILE:
      HandleDrop(Event);
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
      // The form follows where the window manager put the window. A window manager that moves
      // and resizes at once (maximising) may have resized it already, its size event still
      // waiting: the form takes the window's size too, or following it would undo the resize.
      if (!window->FullScreen() && (Event.data1 != form.Left() || Event.data2 != form.Top())) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(window->Window(), &width, &height);
        form.SetBounds(Event.data1, Event.data2, width, height);
      }
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      if (!window->FullScreen() && (Event.data1 != form.Width() || Event.data2 != form.Height()))
        form.SetBounds(form.Left(), form.Top(), Event.data1, Event.data2);
      window->RequestFrame();
      break;
    }
    default:
      if (FullScreenComesBack(form, Event.event))
        actions_.push_back(OnForm(form, [](TForm& f) { f.Paint(); }));
      window->Feed(Any);  // focus changes
      break;
  }
}

DesktopWindow* DesktopBackend::DragHolder() const {
  for (const auto& window : windows_)
    if (window->FormHasMouse()) return window.get();
  return nullptr;
}

void DesktopBackend::HandleMouse(const SDL_Event& Event) {
  const Uint32 id = Event.type == SDL_MOUSEMOTION ? Event.motion.windowID : Event.button.windowID;
  DesktopWindow* window = FindById(id);
  int x = Event.type == SDL_MOUSEMOTION ? Event.motion.x : Event.button.x;
  int y = Event.type == SDL_MOUSEMOTION ? Event.motion.y : Event.button.y;
  // A release outside every window (SDL then names no window, or another one) still ends the
  // drag of the window that got the press: its form hears the release where it happened.
  if (Event.type == SDL_MOUSEBUTTONUP) {
    if (DesktopWindow* holder = DragHolder(); holder && holder != window) {
      int globalX = 0, globalY = 0, windowX = 0, windowY = 0;
      SDL_GetGlobalMouseState(&globalX, &globalY);
      SDL_GetWindowPosition(holder->Window(), &windowX, &windowY);
      window = holder;
      x = globalX - windowX;
      y = globalY - windowY;
    }
  }
  if (!window || !AcceptsInput(*window)) return;
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
    // The rest of the drag comes to this window even where the pointer leaves it.
    SDL_CaptureMouse(SDL_TRUE);
  } else if (Event.type == SDL_MOUSEBUTTONUP) {
    action = TForm::MouseAction::Up;
    button = ButtonOf(Event.button.button);
    if ((SDL_GetMouseState(nullptr, nullptr) &
         (SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK)) == 0) {
      window->SetFormHasMouse(false);
      SDL_CaptureMouse(SDL_FALSE);
    }
  }
  actions_.push_back(OnForm(
      window->Form(), [=](TForm& f) { f.MouseInput(action, button, shift, client.x, client.y); }));
}

void DesktopBackend::HandleWheel(const SDL_Event& Event) {
  DesktopWindow* window = FindById(Event.wheel.windowID);
  if (!window || !AcceptsInput(*window)) return;
  const POINT client = window->ToClient(Event.wheel.mouseX, Event.wheel.mouseY);
  // Over a widget or the menu the wheel scrolls it; elsewhere it is the form's.
  if (window->MouseForImGui(client)) {
    window->Feed(Event);
    return;
  }
  const int notches =
      Event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -Event.wheel.y : Event.wheel.y;
  if (notches == 0) return;
  const TShiftState shift = ShiftState();
  actions_.push_back(OnForm(
      window->Form(), [=](TForm& f) { f.MouseWheel(shift, notches * 120, client.x, client.y); }));
}

void DesktopBackend::HandleDrop(const SDL_Event& Event) {
  const std::string file = Event.drop.file ? Event.drop.file : "";
  SDL_free(Event.drop.file);
  DesktopWindow* window = FindById(Event.drop.windowID);
  if (!window && Application->MainForm()) window = Find(*Application->MainForm());
  if (!window || !AcceptsInput(*window) || file.empty()) return;
  actions_.push_back(OnForm(window->Form(), [file](TForm& f) { f.DropFiles({file}); }));
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
  // SDL breaks lines only at line breaks: wrapped here, the box fits on the screen.
  SDL_DisplayMode mode{};
  const int desktopWidth = SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 640;
  const std::string text =
      framework::backends::WrapMessageText(Text, framework::backends::MessageColumns(desktopWidth));
  // The box runs its own loop, in which our windows are not drawn: draw them now, so that
  // what an earlier box or a closed dialog covered is not left on the screen beside it.
  Refresh();
  const SDL_MessageBoxData box{IconFlag(Flags) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                               owner ? WindowOf(*owner) : nullptr,
                               Caption.c_str(),
                               text.c_str(),
                               static_cast<int>(data.size()),
                               data.data(),
                               nullptr};
  int answer = -1;
  if (SDL_ShowMessageBox(&box, &answer) != 0)
    throw EBackendError("desktop: cannot show the message box \"" + Caption + "\": \"" + Text +
                        "\" (" + SDL_GetError() + ")");
  // Closed without a button (the window manager's close): never a Yes.
  if (answer < 0) answer = MessageBoxClosedAnswer(Flags);
  return answer;
}
