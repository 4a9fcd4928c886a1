#include "framework/dbctrls/DBCtrls.h"

#include "framework/dbctrls/DBGrids.h"
#include "framework/dbctrls/DBLookup.h"
#include "framework/dbctrls/DBMisc.h"
#include "framework/dbctrls/DBNavigator.h"
#include "framework/controls/ControlsRegister.h"
#include "framework/controls/ExtCtrls.h"
#include "framework/core/Scoped.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/stream/Classes.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

/// Runs UpdateRecord of a control's link as the control is left: when the field does not
/// take the value, the focus comes back to the control (its text selected by `select`)
/// and the error goes on to whoever moved the focus. A value that does not fit an edit
/// mask has the caret on the first position that does not fit already.
template <class Select>
void UpdateRecordOnExit(TWinControl* control, TFieldDataLink* link, Select select) {
  try {
    link->UpdateRecord();
  } catch (const EDBEditError&) {
    if (!control->Focused() && control->CanFocus()) control->SetFocus();
    throw;
  } catch (...) {
    select();
    if (!control->Focused() && control->CanFocus()) control->SetFocus();
    throw;
  }
}

/// The field's label in brackets, shown in place of a value not loaded yet.
std::string Placeholder(const TField* field) { return "(" + field->GetDisplayLabel() + ")"; }

}  // namespace

// ------------------------------------------------------------------ TControlFieldDataLink

const TClassInfo& TControlFieldDataLink::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TControlFieldDataLink>("TControlFieldDataLink", &TFieldDataLink::StaticClass()).Build();
  return info;
}

void TControlFieldDataLink::FocusControl(TField* field) {
  auto* control = dynamic_cast<TWinControl*>(GetControl());
  if (field && field == GetField() && control && control->CanFocus()) control->SetFocus();
}

// ------------------------------------------------------------------ TDBEdit

const TClassInfo& TDBEdit::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBEdit>("TDBEdit", &TCustomMaskEdit::StaticClass())
          .Prop("AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(1)
          .Prop("CharCase", &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(ecNormal)
          .Prop("DataField", &TDBEdit::GetDataField, &TDBEdit::SetDataField)
          .Prop("DataSource", &TDBEdit::GetDataSource, &TDBEdit::SetDataSource)
          .Prop("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(1)
          .Prop("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0)
          .Prop("PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar)
          .Prop("ReadOnly", &TDBEdit::GetReadOnly, &TDBEdit::SetReadOnly).Default(0)
          .Prop("OnChange", &TCustomEdit::GetOnChange, &TCustomEdit::SetOnChange)
          .Build();
  return info;
}

TDBEdit::TDBEdit(TComponent* owner) : TCustomMaskEdit(owner), FDataLink(std::make_unique<TControlFieldDataLink>(this)) {
  FDataLink->SetOnDataChange(Method<&TDBEdit::DataChange>(this));
  FDataLink->SetOnUpdateData(Method<&TDBEdit::UpdateData>(this));
}

TDBEdit::~TDBEdit() {
  FDataLink->SetOnDataChange(nullptr);
  FDataLink->SetOnUpdateData(nullptr);
  FDataLink->SetDataSource(nullptr);
}

void TDBEdit::SetDataSource(TDataSource* source) {
  if (source == GetDataSource()) return;
  if (TDataSource* old = GetDataSource()) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

void TDBEdit::Notification(TComponent* component, TOperation operation) {
  TCustomMaskEdit::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
}

void TDBEdit::DataChange(TObject*) {
  TField* field = FDataLink->GetField();
  if (!field) {
    SetEditMask("");
    TControl::SetText("");
    return;
  }
  SetEditMask(field->GetEditMask());
  if (field->GetDataType() == ftString && GetMaxLength() == 0) SetMaxLength(field->GetSize());
  // A masked value is always shown through the mask; otherwise the display text while
  // the user is not editing it.
  if (IsMasked() || (FFocused && FDataLink->GetCanModify()))
    SetText(field->GetText());
  else
    SetText(field->GetDisplayText());
}

void TDBEdit::UpdateData(TObject*) {
  ValidateEdit();
  FDataLink->GetField()->SetText(GetText());
}

bool TDBEdit::EditCanModify() { return FDataLink->GetCanModify() && FDataLink->Edit(); }

void TDBEdit::Change() {
  if (GetModified()) FDataLink->Modified();
  TCustomMaskEdit::Change();
}

TAlignment TDBEdit::DisplayAlignment() const {
  TField* field = FDataLink->GetField();
  return field && !IsMasked() ? field->GetAlignment() : taLeftJustify;
}

void TDBEdit::SetFocused(bool focused) {
  if (focused == FFocused) return;
  FFocused = focused;
  FDataLink->Reset();
  Invalidate();
}

void TDBEdit::KeyPress(TKeyChar& key) {
  TCustomMaskEdit::KeyPress(key);
  if (key == 27) {
    FDataLink->Reset();
    SelectAll();
    key = 0;
  }
}

void TDBEdit::DoEnter() {
  SetFocused(true);
  TCustomMaskEdit::DoEnter();
}

void TDBEdit::DoExit() {
  UpdateRecordOnExit(this, FDataLink.get(), [this] { SelectAll(); });
  SetFocused(false);
  TWinControl::DoExit();  // the mask was checked by UpdateData when there was a change
}

// ------------------------------------------------------------------ TDBMemo

const TClassInfo& TDBMemo::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBMemo>("TDBMemo", &TCustomMemo::StaticClass())
          .Prop("Alignment", &TCustomMemo::GetAlignment, &TCustomMemo::SetAlignment).Default(taLeftJustify)
          .Prop("AutoDisplay", &TDBMemo::GetAutoDisplay, &TDBMemo::SetAutoDisplay).Default(1)
          .Prop("DataField", &TDBMemo::GetDataField, &TDBMemo::SetDataField)
          .Prop("DataSource", &TDBMemo::GetDataSource, &TDBMemo::SetDataSource)
          .Prop("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0)
          .Prop("ReadOnly", &TDBMemo::GetReadOnly, &TDBMemo::SetReadOnly).Default(0)
          .Prop("ScrollBars", &TCustomMemo::GetScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone)
          .Prop("WantReturns", &TCustomMemo::GetWantReturns, &TCustomMemo::SetWantReturns).Default(1)
          .Prop("WantTabs", &TCustomMemo::GetWantTabs, &TCustomMemo::SetWantTabs).Default(0)
          .Prop("WordWrap", &TCustomMemo::GetWordWrap, &TCustomMemo::SetWordWrap).Default(1)
          .Prop("OnChange", &TCustomEdit::GetOnChange, &TCustomEdit::SetOnChange)
          .Build();
  return info;
}

TDBMemo::TDBMemo(TComponent* owner) : TCustomMemo(owner), FDataLink(std::make_unique<TControlFieldDataLink>(this)) {
  FDataLink->SetOnDataChange(Method<&TDBMemo::DataChange>(this));
  FDataLink->SetOnUpdateData(Method<&TDBMemo::UpdateData>(this));
}

TDBMemo::~TDBMemo() {
  FDataLink->SetOnDataChange(nullptr);
  FDataLink->SetOnUpdateData(nullptr);
  FDataLink->SetDataSource(nullptr);
}

void TDBMemo::SetDataSource(TDataSource* source) {
  if (source == GetDataSource()) return;
  if (TDataSource* old = GetDataSource()) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

void TDBMemo::Notification(TComponent* component, TOperation operation) {
  TCustomMemo::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
}

void TDBMemo::SetAutoDisplay(bool v) {
  if (v == FAutoDisplay) return;
  FAutoDisplay = v;
  if (v) LoadMemo();
}

void TDBMemo::LoadMemo() {
  TField* field = FDataLink->GetField();
  if (FMemoLoaded || !field) return;
  FMemoLoaded = true;
  SetText(field->IsBlob() ? field->GetAsString() : field->GetText());
}

void TDBMemo::DataChange(TObject*) {
  TField* field = FDataLink->GetField();
  bool wasLoaded = FMemoLoaded;
  FMemoLoaded = false;
  if (!field) {
    SetText("");
    return;
  }
  // A field that is no blob is always shown; a blob while editing what was shown.
  if (FAutoDisplay || !field->IsBlob() || (FDataLink->GetEditing() && wasLoaded))
    LoadMemo();
  else
    SetText(Placeholder(field));
}

void TDBMemo::UpdateData(TObject*) {
  TField* field = FDataLink->GetField();
  if (field->IsBlob())
    field->SetAsString(GetText());
  else
    field->SetText(GetText());
}

bool TDBMemo::EditCanModify() { return FMemoLoaded && FDataLink->GetCanModify() && FDataLink->Edit(); }

void TDBMemo::Change() {
  if (GetModified()) FDataLink->Modified();
  TCustomMemo::Change();
}

void TDBMemo::KeyPress(TKeyChar& key) {
  TCustomMemo::KeyPress(key);
  if (key == 13 && !FMemoLoaded) {
    LoadMemo();
    key = 0;
  } else if (key == 27) {
    FDataLink->Reset();
    key = 0;
  }
}

void TDBMemo::DblClick() {
  if (!FMemoLoaded) LoadMemo();
  TCustomMemo::DblClick();
}

void TDBMemo::DoExit() {
  UpdateRecordOnExit(this, FDataLink.get(), [this] { SelectAll(); });
  TCustomMemo::DoExit();
}

// ------------------------------------------------------------------ TDBImage

const TClassInfo& TDBImage::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBImage>("TDBImage", &TCustomControl::StaticClass())
          .Prop("AutoDisplay", &TDBImage::GetAutoDisplay, &TDBImage::SetAutoDisplay).Default(1)
          .Prop("Center", &TDBImage::GetCenter, &TDBImage::SetCenter).Default(1)
          .Prop("DataField", &TDBImage::GetDataField, &TDBImage::SetDataField)
          .Prop("DataSource", &TDBImage::GetDataSource, &TDBImage::SetDataSource)
          .Prop("Proportional", &TDBImage::GetProportional, &TDBImage::SetProportional).Default(0)
          .Prop("QuickDraw", &TDBImage::GetQuickDraw, &TDBImage::SetQuickDraw).Default(1)
          .Prop("ReadOnly", &TDBImage::GetReadOnly, &TDBImage::SetReadOnly).Default(0)
          .Prop("Stretch", &TDBImage::GetStretch, &TDBImage::SetStretch).Default(0)
          .Build();
  return info;
}

TDBImage::TDBImage(TComponent* owner)
    : TCustomControl(owner),
      FDataLink(std::make_unique<TControlFieldDataLink>(this)),
      FPicture(std::make_unique<TPicture>()) {
  InitColor(clWindow);
  FTabStop = true;
  FWidth = 105;
  FHeight = 105;
  FPicture->SetOnChange(Method<&TDBImage::PictureChanged>(this));
  FDataLink->SetOnDataChange(Method<&TDBImage::DataChange>(this));
  FDataLink->SetOnUpdateData(Method<&TDBImage::UpdateData>(this));
}

TDBImage::~TDBImage() {
  FPicture->SetOnChange(nullptr);
  FDataLink->SetOnDataChange(nullptr);
  FDataLink->SetOnUpdateData(nullptr);
  FDataLink->SetDataSource(nullptr);
}

void TDBImage::SetDataSource(TDataSource* source) {
  if (source == GetDataSource()) return;
  if (TDataSource* old = GetDataSource()) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

void TDBImage::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
}

void TDBImage::SetStretch(bool v) {
  FStretch = v;
  Invalidate();
}

void TDBImage::SetCenter(bool v) {
  FCenter = v;
  Invalidate();
}

void TDBImage::SetProportional(bool v) {
  FProportional = v;
  Invalidate();
}

void TDBImage::SetAutoDisplay(bool v) {
  if (v == FAutoDisplay) return;
  FAutoDisplay = v;
  if (v) LoadPicture();
}

void TDBImage::LoadPicture() {
  TField* field = FDataLink->GetField();
  if (FPictureLoaded || !field || !field->IsBlob()) return;
  TRestore<bool> loading(FLoading, true);
  std::string data = field->GetBlob();
  if (data.empty()) {
    FPicture->Assign(nullptr);
  } else {
    TBitmap bitmap;
    bitmap.LoadFromData(data);
    FPicture->Assign(&bitmap);
  }
  FPictureLoaded = true;
  Invalidate();
}

void TDBImage::DataChange(TObject*) {
  {
    TRestore<bool> loading(FLoading, true);
    FPicture->Assign(nullptr);
  }
  FPictureLoaded = false;
  if (FAutoDisplay) {
    // A blob that is no picture shows nothing rather than failing every move.
    try {
      LoadPicture();
    } catch (const EInvalidGraphic&) {
      FPictureLoaded = true;
    }
  }
  Invalidate();
}

void TDBImage::UpdateData(TObject*) {
  TField* field = FDataLink->GetField();
  TGraphic* graphic = FPicture->GetGraphic();
  if (!graphic || graphic->GetEmpty())
    field->Clear();
  else
    field->SetBlob(graphic->SaveToData("PNG"));
}

void TDBImage::PictureChanged(TObject*) {
  if (!FLoading) {
    FDataLink->Modified();
    FPictureLoaded = true;
  }
  Invalidate();
}

bool TDBImage::CanChange() {
  TField* field = FDataLink->GetField();
  return FPictureLoaded && field && field->IsBlob() && FDataLink->GetCanModify() && FDataLink->Edit();
}

void TDBImage::CopyToClipboard() {
  if (TGraphic* g = FPicture->GetGraphic(); g && !g->GetEmpty()) Clipboard()->Assign(FPicture.get());
}

void TDBImage::CutToClipboard() {
  TGraphic* g = FPicture->GetGraphic();
  if (!g || g->GetEmpty() || !CanChange()) return;
  CopyToClipboard();
  FPicture->Assign(nullptr);
}

void TDBImage::PasteFromClipboard() {
  if (!Clipboard()->HasFormat(CF_BITMAP) || !CanChange()) return;
  FPicture->Assign(Clipboard());
}

void TDBImage::DefaultKeyDown(std::uint16_t key, TShiftState shift) {
  if (key == VK_INSERT && shift == TShiftState{ssShift}) PasteFromClipboard();
  if (key == VK_INSERT && shift == TShiftState{ssCtrl}) CopyToClipboard();
  if (key == VK_DELETE && shift == TShiftState{ssShift}) CutToClipboard();
}

void TDBImage::DefaultChar(TKeyChar key) {
  switch (key) {
    case 3: CopyToClipboard(); break;
    case 22: PasteFromClipboard(); break;
    case 24: CutToClipboard(); break;
    case 13: LoadPicture(); break;
    default: break;
  }
}

void TDBImage::KeyPress(TKeyChar& key) {
  TCustomControl::KeyPress(key);
  if (key == 27) {
    FDataLink->Reset();
    key = 0;
  }
}

void TDBImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (!Focused() && CanFocus()) SetFocus();
    if (alive.expired()) return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TDBImage::DblClick() {
  LoadPicture();
  TCustomControl::DblClick();
}

void TDBImage::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TDBImage::WMKillFocus() {
  TCustomControl::WMKillFocus();
  Invalidate();
}

void TDBImage::DoExit() {
  UpdateRecordOnExit(this, FDataLink.get(), [] {});
  TCustomControl::DoExit();
}

void TDBImage::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FColor);
  c->FillRect(r);
  Frame3D(c, r, true);
  TRect inner{2, 2, std::max(2, FWidth - 2), std::max(2, FHeight - 2)};
  TField* field = FDataLink->GetField();
  if (FPictureLoaded) {
    if (TGraphic* g = FPicture->GetGraphic(); g && !g->GetEmpty()) {
      c->GetPainter()->Save();
      c->GetPainter()->IntersectClip(inner);
      c->StretchDraw(PictureRect(g->GetWidth(), g->GetHeight(), inner, FStretch, FCenter, FProportional), g);
      c->GetPainter()->Restore();
    }
  } else if (field) {
    std::string text = Placeholder(field);
    c->SetFont(GetFont());
    TSize size = c->TextExtent(text);
    c->GetBrush()->SetStyle(bsClear);
    c->TextRect(inner, (inner.Left + inner.Right - size.cx) / 2, (inner.Top + inner.Bottom - size.cy) / 2, text);
    c->GetBrush()->SetStyle(bsSolid);
  }
  if (Focused()) c->DrawFocusRect({inner.Left + 1, inner.Top + 1, inner.Right - 1, inner.Bottom - 1});
}

// ------------------------------------------------------------------ registration

void RegisterDBCtrlsClasses() {
  RegisterDataClasses();
  RegisterControlsClasses();
  RegisterClasses({&TDBEdit::StaticClass(), &TDBMemo::StaticClass(), &TDBImage::StaticClass()});
  RegisterDBMiscClasses();
  RegisterDBNavigatorClasses();
  RegisterDBGridClasses();
  RegisterDBLookupClasses();
}

}  // namespace fw
