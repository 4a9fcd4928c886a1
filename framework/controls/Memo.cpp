// TCustomMemo, TMemo and the memo's Lines (see StdCtrls.h). The text keeps its line breaks
// as CR LF; rows are the lines as shown, after word wrap, each a range of characters.
#include <algorithm>

#include "framework/controls/StdCtrls.h"
#include "framework/controls/Utf32.h"
#include "framework/core/TypInfo.h"

namespace fw {

namespace {

/// The text with every line break (CR LF, LF, CR) as CR LF.
std::u32string NormalizeBreaks(const std::u32string& text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c == U'\r' || c == U'\n') {
      out += U"\r\n";
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      continue;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace

// ------------------------------------------------------------------ TMemoStrings

const TClassInfo& TMemoStrings::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TMemoStrings>("TMemoStrings", &TStrings::StaticClass()).Build();
  return info;
}

std::vector<std::string> TMemoStrings::Lines() const {
  if (FUpdating) return FPending;
  TStringList list;
  list.SetText(FMemo->GetText());
  return list.ToVector();
}

void TMemoStrings::Store(std::vector<std::string> lines) {
  if (FUpdating) {
    FPending = std::move(lines);
    return;
  }
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  FMemo->SetText(text);
}

void TMemoStrings::SetUpdateState(bool updating) {
  if (updating) {
    FPending = Lines();
    FUpdating = true;
  } else {
    FUpdating = false;
    Store(std::move(FPending));
    FPending.clear();
  }
}

int TMemoStrings::GetCount() const { return static_cast<int>(Lines().size()); }

std::string TMemoStrings::Get(int index) const {
  auto lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size())) ListIndexError(index);
  return lines[static_cast<std::size_t>(index)];
}

void TMemoStrings::Put(int index, const std::string& s) {
  auto lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size())) ListIndexError(index);
  lines[static_cast<std::size_t>(index)] = s;
  Store(std::move(lines));
}

void TMemoStrings::Insert(int index, const std::string& s) {
  auto lines = Lines();
  if (index < 0 || index > static_cast<int>(lines.size())) ListIndexError(index);
  lines.insert(lines.begin() + index, s);
  Store(std::move(lines));
}

void TMemoStrings::Delete(int index) {
  auto lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size())) ListIndexError(index);
  lines.erase(lines.begin() + index);
  Store(std::move(lines));
}

void TMemoStrings::Clear() { Store({}); }

// ------------------------------------------------------------------ TCustomMemo

const TClassInfo& TCustomMemo::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TCustomMemo>("TCustomMemo", &TCustomEdit::StaticClass()).Build();
  return info;
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), FLines(std::make_unique<TMemoStrings>(this)) {
  SetAutoSelect(false);
  FWidth = 185;
  FHeight = 89;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetScrollBars(TScrollStyle v) {
  if (v == FScrollBars) return;
  FScrollBars = v;
  InvalidateRows();
}

void TCustomMemo::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  FScrollX = 0;
  InvalidateRows();
}

void TCustomMemo::SetAlignment(TAlignment v) {
  FAlignment = v;
  Invalidate();
}

unsigned TCustomMemo::GetDlgCode() const {
  unsigned code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FWantTabs) code |= DLGC_WANTTAB;
  if (FWantReturns) code |= DLGC_WANTALLKEYS;
  return code;
}

int TCustomMemo::FixPosition(int pos, bool forward) const {
  // Only a CR LF pair has an inside.
  if (pos <= 0) return pos;
  std::u32string chars = Chars();
  if (pos < static_cast<int>(chars.size()) && chars[static_cast<std::size_t>(pos - 1)] == U'\r' &&
      chars[static_cast<std::size_t>(pos)] == U'\n')
    return forward ? pos + 1 : pos - 1;
  return pos;
}

void TCustomMemo::InvalidateRows() {
  FRowsValid = false;
  Invalidate();
}

TRect TCustomMemo::TextRectArea() const {
  return {2, 2, FWidth - 2 - (HasVertBar() ? ScrollBarSize : 0), FHeight - 2 - (HasHorzBar() ? ScrollBarSize : 0)};
}

TRect TCustomMemo::VertBarRect() const {
  if (!HasVertBar()) return {};
  return {FWidth - 2 - ScrollBarSize, 2, FWidth - 2, FHeight - 2 - (HasHorzBar() ? ScrollBarSize : 0)};
}

TRect TCustomMemo::HorzBarRect() const {
  if (!HasHorzBar()) return {};
  return {2, FHeight - 2 - ScrollBarSize, FWidth - 2 - (HasVertBar() ? ScrollBarSize : 0), FHeight - 2};
}

int TCustomMemo::LineHeight() {
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  return std::max(1, c->TextHeight("0"));
}

int TCustomMemo::VisibleRows() const {
  int lh = const_cast<TCustomMemo*>(this)->LineHeight();
  return std::max(1, TextRectArea().Height() / lh);
}

const std::vector<TCustomMemo::TRow>& TCustomMemo::Rows() {
  if (FRowsValid) return FRows;
  FRows.clear();
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  std::u32string t = Chars();
  int n = static_cast<int>(t.size());
  int wrap = FWordWrap ? std::max(1, TextRectArea().Width() - 3) : 0;
  auto width = [&](int from, int to) {
    return c->TextWidth(ToUtf8(t.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from))));
  };
  int start = 0;
  while (true) {
    int end = start;
    while (end < n && t[static_cast<std::size_t>(end)] != U'\r' && t[static_cast<std::size_t>(end)] != U'\n') ++end;
    if (!wrap || start == end) {
      FRows.push_back({start, end});
    } else {
      // Rows of a paragraph follow each other without a gap: the spaces where a row breaks
      // stay at the end of that row.
      int s = start;
      while (s < end) {
        int e = s;
        while (e < end) {
          int wordEnd = e;
          while (wordEnd < end && t[static_cast<std::size_t>(wordEnd)] != U' ') ++wordEnd;
          if (width(s, wordEnd) > wrap) {
            if (e == s) {  // a word longer than the row: break it where it must
              e = s + 1;
              while (e < wordEnd && width(s, e + 1) <= wrap) ++e;
            }
            break;
          }
          e = wordEnd;
          while (e < end && t[static_cast<std::size_t>(e)] == U' ') ++e;
        }
        FRows.push_back({s, e});
        s = e;
      }
    }
    if (end >= n) break;
    start = end + (t[static_cast<std::size_t>(end)] == U'\r' && end + 1 < n && t[static_cast<std::size_t>(end + 1)] == U'\n' ? 2 : 1);
  }
  FRowsValid = true;
  return FRows;
}

int TCustomMemo::GetRowCount() { return static_cast<int>(Rows().size()); }

int TCustomMemo::RowOf(int pos) {
  const auto& rows = Rows();
  auto it = std::upper_bound(rows.begin(), rows.end(), pos, [](int p, const TRow& r) { return p < r.Start; });
  return std::max(0, static_cast<int>(it - rows.begin()) - 1);
}

int TCustomMemo::RowWidth(const TRow& row) {
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  std::u32string t = DisplayChars();
  return c->TextWidth(ToUtf8(t.substr(static_cast<std::size_t>(row.Start), static_cast<std::size_t>(row.End - row.Start))));
}

int TCustomMemo::RowX(const TRow& row, int pos) {
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  std::u32string t = DisplayChars();
  int x = c->TextWidth(ToUtf8(t.substr(static_cast<std::size_t>(row.Start), static_cast<std::size_t>(std::clamp(pos, row.Start, row.End) - row.Start))));
  if (FAlignment != taLeftJustify) {
    int room = TextRectArea().Width() - 3 - RowWidth(row);
    x += FAlignment == taRightJustify ? room : room / 2;
  }
  return x;
}

int TCustomMemo::LongestRowWidth() {
  int w = 0;
  for (const TRow& r : Rows()) w = std::max(w, RowWidth(r));
  return w;
}

void TCustomMemo::SetTopRow(int row) {
  int top = std::clamp(row, 0, std::max(0, GetRowCount() - VisibleRows()));
  if (top == FTopRow) return;
  FTopRow = top;
  Invalidate();
}

TPoint TCustomMemo::GetCaretPos() const {
  std::u32string t = Chars();
  int line = 0, lineStart = 0;
  for (int i = 0; i < FCaret && i < static_cast<int>(t.size()); ++i)
    if (t[static_cast<std::size_t>(i)] == U'\n' || (t[static_cast<std::size_t>(i)] == U'\r' &&
                                                    (i + 1 >= static_cast<int>(t.size()) || t[static_cast<std::size_t>(i + 1)] != U'\n'))) {
      ++line;
      lineStart = i + 1;
    }
  return {FCaret - lineStart, line};
}

void TCustomMemo::TextChanged() {
  FRowsValid = false;
  TCustomEdit::TextChanged();
  if (!FUserChange) {
    FTopRow = 0;
    FCaretX = -1;
  }
}

void TCustomMemo::Resize() {
  FRowsValid = false;
  TCustomEdit::Resize();
}

void TCustomMemo::FontChanged() {
  FRowsValid = false;
  TCustomEdit::FontChanged();
}

bool TCustomMemo::UserReplaceRange(int from, int to, std::u32string text) {
  text = NormalizeBreaks(text);
  if (!CanUserEdit()) return false;
  std::u32string chars = Chars();
  int n = static_cast<int>(chars.size());
  from = std::clamp(from, 0, n);
  to = std::clamp(to, from, n);
  text = ApplyCharCase(text);
  if (GetMaxLength() > 0) {
    int room = std::max(0, GetMaxLength() - (n - (to - from)));
    if (static_cast<int>(text.size()) > room) text.resize(static_cast<std::size_t>(room));
    if (!text.empty() && text.back() == U'\r') text.pop_back();
    if (text.empty() && from == to) return false;
  }
  chars.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), text);
  int caret = from + static_cast<int>(text.size());
  FCaretX = -1;
  UserSetText(chars, caret, caret);
  return true;
}

int TCustomMemo::CharAtPoint(int x, int y) {
  const auto& rows = Rows();
  TRect area = TextRectArea();
  int row = std::clamp(FTopRow + (y - area.Top) / LineHeight(), 0, static_cast<int>(rows.size()) - 1);
  if (y < area.Top) row = std::max(0, FTopRow - 1);
  const TRow r = rows[static_cast<std::size_t>(row)];
  int px = x - (area.Left + 1 - FScrollX);
  int left = RowX(r, r.Start);
  for (int i = r.Start; i < r.End; ++i) {
    int right = RowX(r, i + 1);
    if (px < (left + right) / 2) return i;
    left = right;
  }
  // At the end of a wrapped row the caret stays before its breaking space.
  bool wrapped = row + 1 < static_cast<int>(rows.size()) && rows[static_cast<std::size_t>(row + 1)].Start == r.End;
  return wrapped && r.End > r.Start ? r.End - 1 : r.End;
}

void TCustomMemo::ScrollCaretIntoView() {
  int row = RowOf(FCaret);
  int visible = VisibleRows();
  if (row < FTopRow) FTopRow = row;
  if (row >= FTopRow + visible) FTopRow = row - visible + 1;
  FTopRow = std::clamp(FTopRow, 0, std::max(0, GetRowCount() - visible));
  if (FWordWrap) {
    FScrollX = 0;
    return;
  }
  int room = std::max(1, TextRectArea().Width() - 3);
  const TRow r = Rows()[static_cast<std::size_t>(row)];
  int cx = RowX(r, FCaret);
  if (cx - FScrollX > room) FScrollX = cx - room;
  if (cx < FScrollX) FScrollX = std::max(0, cx - room / 4);
}

void TCustomMemo::DefaultKeyDown(std::uint16_t key, TShiftState shift) {
  bool extend = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
  const auto& rows = Rows();
  int row = RowOf(FCaret);
  int count = static_cast<int>(rows.size());
  auto toRow = [&](int target) {
    target = std::clamp(target, 0, count - 1);
    if (FCaretX < 0) FCaretX = RowX(rows[static_cast<std::size_t>(row)], FCaret);
    int keep = FCaretX;
    TRect area = TextRectArea();
    int y = area.Top + (target - FTopRow) * LineHeight();
    int pos = CharAtPoint(keep + area.Left + 1 - FScrollX, y);
    MoveCaret(pos, extend);
    FCaretX = keep;
  };
  switch (key) {
    case VK_UP: toRow(row - 1); return;
    case VK_DOWN: toRow(row + 1); return;
    case VK_PRIOR:
      SetTopRow(FTopRow - VisibleRows());
      toRow(row - VisibleRows());
      return;
    case VK_NEXT:
      SetTopRow(FTopRow + VisibleRows());
      toRow(row + VisibleRows());
      return;
    case VK_HOME:
      FCaretX = -1;
      MoveCaret(ctrl ? 0 : rows[static_cast<std::size_t>(row)].Start, extend);
      return;
    case VK_END: {
      FCaretX = -1;
      if (ctrl) {
        MoveCaret(CharCount(), extend);
        return;
      }
      const TRow r = rows[static_cast<std::size_t>(row)];
      bool wrapped = row + 1 < count && rows[static_cast<std::size_t>(row + 1)].Start == r.End;
      MoveCaret(wrapped && r.End > r.Start ? r.End - 1 : r.End, extend);
      return;
    }
    default:
      FCaretX = -1;
      TCustomEdit::DefaultKeyDown(key, shift);
      return;
  }
}

void TCustomMemo::DefaultChar(TKeyChar key) {
  if ((key == 13 && FWantReturns) || key == 10) {
    UserReplace(U"\r\n");
    return;
  }
  if (key == 9) {
    if (FWantTabs) UserReplace(U"\t");
    return;
  }
  TCustomEdit::DefaultChar(key);
}

void TCustomMemo::ScrollBarMouse(bool vertical, TScrollHit hit) {
  int lh = LineHeight();
  int page = VisibleRows();
  if (vertical) {
    switch (hit) {
      case TScrollHit::LineUp: SetTopRow(FTopRow - 1); break;
      case TScrollHit::LineDown: SetTopRow(FTopRow + 1); break;
      case TScrollHit::PageUp: SetTopRow(FTopRow - page); break;
      case TScrollHit::PageDown: SetTopRow(FTopRow + page); break;
      default: break;
    }
  } else {
    int room = std::max(1, TextRectArea().Width() - 3);
    int step = 0;
    switch (hit) {
      case TScrollHit::LineUp: step = -lh; break;
      case TScrollHit::LineDown: step = lh; break;
      case TScrollHit::PageUp: step = -room; break;
      case TScrollHit::PageDown: step = room; break;
      default: break;
    }
    FScrollX = std::clamp(FScrollX + step, 0, std::max(0, LongestRowWidth() - room));
    Invalidate();
  }
}

void TCustomMemo::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    for (bool vertical : {true, false}) {
      TRect bar = vertical ? VertBarRect() : HorzBarRect();
      if (!PtInRect(bar, {x, y})) continue;
      TScrollInfo info = vertical ? TScrollInfo{0, GetRowCount() - 1, VisibleRows(), FTopRow}
                                  : TScrollInfo{0, LongestRowWidth() - 1, std::max(1, TextRectArea().Width() - 3), FScrollX};
      TScrollHit hit = ScrollBarHitTest(bar, vertical, info, {x, y});
      FBarPressed = hit;
      FBarVertical = vertical;
      if (hit == TScrollHit::Thumb) {
        TRect thumb = ScrollBarThumb(bar, vertical, info);
        FThumbGrab = vertical ? y - thumb.Top : x - thumb.Left;
      } else {
        ScrollBarMouse(vertical, hit);
      }
      Invalidate();
      TCustomControl::MouseDown(button, shift, x, y);
      return;
    }
  }
  TCustomEdit::MouseDown(button, shift, x, y);
}

void TCustomMemo::MouseMove(TShiftState shift, int x, int y) {
  if (FBarPressed == TScrollHit::Thumb && shift.Contains(ssLeft)) {
    if (FBarVertical) {
      TScrollInfo info{0, GetRowCount() - 1, VisibleRows(), FTopRow};
      SetTopRow(ScrollBarPosAt(VertBarRect(), true, info, y - FThumbGrab));
    } else {
      int room = std::max(1, TextRectArea().Width() - 3);
      TScrollInfo info{0, LongestRowWidth() - 1, room, FScrollX};
      FScrollX = ScrollBarPosAt(HorzBarRect(), false, info, x - FThumbGrab);
      Invalidate();
    }
    TCustomControl::MouseMove(shift, x, y);
    return;
  }
  if (FBarPressed != TScrollHit::None) {
    TCustomControl::MouseMove(shift, x, y);
    return;
  }
  TCustomEdit::MouseMove(shift, x, y);
}

void TCustomMemo::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FBarPressed != TScrollHit::None) {
    FBarPressed = TScrollHit::None;
    Invalidate();
  }
  TCustomEdit::MouseUp(button, shift, x, y);
}

void TCustomMemo::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FColor);
  c->FillRect(r);
  Frame3D(c, r, true);
  TRect area = TextRectArea();
  const auto rows = Rows();
  int lh = LineHeight();
  c->SetFont(GetFont());
  TColor textColor = IsEnabledInTree() ? GetFont()->GetColor() : clGrayText;
  std::u32string t = DisplayChars();
  int a = GetSelStart(), b = a + GetSelLength();
  bool showSel = a != b && (Focused() || !GetHideSelection());
  int x0 = area.Left + 1 - FScrollX;
  for (int i = FTopRow; i < static_cast<int>(rows.size()); ++i) {
    int y = area.Top + (i - FTopRow) * lh;
    if (y >= area.Bottom) break;
    const TRow& row = rows[static_cast<std::size_t>(i)];
    TRect band{area.Left, y, area.Right, std::min(y + lh, area.Bottom)};
    std::string text = ToUtf8(t.substr(static_cast<std::size_t>(row.Start), static_cast<std::size_t>(row.End - row.Start)));
    c->GetBrush()->SetColor(FColor);
    c->GetFont()->SetColor(textColor);
    c->TextRect(band, x0 + RowX(row, row.Start), y, text);
    int sa = std::max(a, row.Start), sb = std::min(b, row.End);
    if (showSel && sa < sb) {
      int x1 = x0 + RowX(row, sa), x2 = x0 + RowX(row, sb);
      c->GetBrush()->SetColor(clHighlight);
      c->GetFont()->SetColor(clHighlightText);
      c->TextRect({std::max(x1, area.Left), y, std::min(x2, area.Right), band.Bottom}, x1, y,
                  ToUtf8(t.substr(static_cast<std::size_t>(sa), static_cast<std::size_t>(sb - sa))));
    }
  }
  if (Focused()) {
    int row = RowOf(FCaret);
    int y = area.Top + (row - FTopRow) * lh;
    int cx = x0 + RowX(rows[static_cast<std::size_t>(row)], FCaret);
    if (row >= FTopRow && y < area.Bottom && cx >= area.Left && cx < area.Right) {
      c->GetBrush()->SetColor(clWindowText);
      c->FillRect({cx, y, cx + 1, std::min(y + lh, area.Bottom)});
    }
  }
  bool enabled = IsEnabledInTree();
  if (HasVertBar())
    PaintScrollBar(c, VertBarRect(), true, {0, static_cast<int>(rows.size()) - 1, VisibleRows(), FTopRow}, enabled,
                   FBarVertical ? FBarPressed : TScrollHit::None);
  if (HasHorzBar())
    PaintScrollBar(c, HorzBarRect(), false, {0, LongestRowWidth() - 1, std::max(1, area.Width() - 3), FScrollX}, enabled,
                   FBarVertical ? TScrollHit::None : FBarPressed);
  if (HasVertBar() && HasHorzBar()) {
    c->GetBrush()->SetColor(clBtnFace);
    c->FillRect({area.Right, area.Bottom, FWidth - 2, FHeight - 2});
  }
}

// ------------------------------------------------------------------ TMemo

const TClassInfo& TMemo::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TMemo>("TMemo", &TCustomMemo::StaticClass())
          .Prop("Alignment", &TCustomMemo::GetAlignment, &TCustomMemo::SetAlignment).Default(taLeftJustify)
          .Prop("CharCase", &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(ecNormal)
          .Prop("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(1)
          .Prop("Lines", &TCustomMemo::GetLines, &TCustomMemo::SetLines)
          .Prop("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0)
          .Prop("ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(0)
          .Prop("ScrollBars", &TCustomMemo::GetScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone)
          .Prop("WantReturns", &TCustomMemo::GetWantReturns, &TCustomMemo::SetWantReturns).Default(1)
          .Prop("WantTabs", &TCustomMemo::GetWantTabs, &TCustomMemo::SetWantTabs).Default(0)
          .Prop("WordWrap", &TCustomMemo::GetWordWrap, &TCustomMemo::SetWordWrap).Default(1)
          .Prop("OnChange", &TCustomEdit::GetOnChange, &TCustomEdit::SetOnChange)
          .Build();
  return info;
}

}  // namespace fw
