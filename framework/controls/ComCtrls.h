// The page control: a row of tabs over a frame that shows one of its pages (TTabSheet) at
// a time. A click on a tab, Left and Right while the control has the focus, and Ctrl+Tab
// (Ctrl+Shift+Tab) while the focus is inside it change the page as the user does: OnChanging
// may refuse, then the page changes and OnChange fires. Setting ActivePage or
// ActivePageIndex in code changes the page without either event. When the focus was on the
// page that goes, it moves to the first control of the new page (or the page control).
#pragma once

#include <vector>

#include "framework/ui/Controls.h"

namespace fw {

class TPageControl;

using TTabChangingEvent = TEvent<void(TObject* sender, bool& allowChange)>;

/// One page of a page control: a container whose Caption is its tab's text.
class TTabSheet : public TCustomControl {
  FW_CLASS(TTabSheet)
 public:
  explicit TTabSheet(TComponent* owner);
  /// Leaves its page control.
  ~TTabSheet() override;

  TPageControl* GetPageControl() const { return FPageControl; }
  /// Moves the page into a page control (its parent) or out of it.
  void SetPageControl(TPageControl* pageControl);
  /// The page's place among its page control's pages.
  int GetPageIndex() const;
  void SetPageIndex(int index);
  /// Whether the page has a tab (a page without one cannot be chosen by the user).
  bool GetTabVisible() const { return FTabVisible; }
  void SetTabVisible(bool v);
  /// The place of the page's tab among the shown tabs, or -1 without one.
  int GetTabIndex() const;
  TNotifyEvent GetOnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent e) { FOnShow = e; }
  TNotifyEvent GetOnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent e) { FOnHide = e; }

  void SetParent(TWinControl* parent) override;

 protected:
  void TextChanged() override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  TNotifyEvent FOnShow, FOnHide;
};

class TPageControl : public TCustomControl {
  FW_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  int GetPageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* GetPage(int index) const;
  TTabSheet* GetActivePage() const { return FActivePage; }
  /// Shows a page of this control (null: none) without OnChanging and OnChange.
  void SetActivePage(TTabSheet* page);
  int GetActivePageIndex() const;
  void SetActivePageIndex(int index);
  /// The next (or previous) page after `current`, cycling; with `tabVisibleOnly` only
  /// pages that have a tab. Null when none.
  TTabSheet* FindNextPage(TTabSheet* current, bool forward, bool tabVisibleOnly) const;
  /// Moves to the next page with a tab as the user does (OnChanging, OnChange).
  void SelectNextPage(bool forward);
  /// The tab at a client point: its page, or null.
  TTabSheet* TabAt(int x, int y);
  /// A tab's rectangle (empty when the page has no tab).
  TRect TabRect(TTabSheet* page);
  /// Where the pages lie, in client coordinates.
  TRect DisplayRect();
  int GetTabHeight();

  TTabChangingEvent GetOnChanging() const { return FOnChanging; }
  void SetOnChanging(TTabChangingEvent e) { FOnChanging = e; }
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS; }
  bool DialogKey(std::uint16_t key, TShiftState shift) override;
  void DefaultKeyDown(std::uint16_t key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  void Loaded() override;
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;

 protected:
  /// Fires OnChanging; whether the page may change.
  virtual bool CanChange();
  /// Fires OnChange.
  virtual void Change();
  /// The user's change of page: CanChange, the page, Change.
  void ChangeActivePage(TTabSheet* page);
  void Paint() override;
  void Resize() override;
  void FontChanged() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void ShowPage(TTabSheet* page);
  void PlacePages();
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  TTabSheet* FLoadedActivePage = nullptr;
  TTabChangingEvent FOnChanging;
  TNotifyEvent FOnChange;
};

}  // namespace fw
