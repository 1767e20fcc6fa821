#include "framework/backends/DesktopWindow.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#include <imgui_internal.h>  // ImTextCharFromUtf8

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "framework/Backend.h"
#include "framework/Form.h"
#include "framework/Menu.h"
#include "framework/backends/ScreenImage.h"
#include "framework/backends/WindowManager.h"
#include "platform/display/Screen.h"

namespace framework::backends {
namespace {

// ImGui's default font is a 13-pixel font; merged glyphs are made the same size.
constexpr float kFontPixels = 13.0f;

// True when Path names a file that can be read.
bool Readable(const std::string& Path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(Path, ignored) && std::ifstream(Path).good();
}

bool Sizeable(TFormBorderStyle Style) {
  return Style == bsSizeable || Style == bsSizeToolWin;
}

// Makes Context current for the lifetime of the guard, and restores the one before.
class ContextGuard {
 public:
  explicit ContextGuard(ImGuiContext* Context) : previous_(ImGui::GetCurrentContext()) {
    ImGui::SetCurrentContext(Context);
  }
  ~ContextGuard() { ImGui::SetCurrentContext(previous_); }
  ContextGuard(const ContextGuard&) = delete;
  ContextGuard& operator=(const ContextGuard&) = delete;

 private:
  ImGuiContext* previous_;
};

}  // namespace

DesktopWindow::DesktopWindow(TForm& Form, bool SoftwareRenderer,
                             const std::vector<std::string>& GlyphFonts)
    : form_(Form) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (Form.BorderStyle() == bsNone) flags |= SDL_WINDOW_BORDERLESS;
  if (Sizeable(Form.BorderStyle())) flags |= SDL_WINDOW_RESIZABLE;
  const bool placed = Form.Position() != poDefault;
  window_ = SDL_CreateWindow(Form.Caption().c_str(),
                             placed ? Form.Left() : static_cast<int>(SDL_WINDOWPOS_UNDEFINED),
                             placed ? Form.Top() : static_cast<int>(SDL_WINDOWPOS_UNDEFINED),
                             std::max(Form.Width(), 1), std::max(Form.Height(), 1), flags);
  if (!window_)
    throw EBackendError(std::string("desktop: cannot make a window: ") + SDL_GetError());
  title_ = Form.Caption();
  const Uint32 wanted = SoftwareRenderer ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
  renderer_ = SDL_CreateRenderer(window_, -1, wanted);
  if (!renderer_ && !SoftwareRenderer)
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    const std::string fault = SDL_GetError();
    SDL_DestroyWindow(window_);
    throw EBackendError("desktop: cannot make a renderer: " + fault);
  }

  ImGuiContext* previous = ImGui::GetCurrentContext();
  context_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // nothing is written to the working directory
  io.LogFilename = nullptr;
  LoadFonts(GlyphFonts);
  ImGui::StyleColorsLight();
  ImGui::GetStyle().WindowRounding = 0;
  // ImGui's menu bar is the font's size and the frame padding above and below: padded to the
  // framework's fixed height, which the form's layout counts on.
  ImGui::GetStyle().FramePadding.y = (kMenuBarHeight - kFontPixels) / 2.0f;
  ImGui_ImplSDL2_InitForSDLRenderer(window_);
  ImGui_ImplSDLRenderer_Init(renderer_);
  ImGui::SetCurrentContext(previous);
  painter_ = std::make_unique<ControlPainter>(renderer_);
}

DesktopWindow::~DesktopWindow() {
  painter_.reset();
  if (fullScreenTexture_) SDL_DestroyTexture(fullScreenTexture_);
  {
    ContextGuard guard(context_);
    ImGui_ImplSDLRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
  }
  if (ImGui::GetCurrentContext() == context_) ImGui::SetCurrentContext(nullptr);
  ImGui::DestroyContext(context_);
  SDL_DestroyRenderer(renderer_);
  SDL_DestroyWindow(window_);
}

void DesktopWindow::LoadFonts(const std::vector<std::string>& GlyphFonts) {
  ImFontAtlas& fonts = *ImGui::GetIO().Fonts;
  fonts.AddFontDefault();
  // Only the characters beyond ASCII that the form's texts hold: a few glyphs, not a whole
  // CJK font in the atlas.
  const std::string texts = FormTexts(form_);
  ImFontGlyphRangesBuilder wanted;
  for (const char* at = texts.c_str(); *at;) {
    unsigned int character = 0;
    const int length = ImTextCharFromUtf8(&character, at, nullptr);
    if (length <= 0) break;
    at += length;
    if (character >= 0x80 && character <= IM_UNICODE_CODEPOINT_MAX)
      wanted.AddChar(static_cast<ImWchar>(character));
  }
  wanted.BuildRanges(&glyphRanges_);
  if (glyphRanges_.Size <= 1) return;  // only the terminating 0: nothing beyond ASCII
  const auto file = std::find_if(GlyphFonts.begin(), GlyphFonts.end(), Readable);
  if (file == GlyphFonts.end()) return;  // no such font here: '?' as before
  ImFontConfig merge;
  merge.MergeMode = true;
  merge.PixelSnapH = true;
  fonts.AddFontFromFileTTF(file->c_str(), kFontPixels, &merge, glyphRanges_.Data);
}

int DesktopWindow::MenuHeight() const {
  return fullScreen_ ? 0 : form_.MenuBarHeight();
}

void DesktopWindow::Show() {
  SDL_ShowWindow(window_);
  if (form_.Position() != poDefault) return;
  int x = 0;
  int y = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  form_.SetBounds(x, y, form_.Width(), form_.Height());
}

bool DesktopWindow::OwnsFullScreen() const {
  return form_.HandleAllocated() && platform::Screen::Get().FullScreenWindow() == form_.Handle();
}

void DesktopWindow::Sync() {
  if (title_ != form_.Caption()) {
    title_ = form_.Caption();
    SDL_SetWindowTitle(window_, title_.c_str());
  }
  const bool full = OwnsFullScreen();
  if (full != fullScreen_) {
    fullScreen_ = full;
    // SDL's full screen needs a window manager to carry it out (see WindowManager.h).
    const bool bySdl = full && HasWindowManager(window_);
    if (bySdl != sdlFullScreen_)
      SDL_SetWindowFullscreen(window_, bySdl ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    sdlFullScreen_ = bySdl;
    if (full && !bySdl) SDL_RaiseWindow(window_);
  }
  if (full) {
    if (!sdlFullScreen_) CoverDisplay();
    return;
  }
  const bool bordered = form_.BorderStyle() != bsNone;
  if (((SDL_GetWindowFlags(window_) & SDL_WINDOW_BORDERLESS) == 0) != bordered) {
    SDL_SetWindowBordered(window_, bordered ? SDL_TRUE : SDL_FALSE);
    AwaitFrame(bordered);
  }
  SDL_SetWindowResizable(window_, Sizeable(form_.BorderStyle()) ? SDL_TRUE : SDL_FALSE);
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  const int wantW = std::max(form_.Width(), 1);
  const int wantH = std::max(form_.Height(), 1);
  if (w != wantW || h != wantH) SDL_SetWindowSize(window_, wantW, wantH);
  int x = 0;
  int y = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  if (x != form_.Left() || y != form_.Top())
    SDL_SetWindowPosition(window_, form_.Left(), form_.Top());
}

void DesktopWindow::AwaitFrame(bool Bordered) {
  // SDL places a window by its frame's top-left corner, subtracting the frame it last heard of
  // from the window manager. Right after a border change that is the old frame: a borderless
  // form placed at (0, 0) would land at minus the old frame (its menu off the screen). The
  // window manager announces the new frame soon after; wait for it, briefly (a bare X server
  // has no frames and announces nothing).
  constexpr Uint64 kPatienceMilliseconds = 500;
  const Uint64 end = SDL_GetTicks64() + kPatienceMilliseconds;
  while (SDL_GetTicks64() < end) {
    SDL_PumpEvents();
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) return;
    if (((top | left | bottom | right) != 0) == Bordered) return;
    SDL_Delay(5);
  }
}

void DesktopWindow::CoverDisplay() {
  SDL_Rect display{};
  if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &display) != 0) return;
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_BORDERLESS) == 0)
    SDL_SetWindowBordered(window_, SDL_FALSE);
  int w = 0, h = 0, x = 0, y = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (w != display.w || h != display.h) SDL_SetWindowSize(window_, display.w, display.h);
  SDL_GetWindowPosition(window_, &x, &y);
  if (x != display.x || y != display.y) SDL_SetWindowPosition(window_, display.x, display.y);
}

void DesktopWindow::Feed(const SDL_Event& Event) {
  ContextGuard guard(context_);
  ImGui_ImplSDL2_ProcessEvent(&Event);
  wantsFrame_ = true;
}

SDL_Rect DesktopWindow::LetterBox() const {
  int w = 0;
  int h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  const auto& screen = platform::Screen::Get();
  const double scale =
      std::min(static_cast<double>(w) / screen.Width(), static_cast<double>(h) / screen.Height());
  const int boxW = static_cast<int>(screen.Width() * scale);
  const int boxH = static_cast<int>(screen.Height() * scale);
  return SDL_Rect{(w - boxW) / 2, (h - boxH) / 2, boxW, boxH};
}

POINT DesktopWindow::ToClient(int X, int Y) const {
  const POINT origin = form_.ClientOrigin();
  if (!fullScreen_) return POINT{X, Y - MenuHeight()};
  // Full screen: the window point is a point of the letterboxed screen.
  const SDL_Rect box = LetterBox();
  const auto& screen = platform::Screen::Get();
  const LONG sx =
      box.w > 0 ? static_cast<LONG>((X - box.x) * static_cast<long>(screen.Width()) / box.w) : 0;
  const LONG sy =
      box.h > 0 ? static_cast<LONG>((Y - box.y) * static_cast<long>(screen.Height()) / box.h) : 0;
  return POINT{sx - origin.x, sy - origin.y};
}

bool DesktopWindow::MouseForImGui(POINT Client) const {
  if (fullScreen_) return false;
  if (Client.y < 0) return true;  // the menu bar
  {
    ContextGuard guard(context_);
    if (ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) return true;
  }
  return IsWidget(form_.ControlAtPos(Client.x, Client.y));
}

void DesktopWindow::Frame(std::vector<Action>& Actions, std::vector<std::uint32_t>* Capture,
                          int* Width, int* Height) {
  Sync();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  wantsFrame_ = false;
  if (fullScreen_)
    PaintFullScreen();
  else
    PaintForm(Actions);
  if (Capture) {
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    Capture->assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, Capture->data(), w * 4);
    if (Width) *Width = w;
    if (Height) *Height = h;
  }
  SDL_RenderPresent(renderer_);
}

void DesktopWindow::PaintFullScreen() {
  const auto& screen = platform::Screen::Get();
  int w = 0;
  int h = 0;
  if (fullScreenTexture_) SDL_QueryTexture(fullScreenTexture_, nullptr, nullptr, &w, &h);
  if (!fullScreenTexture_ || w != screen.Width() || h != screen.Height()) {
    if (fullScreenTexture_) SDL_DestroyTexture(fullScreenTexture_);
    fullScreenTexture_ =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                          screen.Width(), screen.Height());
    if (!fullScreenTexture_) return;
  }
  if (!CopyScreenToTexture(RECT{0, 0, screen.Width(), screen.Height()}, fullScreenTexture_, 0, 0))
    return;
  const SDL_Rect box = LetterBox();
  SDL_RenderCopy(renderer_, fullScreenTexture_, nullptr, &box);
}

void DesktopWindow::PaintForm(std::vector<Action>& Actions) {
  ContextGuard guard(context_);
  ImGui_ImplSDLRenderer_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGuiIO& io = ImGui::GetIO();
  // Two frames within one tick of the performance counter would give ImGui no time step.
  if (io.DeltaTime <= 0.0f) io.DeltaTime = 1e-4f;
  ImGui::NewFrame();

  painter_->PaintMenu(form_, Actions);
  const float menu = static_cast<float>(MenuHeight());
  ImGui::SetNextWindowPos(ImVec2(0, menu));
  ImGui::SetNextWindowSize(
      ImVec2(static_cast<float>(form_.ClientWidth()), static_cast<float>(form_.ClientHeight())));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
  constexpr ImGuiWindowFlags kFlags =
      ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
      ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoScrollWithMouse;
  ImGui::Begin("##form", nullptr, kFlags);
  ImGui::PopStyleVar(2);
  painter_->PaintControls(form_, ImVec2(0, menu), Actions);
  ImGui::End();
  ImGui::Render();
  ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
  // A press or release seen in this frame is finished in the next one.
  if (ImGui::IsAnyMouseDown()) wantsFrame_ = true;
}

}  // namespace framework::backends
