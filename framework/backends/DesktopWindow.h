// DesktopWindow: the SDL window that shows one visible form on the desktop, with its own
// renderer and Dear ImGui context.
//
// The window is the form's client area with the main menu bar (if any) above it; it sits at
// the form's Left and Top and follows the form's caption, size and border style. While the
// form owns the exclusive full screen (platform::Screen::FullScreenWindow() is its window),
// the window is full screen and shows the whole emulated screen, letterboxed, instead of the
// form's controls.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <imgui.h>

#include "framework/backends/ControlPainter.h"
#include "platform/com/WinTypes.h"

class TForm;

namespace framework::backends {

class DesktopWindow {
 public:
  // Makes the window hidden; Show() shows it. Throws EBackendError when SDL cannot. The first
  // readable file of GlyphFonts gives the glyphs beyond ASCII that the form's texts need.
  DesktopWindow(TForm& Form, bool SoftwareRenderer, const std::vector<std::string>& GlyphFonts);
  ~DesktopWindow();
  DesktopWindow(const DesktopWindow&) = delete;
  DesktopWindow& operator=(const DesktopWindow&) = delete;

  TForm& Form() const { return form_; }
  Uint32 Id() const { return SDL_GetWindowID(window_); }
  SDL_Window* Window() const { return window_; }

  // Shows the window, at the form's place unless the form lets the window manager choose
  // (poDefault), in which case the form takes the place given.
  void Show();
  // Follows the form: caption, border style, size, place and the full-screen state.
  void Sync();
  // Gives keyboard, text, wheel and button input to ImGui.
  void Feed(const SDL_Event& Event);
  // Draws one frame and shows it, appending the actions the user started. With Capture, the
  // frame's pixels (ARGB8888, Width x Height of the window) are read back before it is shown.
  void Frame(std::vector<Action>& Actions, std::vector<std::uint32_t>* Capture = nullptr,
             int* Width = nullptr, int* Height = nullptr);
  // True while ImGui needs another frame to finish what input started (a press or release).
  bool WantsFrame() const { return wantsFrame_; }
  void RequestFrame() { wantsFrame_ = true; }

  bool FullScreen() const { return fullScreen_; }
  // Height of the menu bar above the client area (0 without a menu).
  int MenuHeight() const;
  // The point of the form's client area under the window's point (X, Y).
  POINT ToClient(int X, int Y) const;
  // True when the mouse at client point Client belongs to ImGui: over the menu bar, a widget,
  // or anywhere while a menu is open.
  bool MouseForImGui(POINT Client) const;

  // While a press went to the form's mouse events, the rest of the drag goes there too.
  bool FormHasMouse() const { return formHasMouse_; }
  void SetFormHasMouse(bool Value) { formHasMouse_ = Value; }

 private:
  // ImGui's default font, with the glyphs of the form's texts beyond ASCII merged in from the
  // first readable file of GlyphFonts (quietly none when there is none).
  void LoadFonts(const std::vector<std::string>& GlyphFonts);
  bool OwnsFullScreen() const;
  // After a border change: waits (briefly) until SDL knows the window's new frame.
  void AwaitFrame(bool Bordered);
  // Full screen on a display without a window manager: a borderless window of the display's
  // size at its corner, kept so.
  void CoverDisplay();
  void PaintFullScreen();
  void PaintForm(std::vector<Action>& Actions);
  // Where the letterboxed screen lies in the window.
  SDL_Rect LetterBox() const;

  TForm& form_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  ImGuiContext* context_ = nullptr;
  std::unique_ptr<ControlPainter> painter_;
  ImVector<ImWchar> glyphRanges_;  // read by ImGui when it builds the font, at the first frame
  SDL_Texture* fullScreenTexture_ = nullptr;
  std::string title_;
  bool fullScreen_ = false;
  bool sdlFullScreen_ = false;  // full screen through SDL (a window manager carries it out)
  bool wantsFrame_ = true;
  bool formHasMouse_ = false;
};

}  // namespace framework::backends
