#include "framework/dbctrls/DBMisc.h"

#include <algorithm>
#include <vector>

#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/stream/Classes.h"
#include "framework/ui/Menus.h"
#include "framework/ui/UiRegister.h"

namespace fw {

namespace {

/// The lines of a text: broken at line feeds, and with `wrap` also at blanks so that each
/// line fits `width` (a word longer than the width stands on a line of its own).
std::vector<std::string> TextLines(const TCanvas* canvas, const std::string& text, bool wrap, int width) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    std::size_t nl = text.find('\n', start);
    std::string para = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!para.empty() && para.back() == '\r') para.pop_back();
    if (!wrap || canvas->TextWidth(para) <= width) {
      out.push_back(para);
    } else {
      std::string line;
      std::size_t i = 0;
      while (i < para.size()) {
        std::size_t blank = para.find(' ', i);
        std::string word = para.substr(i, blank == std::string::npos ? std::string::npos : blank - i);
        std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && canvas->TextWidth(candidate) > width) {
          out.push_back(line);
          line = word;
        } else {
          line = candidate;
        }
        if (blank == std::string::npos) break;
        i = blank + 1;
      }
      out.push_back(line);
    }
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return out;
}

/// Whether `text` is one of the values of a ";" list, ignoring case.
bool InValueList(const std::string& list, const std::string& text) {
  std::size_t pos = 1;
  while (pos <= list.size())
    if (SameText(ExtractFieldName(list, pos), text)) return true;
  return false;
}

std::string FirstValue(const std::string& list) {
  std::size_t pos = 1;
  return ExtractFieldName(list, pos);
}

}  // namespace

// ------------------------------------------------------------------ TDBText

const TClassInfo& TDBText::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBText>("TDBText", &TGraphicControl::StaticClass())
          .Prop("Alignment", &TDBText::GetAlignment, &TDBText::SetAlignment).Default(taLeftJustify)
          .Prop("AutoSize", &TDBText::GetAutoSize, &TDBText::SetAutoSize).Default(0)
          .Prop("DataField", &TDBText::GetDataField, &TDBText::SetDataField)
          .Prop("DataSource", &TDBText::GetDataSource, &TDBText::SetDataSource)
          .Prop("Transparent", &TDBText::GetTransparent, &TDBText::SetTransparent).Default(0)
          .Prop("WordWrap", &TDBText::GetWordWrap, &TDBText::SetWordWrap).Default(0)
          .Build();
  return info;
}

TDBText::TDBText(TComponent* owner) : TGraphicControl(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  InitColor(clBtnFace);
  FParentColor = true;
  FWidth = 65;
  FHeight = 17;
  FDataLink->SetControl(this);
  FDataLink->SetOnDataChange(Method<&TDBText::DataChange>(this));
}

TDBText::~TDBText() {
  FDataLink->SetOnDataChange(nullptr);
  FDataLink->SetDataSource(nullptr);
}

void TDBText::SetDataSource(TDataSource* source) {
  TDataSource* old = FDataLink->GetDataSource();
  if (source == old) return;
  if (old) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

void TDBText::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == FDataLink->GetDataSource())
    FDataLink->SetDataSource(nullptr);
}

void TDBText::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TDBText::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  if (v) AdjustBounds();
}

void TDBText::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Invalidate();
}

void TDBText::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

std::string TDBText::GetLabelText() {
  if (TField* f = GetField()) return f->GetDisplayText();
  return GetCaption();
}

void TDBText::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TDBText::DataChange(TObject*) {
  AdjustBounds();
  Invalidate();
}

void TDBText::AdjustBounds() {
  if (!FAutoSize || HasState(csLoading)) return;
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  auto lines = TextLines(c, GetLabelText(), FWordWrap, FWidth);
  int w = 0;
  for (const auto& l : lines) w = std::max(w, c->TextWidth(l));
  int h = c->TextHeight("Wg") * static_cast<int>(lines.size());
  SetBounds(FLeft, FTop, FWordWrap ? FWidth : w, h);
}

void TDBText::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  if (!FTransparent) {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(FColor);
    c->FillRect(r);
  }
  c->SetFont(GetFont());
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  c->GetBrush()->SetStyle(bsClear);
  int lineHeight = c->TextHeight("Wg");
  int y = 0;
  for (const std::string& line : TextLines(c, GetLabelText(), FWordWrap, r.Width())) {
    int w = c->TextWidth(line);
    int x = FAlignment == taRightJustify ? r.Width() - w : FAlignment == taCenter ? (r.Width() - w) / 2 : 0;
    c->TextRect(r, x, y, line);
    y += lineHeight;
    if (y >= r.Bottom) break;
  }
  c->GetBrush()->SetStyle(bsSolid);
}

// ------------------------------------------------------------------ TDBCheckBox

const TClassInfo& TDBCheckBox::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBCheckBox>("TDBCheckBox", &TCustomControl::StaticClass())
          .Prop("Alignment", &TDBCheckBox::GetAlignment, &TDBCheckBox::SetAlignment).Default(taRightJustify)
          .Prop("Caption", &TDBCheckBox::GetCaption, &TDBCheckBox::SetCaption)
          .Prop("DataField", &TDBCheckBox::GetDataField, &TDBCheckBox::SetDataField)
          .Prop("DataSource", &TDBCheckBox::GetDataSource, &TDBCheckBox::SetDataSource)
          .Prop("ReadOnly", &TDBCheckBox::GetReadOnly, &TDBCheckBox::SetReadOnly).Default(0)
          .Prop("ValueChecked", &TDBCheckBox::GetValueChecked, &TDBCheckBox::SetValueChecked)
          .Stored(&TDBCheckBox::IsValueCheckedStored)
          .Prop("ValueUnchecked", &TDBCheckBox::GetValueUnchecked, &TDBCheckBox::SetValueUnchecked)
          .Stored(&TDBCheckBox::IsValueUncheckedStored)
          .Build();
  return info;
}

TDBCheckBox::TDBCheckBox(TComponent* owner)
    : TCustomControl(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  InitColor(clBtnFace);
  FParentColor = true;
  FTabStop = true;
  FWidth = 97;
  FHeight = 17;
  FDataLink->SetControl(this);
  FDataLink->SetOnDataChange(Method<&TDBCheckBox::DataChange>(this));
}

TDBCheckBox::~TDBCheckBox() {
  FDataLink->SetOnDataChange(nullptr);
  FDataLink->SetDataSource(nullptr);
}

void TDBCheckBox::SetDataSource(TDataSource* source) {
  TDataSource* old = FDataLink->GetDataSource();
  if (source == old) return;
  if (old) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

void TDBCheckBox::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == FDataLink->GetDataSource())
    FDataLink->SetDataSource(nullptr);
}

void TDBCheckBox::SetValueChecked(const std::string& v) {
  FValueChecked = v;
  DataChange(nullptr);
}

void TDBCheckBox::SetValueUnchecked(const std::string& v) {
  FValueUnchecked = v;
  DataChange(nullptr);
}

void TDBCheckBox::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

TCheckBoxState TDBCheckBox::StateOfField() const {
  TField* f = GetField();
  if (!f) return cbUnchecked;
  if (f->IsNull()) return cbGrayed;
  if (f->GetDataType() == ftBoolean) return f->GetAsBoolean() ? cbChecked : cbUnchecked;
  std::string text = f->GetText();
  if (InValueList(FValueChecked, text)) return cbChecked;
  if (InValueList(FValueUnchecked, text)) return cbUnchecked;
  return cbGrayed;
}

void TDBCheckBox::DataChange(TObject*) {
  TCheckBoxState s = StateOfField();
  if (s == FState) return;
  FState = s;
  Invalidate();
}

/*
** The toggle is refused (false, nothing changes) without a field, when the check box, the
** field or the dataset is read-only, and when the dataset cannot be put into edit state
** (the data source's AutoEdit off). Otherwise the field takes the new value at once: the
** data link's field change then shows the new state.
*/
bool TDBCheckBox::Toggle() {
  TField* f = GetField();
  if (!f || GetReadOnly() || !f->CanModify()) return false;
  if (!FDataLink->Edit()) return false;
  bool check = FState != cbChecked;
  if (f->GetDataType() == ftBoolean)
    f->SetAsBoolean(check);
  else
    f->SetText(FirstValue(check ? FValueChecked : FValueUnchecked));
  return true;
}

void TDBCheckBox::Click() {
  auto alive = AliveToken();
  if (Toggle() && !alive.expired()) TCustomControl::Click();
}

void TDBCheckBox::KeyPress(TKeyChar& key) {
  TCustomControl::KeyPress(key);
  if (key == ' ') {
    key = 0;
    Click();
  }
}

void TDBCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (!Focused() && CanFocus()) SetFocus();
    if (alive.expired()) return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TDBCheckBox::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TDBCheckBox::WMKillFocus() {
  TCustomControl::WMKillFocus();
  Invalidate();
}

void TDBCheckBox::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  constexpr int box = 13;
  bool enabled = IsEnabledInTree();
  bool readOnly = GetReadOnly() || (GetField() && !GetField()->CanModify());
  int boxLeft = FAlignment == taLeftJustify ? r.Right - box - 1 : 1;
  int boxTop = (r.Height() - box) / 2;
  TRect b{boxLeft, boxTop, boxLeft + box, boxTop + box};
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(enabled && !readOnly && FState != cbGrayed ? clWindow : clBtnFace);
  c->FillRect(b);
  Frame3D(c, b, true);
  if (FState != cbUnchecked) {
    // A check mark three pixels thick.
    c->GetPen()->SetColor(enabled && FState == cbChecked ? clWindowText : clGrayText);
    for (int k = 0; k < 3; ++k) {
      c->MoveTo(b.Left + 3, b.Top + 5 + k);
      c->LineTo(b.Left + 5, b.Top + 7 + k);
      c->LineTo(b.Left + 10, b.Top + 2 + k);
    }
  }
  c->SetFont(GetFont());
  if (!enabled) c->GetFont()->SetColor(clGrayText);
  std::string text = StripHotkey(FText);
  TSize size = c->TextExtent(text);
  int tx = FAlignment == taLeftJustify ? 1 : b.Right + 5;
  int ty = (r.Height() - size.cy) / 2;
  c->GetBrush()->SetStyle(bsClear);
  c->TextRect({tx, 0, FAlignment == taLeftJustify ? b.Left - 4 : r.Right, r.Bottom}, tx, ty, text);
  c->GetBrush()->SetStyle(bsSolid);
  if (Focused() && !text.empty())
    c->DrawFocusRect({tx - 2, ty - 1, std::min(tx + size.cx + 2, static_cast<int>(r.Right)), ty + size.cy + 1});
}

void RegisterDBMiscClasses() {
  RegisterUiClasses();
  RegisterDataClasses();
  RegisterClasses({&TDBText::StaticClass(), &TDBCheckBox::StaticClass()});
}

}  // namespace fw
