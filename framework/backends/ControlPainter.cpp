#include "framework/backends/ControlPainter.h"

#include <SDL.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <string>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/ListBox.h"
#include "framework/Menu.h"
#include "framework/Panel.h"
#include "framework/RadioButton.h"
#include "framework/backends/ScreenImage.h"
#include "platform/display/Window.h"

namespace framework::backends {
namespace {

// An action on Control of Form, run only if both still exist.
template <class T, class F>
Action On(TForm& Form, T* Control, F Do) {
  TForm* form = &Form;
  return [form, Control, Do] {
    if (Application->IsLiveForm(form) && form->HoldsControl(Control)) Do(Control);
  };
}

Action OnMenuItem(TForm& Form, TMenuItem* Item) {
  TForm* form = &Form;
  return [form, Item] {
    if (Application->IsLiveForm(form) && form->Menu() && form->Menu()->Items()->Holds(Item))
      Item->Click();
  };
}

// The caption as an ImGui label, unique per control.
std::string Label(const std::string& Caption) {
  return StripAccessKeys(Caption) + "##control";
}

void PaintMenuItem(TForm& Form, TMenuItem& Item, std::vector<Action>& Actions) {
  if (!Item.Visible()) return;
  ImGui::PushID(&Item);
  const std::string label = StripAccessKeys(Item.Caption()) + "##item";
  if (Item.Count() > 0) {
    if (ImGui::BeginMenu(label.c_str(), Item.Enabled())) {
      for (int i = 0; i < Item.Count(); ++i) PaintMenuItem(Form, *Item.Items(i), Actions);
      ImGui::EndMenu();
    }
  } else if (ImGui::MenuItem(label.c_str(), nullptr, false, Item.Enabled())) {
    Actions.push_back(OnMenuItem(Form, &Item));
  }
  ImGui::PopID();
}

void PaintFrame(ImVec2 Min, ImVec2 Max, const std::string& Caption) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const float half = ImGui::GetFontSize() / 2;
  draw->AddRect(ImVec2(Min.x, Min.y + half), Max, ImGui::GetColorU32(ImGuiCol_Border));
  const std::string text = StripAccessKeys(Caption);
  if (text.empty()) return;
  const ImVec2 at(Min.x + 8, Min.y);
  const ImVec2 size = ImGui::CalcTextSize(text.c_str());
  draw->AddRectFilled(ImVec2(at.x - 2, at.y), ImVec2(at.x + size.x + 2, at.y + size.y),
                      ImGui::GetColorU32(ImGuiCol_WindowBg));
  draw->AddText(at, ImGui::GetColorU32(ImGuiCol_Text), text.c_str());
}

void PaintPanel(ImVec2 Min, ImVec2 Max, const std::string& Caption) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  draw->AddRectFilled(Min, Max, ImGui::GetColorU32(ImGuiCol_FrameBg));
  const std::string text = StripAccessKeys(Caption);
  if (text.empty()) return;
  const ImVec2 size = ImGui::CalcTextSize(text.c_str());
  draw->AddText(ImVec2((Min.x + Max.x - size.x) / 2, (Min.y + Max.y - size.y) / 2),
                ImGui::GetColorU32(ImGuiCol_Text), text.c_str());
}

void AddMenuTexts(const TMenuItem& Item, std::string& Texts) {
  Texts += Item.Caption();
  for (int i = 0; i < Item.Count(); ++i) AddMenuTexts(*Item.Items(i), Texts);
}

void AddControlTexts(TControl& Control, std::string& Texts) {
  if (auto* c = dynamic_cast<TButton*>(&Control)) Texts += c->Caption();
  if (auto* c = dynamic_cast<TCheckBox*>(&Control)) Texts += c->Caption();
  if (auto* c = dynamic_cast<TRadioButton*>(&Control)) Texts += c->Caption();
  if (auto* c = dynamic_cast<TLabel*>(&Control)) Texts += c->Caption();
  if (auto* c = dynamic_cast<TGroupBox*>(&Control)) Texts += c->Caption();
  if (auto* c = dynamic_cast<TPanel*>(&Control)) Texts += c->Caption();
  if (auto* c = dynamic_cast<TEdit*>(&Control)) Texts += c->Text();
  if (auto* c = dynamic_cast<TListBox*>(&Control))
    for (int i = 0; i < c->Items()->Count(); ++i) Texts += c->Items()->Strings(i);
  if (auto* windowed = dynamic_cast<TWinControl*>(&Control))
    for (int i = 0; i < windowed->ControlCount(); ++i)
      AddControlTexts(*windowed->Controls(i), Texts);
}

}  // namespace

std::string FormTexts(TForm& Form) {
  std::string texts = Form.Caption();
  if (Form.Menu()) AddMenuTexts(*Form.Menu()->Items(), texts);
  for (int i = 0; i < Form.ControlCount(); ++i) AddControlTexts(*Form.Controls(i), texts);
  return texts;
}

bool IsWidget(const TControl* Control) {
  return dynamic_cast<const TButton*>(Control) || dynamic_cast<const TEdit*>(Control) ||
         dynamic_cast<const TCheckBox*>(Control) || dynamic_cast<const TRadioButton*>(Control) ||
         dynamic_cast<const TListBox*>(Control);
}

ControlPainter::~ControlPainter() {
  for (auto& [image, entry] : images_) SDL_DestroyTexture(entry.texture);
  if (screen_) SDL_DestroyTexture(screen_);
}

void ControlPainter::PaintMenu(TForm& Form, std::vector<Action>& Actions) {
  if (!Form.Menu() || !ImGui::BeginMainMenuBar()) return;
  TMenuItem* items = Form.Menu()->Items();
  for (int i = 0; i < items->Count(); ++i) PaintMenuItem(Form, *items->Items(i), Actions);
  ImGui::EndMainMenuBar();
}

void ControlPainter::PaintControls(TForm& Form, ImVec2 ClientOrigin, std::vector<Action>& Actions) {
  clientOrigin_ = ClientOrigin;
  for (auto& [image, entry] : images_) entry.used = false;
  PaintChildren(Form, Form, Actions);
  DropUnusedImages();
}

ImVec2 ControlPainter::Place(const TForm& Form, const TControl& Control) const {
  const POINT origin = Control.ClientOrigin();
  const POINT formOrigin = Form.ClientOrigin();
  return ImVec2(clientOrigin_.x + static_cast<float>(origin.x - formOrigin.x),
                clientOrigin_.y + static_cast<float>(origin.y - formOrigin.y));
}

void ControlPainter::PaintChildren(TForm& Form, TWinControl& Parent, std::vector<Action>& Actions) {
  for (int i = 0; i < Parent.ControlCount(); ++i) {
    TControl& control = *Parent.Controls(i);
    if (!control.Visible()) continue;
    PaintControl(Form, control, Actions);
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    if (!windowed || windowed->ControlCount() == 0) continue;
    const ImVec2 min = Place(Form, control);
    ImGui::PushClipRect(min, ImVec2(min.x + control.Width(), min.y + control.Height()), true);
    PaintChildren(Form, *windowed, Actions);
    ImGui::PopClipRect();
  }
}

void ControlPainter::PaintControl(TForm& Form, TControl& Control, std::vector<Action>& Actions) {
  const ImVec2 min = Place(Form, Control);
  const ImVec2 size(static_cast<float>(Control.Width()), static_cast<float>(Control.Height()));
  const ImVec2 max(min.x + size.x, min.y + size.y);
  auto* windowed = dynamic_cast<TWinControl*>(&Control);
  if (windowed && windowed->HandleAllocated() && platform::WindowShowsScreen(windowed->Handle())) {
    PaintScreen(Form, *windowed, min, max);
    return;
  }
  ImGui::PushID(&Control);
  ImGui::BeginDisabled(!Control.Enabled());
  ImGui::SetCursorScreenPos(min);
  if (auto* button = dynamic_cast<TButton*>(&Control)) {
    if (ImGui::Button(Label(button->Caption()).c_str(), size))
      Actions.push_back(On(Form, button, [](TButton* b) { b->Click(); }));
  } else if (auto* edit = dynamic_cast<TEdit*>(&Control)) {
    std::string text = edit->Text();
    ImGui::SetNextItemWidth(size.x);
    if (ImGui::InputText("##edit", &text)) edit->SetText(text);
  } else if (auto* check = dynamic_cast<TCheckBox*>(&Control)) {
    bool checked = check->Checked();
    if (ImGui::Checkbox(Label(check->Caption()).c_str(), &checked))
      Actions.push_back(On(Form, check, [](TCheckBox* c) { c->Click(); }));
  } else if (auto* radio = dynamic_cast<TRadioButton*>(&Control)) {
    if (ImGui::RadioButton(Label(radio->Caption()).c_str(), radio->Checked()))
      Actions.push_back(On(Form, radio, [](TRadioButton* r) { r->Click(); }));
  } else if (auto* list = dynamic_cast<TListBox*>(&Control)) {
    if (ImGui::BeginListBox("##list", size)) {
      for (int i = 0; i < list->Items()->Count(); ++i) {
        ImGui::PushID(i);
        if (ImGui::Selectable(list->Items()->Strings(i).c_str(), list->ItemIndex() == i))
          Actions.push_back(On(Form, list, [i](TListBox* l) { l->ClickItem(i); }));
        ImGui::PopID();
      }
      ImGui::EndListBox();
    }
  } else if (auto* label = dynamic_cast<TLabel*>(&Control)) {
    ImGui::TextUnformatted(StripAccessKeys(label->Caption()).c_str());
  } else if (auto* group = dynamic_cast<TGroupBox*>(&Control)) {
    PaintFrame(min, max, group->Caption());
  } else if (auto* image = dynamic_cast<TImage*>(&Control)) {
    PaintImage(*image, min, max);
  } else if (auto* panel = dynamic_cast<TPanel*>(&Control)) {
    PaintPanel(min, max, panel->Caption());
  }
  ImGui::EndDisabled();
  ImGui::PopID();
}

void ControlPainter::PaintScreen(const TForm& Form, TWinControl& Control, ImVec2 Min, ImVec2 Max) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  draw->AddRectFilled(Min, Max, IM_COL32(0, 0, 0, 255));
  RECT visible;
  if (!platform::GetWindowVisibleRect(Control.Handle(), &visible)) return;
  SDL_Texture* texture = ScreenTexture(Form.ClientWidth(), Form.ClientHeight());
  if (!texture) return;
  // The texture holds the form's client area: a screen point lies at its offset from the
  // client origin.
  const POINT origin = Form.ClientOrigin();
  const int x = visible.left - origin.x;
  const int y = visible.top - origin.y;
  if (!CopyScreenToTexture(visible, texture, x, y)) return;
  const float w = static_cast<float>(screenWidth_);
  const float h = static_cast<float>(screenHeight_);
  const ImVec2 a(clientOrigin_.x + x, clientOrigin_.y + y);
  const ImVec2 b(a.x + (visible.right - visible.left), a.y + (visible.bottom - visible.top));
  draw->AddImage(texture, a, b, ImVec2(x / w, y / h),
                 ImVec2((b.x - clientOrigin_.x) / w, (b.y - clientOrigin_.y) / h));
}

void ControlPainter::PaintImage(TImage& Image, ImVec2 Min, ImVec2 Max) {
  SDL_Texture* texture = TextureOf(Image);
  if (!texture) return;
  TBitmap& bitmap = *Image.Picture()->Bitmap();
  // Shown at the top-left corner without scaling, cut at the control's size.
  const float w = std::min<float>(Max.x - Min.x, static_cast<float>(bitmap.Width()));
  const float h = std::min<float>(Max.y - Min.y, static_cast<float>(bitmap.Height()));
  ImGui::GetWindowDrawList()->AddImage(
      texture, Min, ImVec2(Min.x + w, Min.y + h), ImVec2(0, 0),
      ImVec2(w / static_cast<float>(bitmap.Width()), h / static_cast<float>(bitmap.Height())));
}

SDL_Texture* ControlPainter::ScreenTexture(int Width, int Height) {
  if (Width <= 0 || Height <= 0) return nullptr;
  if (screen_ && (screenWidth_ != Width || screenHeight_ != Height)) {
    SDL_DestroyTexture(screen_);
    screen_ = nullptr;
  }
  if (!screen_) {
    screen_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                Width, Height);
    screenWidth_ = Width;
    screenHeight_ = Height;
  }
  return screen_;
}

SDL_Texture* ControlPainter::TextureOf(TImage& Image) {
  TBitmap& bitmap = *Image.Picture()->Bitmap();
  if (bitmap.Empty()) return nullptr;
  ImageTexture& entry = images_[&Image];
  entry.used = true;
  if (entry.texture && entry.bitmap == &bitmap && entry.changeCount == bitmap.ChangeCount())
    return entry.texture;
  if (entry.texture) SDL_DestroyTexture(entry.texture);
  entry.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                    bitmap.Width(), bitmap.Height());
  entry.bitmap = &bitmap;
  entry.changeCount = bitmap.ChangeCount();
  if (!entry.texture) return nullptr;
  // Converted once per picture, through the bitmap's own palette.
  PALETTEENTRY palette[256] = {};
  std::copy(bitmap.PaletteEntries().begin(), bitmap.PaletteEntries().end(), palette);
  const DWORD bitCount = bitmap.PixelFormat() == pf8bit ? 8 : 32;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.Width()) *
                                    static_cast<std::size_t>(bitmap.Height()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    const platform::PixelView row{const_cast<std::uint8_t*>(bitmap.ScanLine(y)), 0, bitmap.Width(),
                                  1, bitCount};
    ConvertRowToArgb(row, palette, 0, 0, bitmap.Width(),
                     pixels.data() + static_cast<std::size_t>(y) * bitmap.Width());
  }
  SDL_UpdateTexture(entry.texture, nullptr, pixels.data(), bitmap.Width() * 4);
  return entry.texture;
}

void ControlPainter::DropUnusedImages() {
  for (auto it = images_.begin(); it != images_.end();) {
    if (it->second.used) {
      ++it;
      continue;
    }
    SDL_DestroyTexture(it->second.texture);
    it = images_.erase(it);
  }
}

}  // namespace framework::backends
