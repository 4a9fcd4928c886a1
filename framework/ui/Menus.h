// Menus: TMenuItem (captions with "-" separators and "&" accelerators, shortcuts, checks,
// sub-items), TMenu with its root item and shortcut search, TPopupMenu shown at a screen
// position, and the shortcut codes (virtual key + 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/Exceptions.h"
#include "framework/ui/UiTypes.h"

namespace fw {

class TMenu;

/// An item inserted twice or an index out of range.
class EMenuError : public Exception {
 public:
  using Exception::Exception;
};

/// A shortcut: a virtual key plus scShift, scCtrl, scAlt; 0 for none.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

TShortCut ShortCut(std::uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift);
/// "Ctrl+S", "Shift+Ctrl+F5", "Ctrl+Num +", "" for none.
std::string ShortCutToText(TShortCut shortCut);
/// The inverse of ShortCutToText (case-insensitive); 0 when the text is not a shortcut.
TShortCut TextToShortCut(const std::string& text);
/// The caption without its "&" accelerator marks ("&&" gives one "&").
std::string StripHotkey(const std::string& caption);

class TMenuItem : public TComponent {
  FW_CLASS(TMenuItem)
 public:
  explicit TMenuItem(TComponent* owner);
  /// Leaves its parent item and frees its own items.
  ~TMenuItem() override;

  const std::string& GetCaption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool v);
  bool GetRadioItem() const { return FRadioItem; }
  void SetRadioItem(bool v) { FRadioItem = v; }
  std::uint8_t GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(std::uint8_t v) { FGroupIndex = v; }
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v) { FShortCut = v; }
  const std::string& GetHint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool v) { FDefault = v; }
  TNotifyEvent GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent e) { FOnClick = e; }

  /// A separator: the caption "-".
  bool IsLine() const { return FCaption == "-"; }
  int GetCount() const { return static_cast<int>(FItems.size()); }
  /// The sub-item at an index; "List index out of bounds (%d)".
  TMenuItem* GetItem(int index) const;
  TMenuItem* operator[](int index) const { return GetItem(index); }
  /// Appends an item (taken out of its old parent); the item belongs to this one.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  /// Takes the item at an index out without freeing it.
  void Delete(int index);
  /// Takes the item out without freeing it.
  void Remove(TMenuItem* item);
  /// Frees every sub-item.
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* GetParent() const { return FParent; }
  int GetMenuIndex() const;
  void SetMenuIndex(int index);
  /// The sub-item whose caption, without "&", equals `caption` (ignoring case), or null.
  TMenuItem* Find(const std::string& caption) const;
  /// Fires OnClick when enabled.
  virtual void Click();
  /// The menu whose root this item is under, or null.
  TMenu* GetMenu() const;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;

 private:
  friend class TMenu;
  std::string FCaption;
  bool FEnabled = true, FVisible = true, FChecked = false, FRadioItem = false, FDefault = false;
  std::uint8_t FGroupIndex = 0;
  TShortCut FShortCut = 0;
  std::string FHint;
  TNotifyEvent FOnClick;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item only
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
  FW_CLASS(TMenu)
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  /// The root item (owned; its sub-items are the menu's items).
  TMenuItem* GetItems() const { return FItems; }
  /// The first item, depth first, with that shortcut, or null.
  TMenuItem* FindItem(TShortCut shortCut) const;
  /// Runs the item with the shortcut of the key: each item from the root down to it is
  /// clicked in turn (the root item first, so that its handler can update the items), the
  /// item itself only when it is enabled once its parents ran. True when an enabled item
  /// ran (the key is consumed); false when no item has the shortcut or it is disabled.
  bool IsShortCut(std::uint16_t key, TShiftState shift);
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;

 private:
  TMenuItem* FItems;
};

class TPopupMenu : public TMenu {
  FW_CLASS(TPopupMenu)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  /// The control the menu was last shown for (or whose shortcut ran last), or null.
  TComponent* GetPopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* c);
  bool GetAutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool v) { FAutoPopup = v; }
  TNotifyEvent GetOnPopup() const { return FOnPopup; }
  void SetOnPopup(TNotifyEvent e) { FOnPopup = e; }
  TPoint GetPopupPoint() const { return FPopupPoint; }

  /// Shows the menu at a screen position: OnPopup, then the menu; the chosen item's click
  /// runs before Popup returns.
  virtual void Popup(int x, int y);
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  /// Fires OnPopup.
  virtual void DoPopup();

 private:
  TComponent* FPopupComponent = nullptr;
  bool FAutoPopup = true;
  TNotifyEvent FOnPopup;
  TPoint FPopupPoint;
};

}  // namespace fw
