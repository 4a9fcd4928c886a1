#include "framework/controls/ComCtrls.h"

#include <algorithm>

#include "framework/core/TypInfo.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"

namespace fw {

// ------------------------------------------------------------------ TTabSheet

const TClassInfo& TTabSheet::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TTabSheet>("TTabSheet", &TCustomControl::StaticClass())
          .Prop("Caption", &TControl::GetCaption, &TControl::SetCaption)
          .Prop("PageControl", &TTabSheet::GetPageControl, &TTabSheet::SetPageControl).Stored(false)
          .Prop("TabVisible", &TTabSheet::GetTabVisible, &TTabSheet::SetTabVisible).Default(1)
          .Prop("OnHide", &TTabSheet::GetOnHide, &TTabSheet::SetOnHide)
          .Prop("OnShow", &TTabSheet::GetOnShow, &TTabSheet::SetOnShow)
          .Build();
  return info;
}

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
  InitColor(clBtnFace);
  FControlStyle.Include(csAcceptsControls);
  FVisible = false;
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

void TTabSheet::SetParent(TWinControl* parent) {
  TPageControl* old = FPageControl;
  auto* next = dynamic_cast<TPageControl*>(parent);
  if (old && old != next) old->RemovePage(this);
  TCustomControl::SetParent(parent);
  if (next && next != old) next->InsertPage(this);
}

int TTabSheet::GetPageIndex() const {
  if (!FPageControl) return -1;
  auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
  if (!FPageControl) return;
  auto& pages = FPageControl->FPages;
  pages.erase(std::find(pages.begin(), pages.end(), this));
  index = std::clamp(index, 0, static_cast<int>(pages.size()));
  pages.insert(pages.begin() + index, this);
  FPageControl->Invalidate();
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == FTabVisible) return;
  FTabVisible = v;
  if (FPageControl) FPageControl->Invalidate();
}

int TTabSheet::GetTabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int index = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return index;
    if (p->FTabVisible) ++index;
  }
  return -1;
}

void TTabSheet::TextChanged() {
  TCustomControl::TextChanged();
  if (FPageControl) FPageControl->Invalidate();
}

// ------------------------------------------------------------------ TPageControl

const TClassInfo& TPageControl::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TPageControl>("TPageControl", &TCustomControl::StaticClass())
          .Prop("ActivePage", &TPageControl::GetActivePage, &TPageControl::SetActivePage)
          .Prop("OnChange", &TPageControl::GetOnChange, &TPageControl::SetOnChange)
          .Prop("OnChanging", &TPageControl::GetOnChanging, &TPageControl::SetOnChanging)
          .Build();
  return info;
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
  InitColor(clBtnFace);
  FTabStop = true;
  FWidth = 289;
  FHeight = 193;
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::GetPage(int index) const {
  if (index < 0 || index >= GetPageCount()) ListIndexError(index);
  return FPages[static_cast<std::size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
  FPages.push_back(page);
  page->FPageControl = this;
  if (HasState(csLoading) || HasState(csReading)) return;
  PlacePages();
  if (!FActivePage)
    ShowPage(page);
  else
    page->SetVisible(false);
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
  if (page == FActivePage) {
    TTabSheet* next = FindNextPage(page, true, false);
    ShowPage(next != page ? next : nullptr);
  }
  if (page == FLoadedActivePage) FLoadedActivePage = nullptr;
  FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
  page->FPageControl = nullptr;
  Invalidate();
}

void TPageControl::ShowPage(TTabSheet* page) {
  TTabSheet* old = FActivePage;
  if (page == old) return;
  FActivePage = page;
  if (page) {
    page->SetBoundsRect(DisplayRect());
    page->SetVisible(true);
    page->BringToFront();
  }
  if (old) old->SetVisible(false);
  Invalidate();
  if (old && old->FOnHide) old->FOnHide(old);
  if (page && page->FOnShow) page->FOnShow(page);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->FPageControl != this) return;
  if (HasState(csLoading) || HasState(csReading)) {
    FLoadedActivePage = page;
    return;
  }
  ShowPage(page);
}

int TPageControl::GetActivePageIndex() const {
  return FActivePage ? FActivePage->GetPageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < GetPageCount() ? FPages[static_cast<std::size_t>(index)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool forward, bool tabVisibleOnly) const {
  int count = GetPageCount();
  if (count == 0) return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), current);
  int start = it == FPages.end() ? (forward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
  int i = start;
  do {
    i = forward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* p = FPages[static_cast<std::size_t>(i)];
    if (!tabVisibleOnly || p->FTabVisible) return p;
  } while (i != start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool forward) {
  TTabSheet* next = FindNextPage(FActivePage, forward, true);
  if (next && next != FActivePage) ChangeActivePage(next);
}

bool TPageControl::CanChange() {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, allow);
  return allow;
}

void TPageControl::Change() {
  if (FOnChange) FOnChange(this);
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
  if (!page || page == FActivePage || page->FPageControl != this) return;
  auto alive = AliveToken();
  if (!CanChange() || alive.expired()) return;
  TCustomForm* form = GetParentForm(this);
  bool focusInside = form && FActivePage && FActivePage->ContainsControl(form->GetActiveControl());
  // The focus leaves the page first: a control that refuses to be left stops the change.
  if (focusInside && CanFocus()) {
    SetFocus();
    if (alive.expired() || (form->GetActiveControl() != this)) return;
  }
  ShowPage(page);
  if (focusInside) {
    if (TWinControl* first = page->FindNextControl(nullptr, true, true, false)) first->SetFocus();
    if (alive.expired()) return;
  }
  Change();
}

int TPageControl::GetTabHeight() {
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  return c->TextHeight("0") + 7;
}

TRect TPageControl::TabRect(TTabSheet* page) {
  if (!page || !page->FTabVisible || page->FPageControl != this) return {};
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  int th = GetTabHeight();
  int x = 2;
  for (TTabSheet* p : FPages) {
    if (!p->FTabVisible) continue;
    int w = std::max(24, c->TextWidth(StripHotkey(p->GetCaption())) + 14);
    if (p == page) return {x, 2, x + w, th};
    x += w;
  }
  return {};
}

TTabSheet* TPageControl::TabAt(int x, int y) {
  // The active tab stands out by two pixels on each side and is looked at first.
  if (FActivePage) {
    TRect r = TabRect(FActivePage);
    if (!r.IsEmpty() && PtInRect({r.Left - 2, 0, r.Right + 2, r.Bottom}, {x, y})) return FActivePage;
  }
  for (TTabSheet* p : FPages)
    if (PtInRect(TabRect(p), {x, y})) return p;
  return nullptr;
}

TRect TPageControl::DisplayRect() {
  int th = GetTabHeight();
  return {4, th + 4, std::max(4, FWidth - 4), std::max(th + 4, FHeight - 4)};
}

void TPageControl::PlacePages() {
  TRect r = DisplayRect();
  for (TTabSheet* p : FPages) p->SetBoundsRect(r);
}

void TPageControl::Resize() {
  TCustomControl::Resize();
  PlacePages();
}

void TPageControl::FontChanged() {
  TCustomControl::FontChanged();
  PlacePages();
}

void TPageControl::Loaded() {
  TCustomControl::Loaded();
  PlacePages();
  TTabSheet* active = FLoadedActivePage ? FLoadedActivePage : (FPages.empty() ? nullptr : FPages.front());
  FLoadedActivePage = nullptr;
  for (TTabSheet* p : FPages) p->SetVisible(p == active);
  FActivePage = active;
  Invalidate();
}

void TPageControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
  // Pages in page order, then any other control.
  TComponent::GetChildren(proc, root);
  for (TTabSheet* p : FPages)
    if (p->GetOwner() == root) proc(p);
  for (TControl* c : FControls)
    if (c->GetOwner() == root && std::find(FPages.begin(), FPages.end(), c) == FPages.end()) proc(c);
}

bool TPageControl::DialogKey(std::uint16_t key, TShiftState shift) {
  bool ctrlTab = key == VK_TAB && shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  bool ctrlPage = (key == VK_PRIOR || key == VK_NEXT) && shift == TShiftState{ssCtrl};
  if (ctrlTab || ctrlPage) {
    TCustomForm* form = GetParentForm(this);
    if (form && IsShowing() && ContainsControl(form->GetActiveControl())) {
      SelectNextPage(ctrlTab ? !shift.Contains(ssShift) : key == VK_NEXT);
      return true;
    }
  }
  return TCustomControl::DialogKey(key, shift);
}

void TPageControl::DefaultKeyDown(std::uint16_t key, TShiftState shift) {
  if (!shift.Empty()) return;
  if (key == VK_LEFT || key == VK_UP) SelectNextPage(false);
  if (key == VK_RIGHT || key == VK_DOWN) SelectNextPage(true);
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (TTabSheet* page = TabAt(x, y)) {
      auto alive = AliveToken();
      if (!Focused() && CanFocus()) SetFocus();
      if (alive.expired() || !Focused()) return;
      ChangeActivePage(page);
      if (alive.expired()) return;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TPageControl::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TPageControl::WMKillFocus() {
  TCustomControl::WMKillFocus();
  Invalidate();
}

void TPageControl::Paint() {
  TCanvas* c = GetCanvas();
  int th = GetTabHeight();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FParent ? FParent->GetColor() : FColor);
  c->FillRect({0, 0, FWidth, th});
  c->GetBrush()->SetColor(FColor);
  c->FillRect({0, th, FWidth, FHeight});
  Frame3D(c, {0, th, FWidth, FHeight}, false);
  c->SetFont(GetFont());
  TColor textColor = IsEnabledInTree() ? GetFont()->GetColor() : clGrayText;
  auto line = [&](TColor color, TRect r) {
    c->GetBrush()->SetColor(color);
    c->FillRect(r);
  };
  auto drawTab = [&](TTabSheet* p, TRect r, bool active) {
    line(FColor, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom});
    line(clBtnHighlight, {r.Left, r.Top + 2, r.Left + 1, r.Bottom});
    line(clBtnHighlight, {r.Left + 1, r.Top + 1, r.Left + 2, r.Top + 2});
    line(clBtnHighlight, {r.Left + 2, r.Top, r.Right - 2, r.Top + 1});
    line(clBtnShadow, {r.Right - 2, r.Top + 1, r.Right - 1, r.Bottom});
    line(cl3DDkShadow, {r.Right - 1, r.Top + 2, r.Right, r.Bottom});
    std::string caption = StripHotkey(p->GetCaption());
    TSize size = c->TextExtent(caption);
    int x = (r.Left + r.Right - size.cx) / 2;
    int y = r.Top + (r.Height() - size.cy) / 2 + (active ? 0 : 1);
    c->GetFont()->SetColor(textColor);
    c->GetBrush()->SetStyle(bsClear);
    c->TextOut(x, y, caption);
    c->GetBrush()->SetStyle(bsSolid);
    if (active && Focused()) c->DrawFocusRect({x - 3, y, x + size.cx + 3, y + size.cy});
  };
  for (TTabSheet* p : FPages)
    if (p != FActivePage && p->FTabVisible) drawTab(p, TabRect(p), false);
  if (FActivePage && FActivePage->FTabVisible) {
    TRect r = TabRect(FActivePage);
    r = {r.Left - 2, 0, r.Right + 2, th + 2};
    drawTab(FActivePage, r, true);
    line(FColor, {r.Left + 1, th, r.Right - 2, th + 2});
  }
}

}  // namespace fw
