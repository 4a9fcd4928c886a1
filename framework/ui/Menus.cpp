#include "framework/ui/Menus.h"

#include <algorithm>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

// ------------------------------------------------------------------ shortcut codes

namespace {

struct TKeyName {
  std::uint16_t Key;
  const char* Name;
};

const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},      {VK_TAB, "Tab"},        {VK_ESCAPE, "Esc"},     {VK_RETURN, "Enter"},
    {VK_SPACE, "Space"},    {VK_PRIOR, "PgUp"},     {VK_NEXT, "PgDn"},      {VK_END, "End"},
    {VK_HOME, "Home"},      {VK_LEFT, "Left"},      {VK_UP, "Up"},          {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},      {VK_INSERT, "Ins"},     {VK_DELETE, "Del"},     {VK_MULTIPLY, "Num *"},
    {VK_ADD, "Num +"},      {VK_SUBTRACT, "Num -"}, {VK_DECIMAL, "Num ."},  {VK_DIVIDE, "Num /"},
};

std::string KeyName(std::uint16_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return "Num " + std::to_string(key - VK_NUMPAD0);
  for (const auto& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return {};
}

}  // namespace

TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
  if (key & 0xFF00) return 0;
  TShortCut sc = key;
  if (shift.Contains(ssShift)) sc |= scShift;
  if (shift.Contains(ssCtrl)) sc |= scCtrl;
  if (shift.Contains(ssAlt)) sc |= scAlt;
  return sc;
}

void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = {};
  if (shortCut & scShift) shift.Include(ssShift);
  if (shortCut & scCtrl) shift.Include(ssCtrl);
  if (shortCut & scAlt) shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut shortCut) {
  std::string name = KeyName(shortCut & 0xFF);
  if (name.empty()) return {};
  std::string out;
  if (shortCut & scShift) out += "Shift+";
  if (shortCut & scCtrl) out += "Ctrl+";
  if (shortCut & scAlt) out += "Alt+";
  return out + name;
}

TShortCut TextToShortCut(const std::string& text) {
  std::string rest = text;
  TShortCut mods = 0;
  for (bool found = true; found;) {
    found = false;
    for (auto [prefix, bit] : {std::pair{"Shift+", scShift}, std::pair{"Ctrl+", scCtrl}, std::pair{"Alt+", scAlt}}) {
      std::string p = prefix;
      if (rest.size() > p.size() && SameText(rest.substr(0, p.size()), p)) {
        mods |= bit;
        rest = rest.substr(p.size());
        found = true;
      }
    }
  }
  for (unsigned key = 1; key < 256; ++key)
    if (std::string name = KeyName(static_cast<std::uint16_t>(key)); !name.empty() && SameText(name, rest))
      return static_cast<TShortCut>(key | mods);
  return 0;
}

std::string StripHotkey(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

// ------------------------------------------------------------------ TMenuItem

const TClassInfo& TMenuItem::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClass())
          .Prop("Caption", &TMenuItem::GetCaption, &TMenuItem::SetCaption)
          .Prop("Checked", &TMenuItem::GetChecked, &TMenuItem::SetChecked).Default(0)
          .Prop("Default", &TMenuItem::GetDefault, &TMenuItem::SetDefault).Default(0)
          .Prop("Enabled", &TMenuItem::GetEnabled, &TMenuItem::SetEnabled).Default(1)
          .Prop("GroupIndex", &TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex).Default(0)
          .Prop("Hint", &TMenuItem::GetHint, &TMenuItem::SetHint)
          .Prop("RadioItem", &TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem).Default(0)
          .Prop("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut).Default(0)
          .Prop("Visible", &TMenuItem::GetVisible, &TMenuItem::SetVisible).Default(1)
          .Prop("OnClick", &TMenuItem::GetOnClick, &TMenuItem::SetOnClick)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  Clear();
}

void TMenuItem::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  // A checked radio item unchecks the other radio items of its group.
  if (v && FRadioItem && FParent)
    for (TMenuItem* i : FParent->FItems)
      if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex) i->FChecked = false;
}

TMenuItem* TMenuItem::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
  return FItems[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(GetCount(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item == this || item->IndexOf(this) >= 0) throw EMenuError(SMenuReinserted);
  for (TMenuItem* p = FParent; p; p = p->FParent)
    if (p == item) throw EMenuError(SMenuReinserted);
  if (item->FParent) item->FParent->Remove(item);
  if (index < 0 || index > GetCount()) throw EMenuError(SMenuIndexError);
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= GetCount()) throw EMenuError(SMenuIndexError);
  TMenuItem* item = FItems[static_cast<std::size_t>(index)];
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
  int i = IndexOf(item);
  if (i < 0) throw EMenuError(SMenuIndexError);
  Delete(i);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    delete item;
  }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TMenuItem::GetMenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int index) {
  if (!FParent) return;
  TMenuItem* parent = FParent;
  int count = parent->GetCount();
  if (index < 0) index = 0;
  if (index >= count) index = count - 1;
  parent->Delete(parent->IndexOf(this));
  parent->Insert(index, this);
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
  std::string wanted = StripHotkey(caption);
  for (TMenuItem* i : FItems)
    if (SameText(StripHotkey(i->FCaption), wanted)) return i;
  return nullptr;
}

void TMenuItem::Click() {
  if (FEnabled && FOnClick) FOnClick(this);
}

TMenu* TMenuItem::GetMenu() const {
  const TMenuItem* root = this;
  while (root->FParent) root = root->FParent;
  return root->FMenu;
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent))
    menu->GetItems()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent))
    item->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
  for (TMenuItem* i : FItems)
    if (i->GetOwner() == root) proc(i);
}

// ------------------------------------------------------------------ TMenu, TPopupMenu

const TClassInfo& TMenu::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TMenu>("TMenu", &TComponent::StaticClass()).Build();
  return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  // The root frees every item still under it; each one leaves its owner as it goes.
  delete FItems;
}

namespace {

TMenuItem* FindShortCut(TMenuItem* item, TShortCut sc) {
  for (int i = 0; i < item->GetCount(); ++i) {
    TMenuItem* child = item->GetItem(i);
    if (child->GetShortCut() == sc) return child;
    if (TMenuItem* found = FindShortCut(child, sc)) return found;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItem(TShortCut shortCut) const {
  if (shortCut == 0) return nullptr;
  return FindShortCut(FItems, shortCut);
}

bool TMenu::IsShortCut(std::uint16_t key, TShiftState shift) {
  TShortCut sc = ShortCut(key, shift * TShiftState{ssShift, ssCtrl, ssAlt});
  TMenuItem* item = FindItem(sc);
  if (!item) return false;
  std::vector<TMenuItem*> chain;
  for (TMenuItem* i = item; i; i = i->GetParent()) chain.insert(chain.begin(), i);
  for (std::size_t k = 0; k + 1 < chain.size(); ++k) {
    if (!chain[k]->GetEnabled()) return false;
    chain[k]->Click();
  }
  if (!item->GetEnabled()) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
  FItems->GetChildren(proc, root);
}

const TClassInfo& TPopupMenu::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TPopupMenu>("TPopupMenu", &TMenu::StaticClass())
          .Prop("AutoPopup", &TPopupMenu::GetAutoPopup, &TPopupMenu::SetAutoPopup).Default(1)
          .Prop("OnPopup", &TPopupMenu::GetOnPopup, &TPopupMenu::SetOnPopup)
          .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() { SetPopupComponent(nullptr); }

void TPopupMenu::SetPopupComponent(TComponent* c) {
  if (c == FPopupComponent) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = c;
  if (c) c->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup() {
  if (FOnPopup) FOnPopup(this);
}

void TPopupMenu::Popup(int x, int y) {
  FPopupPoint = {x, y};
  DoPopup();
  if (TMenuItem* chosen = WidgetSet()->TrackPopupMenu(GetItems(), FPopupPoint)) chosen->Click();
}

}  // namespace fw
