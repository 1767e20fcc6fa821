// The main menu: TMainMenu, set as a form's Menu, holds a tree of TMenuItem. The desktop
// backend draws it as a menu bar above the form's client area; choosing an item runs its
// OnClick. Captions may mark an access key with '&' ("&File"); it is not shown.
#pragma once

#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"

// The height of a form's main menu bar in pixels. It is fixed, so that the form's layout (and
// where its controls lie on the screen) never depends on a font; the desktop backend draws
// its bar exactly this high.
inline constexpr int kMenuBarHeight = 19;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* Owner);
  // Leaves its parent item; destroys the items below it that it owns.
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Caption) { caption_ = Caption; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value) { visible_ = Value; }

  // Sub-items, in menu order. Add takes Item out of its former parent item.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int Index) const;
  void Add(TMenuItem* Item);
  void Remove(TMenuItem* Item);
  TMenuItem* Parent() const { return parent_; }
  // True when Item is this item or lies below it.
  bool Holds(const TMenuItem* Item) const;

  // The user chose the item: runs OnClick when the item is enabled.
  void Click();
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

class TMainMenu : public TComponent {
 public:
  explicit TMainMenu(TComponent* Owner);
  // Every form that shows this menu is left without one.
  ~TMainMenu() override;

  // The root item; its sub-items are the menu bar's entries.
  TMenuItem* Items() { return &items_; }

 private:
  TMenuItem items_{nullptr};
};

// The caption as shown: '&' marks removed ("&&" shows one '&').
std::string StripAccessKeys(const std::string& Caption);
