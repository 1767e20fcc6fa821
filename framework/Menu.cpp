#include "framework/Menu.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Form.h"

TMenuItem::TMenuItem(TComponent* Owner) : TComponent(Owner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
  return items_[static_cast<std::size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) {
  if (!Item || Item == this) return;
  if (Item->parent_) Item->parent_->Remove(Item);
  Item->parent_ = this;
  items_.push_back(Item);
}

void TMenuItem::Remove(TMenuItem* Item) {
  if (std::erase(items_, Item) != 0) Item->parent_ = nullptr;
}

bool TMenuItem::Holds(const TMenuItem* Item) const {
  if (Item == this) return true;
  return std::any_of(items_.begin(), items_.end(),
                     [Item](const TMenuItem* child) { return child->Holds(Item); });
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

TMainMenu::TMainMenu(TComponent* Owner) : TComponent(Owner) {}

TMainMenu::~TMainMenu() {
  for (TForm* form : Application->Forms())
    if (form->Menu() == this) form->SetMenu(nullptr);
}

std::string StripAccessKeys(const std::string& Caption) {
  std::string shown;
  for (std::size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] != '&') {
      shown += Caption[i];
    } else if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
      shown += '&';
      ++i;
    }
    // A single '&' marks the next character as the access key and is not shown.
  }
  return shown;
}
