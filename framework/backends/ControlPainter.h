// ControlPainter: draws a form's main menu and controls with Dear ImGui, each control at its
// stored position and size, in the form's window of the desktop backend.
//
// What the user does to a control (a button pressed, a box checked, an item chosen) is not
// run while the frame is drawn: it becomes an action, run afterwards by the backend's loop as
// one input event, and only if the form and the control still exist then.
//
// A windowed control that shows the screen (platform::WindowShowsScreen: a DirectDraw
// clipper's window) is drawn as the emulated screen's pixels under its screen rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <imgui.h>

class TBitmap;
class TControl;
class TForm;
class TImage;
class TWinControl;
struct SDL_Renderer;
struct SDL_Texture;

namespace framework::backends {

using Action = std::function<void()>;

class ControlPainter {
 public:
  explicit ControlPainter(SDL_Renderer* Renderer) : renderer_(Renderer) {}
  ~ControlPainter();
  ControlPainter(const ControlPainter&) = delete;
  ControlPainter& operator=(const ControlPainter&) = delete;

  // The main menu bar (the frame's first window); nothing when the form has no menu.
  void PaintMenu(TForm& Form, std::vector<Action>& Actions);
  // The form's controls, with the form's client area at ClientOrigin (in ImGui's display
  // coordinates). Call between ImGui::Begin and ImGui::End of the form's window.
  void PaintControls(TForm& Form, ImVec2 ClientOrigin, std::vector<Action>& Actions);

 private:
  struct ImageTexture {
    SDL_Texture* texture = nullptr;
    const TBitmap* bitmap = nullptr;
    std::uint64_t changeCount = 0;
    bool used = false;
  };

  void PaintChildren(TForm& Form, TWinControl& Parent, std::vector<Action>& Actions);
  void PaintControl(TForm& Form, TControl& Control, std::vector<Action>& Actions);
  void PaintScreen(const TForm& Form, TWinControl& Control, ImVec2 Min, ImVec2 Max);
  void PaintImage(TImage& Image, ImVec2 Min, ImVec2 Max);
  // Where Control's top-left corner lies in ImGui's display coordinates.
  ImVec2 Place(const TForm& Form, const TControl& Control) const;
  SDL_Texture* ScreenTexture(int Width, int Height);
  SDL_Texture* TextureOf(TImage& Image);
  void DropUnusedImages();

  SDL_Renderer* renderer_;
  ImVec2 clientOrigin_{0, 0};
  SDL_Texture* screen_ = nullptr;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  std::map<const TImage*, ImageTexture> images_;
};

// Every text the form shows or may show (its caption, its menu's captions, its controls'
// captions, texts and list items, hidden ones included), run together: what the window's font
// needs glyphs for.
std::string FormTexts(TForm& Form);

// True for controls drawn as ImGui widgets (buttons, edit boxes, check and radio buttons,
// list boxes): the mouse over them belongs to ImGui, not to the form's mouse events.
bool IsWidget(const TControl* Control);

}  // namespace framework::backends
