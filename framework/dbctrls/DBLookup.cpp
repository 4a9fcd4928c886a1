#include "framework/dbctrls/DBLookup.h"

#include <algorithm>
#include <climits>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/stream/Classes.h"
#include "framework/ui/Forms.h"
#include "framework/ui/UiRegister.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

/// Keeps the painter's state of a paint step and puts it back, also on errors.
class TPainterState {
 public:
  explicit TPainterState(TPainterBackend* painter) : FPainter(painter) { FPainter->Save(); }
  ~TPainterState() { FPainter->Restore(); }
  TPainterState(const TPainterState&) = delete;
  TPainterState& operator=(const TPainterState&) = delete;

 private:
  TPainterBackend* FPainter;
};

/// The ";" list of the names of the fields.
std::string FieldNames(const std::vector<TField*>& fields) {
  std::string names;
  for (TField* f : fields) {
    if (!names.empty()) names += ';';
    names += f->GetFieldName();
  }
  return names;
}

/// Height of a text line of the font: the text height of "0".
int LineHeightOf(const TFont* font) {
  TCanvas canvas;
  canvas.SetFont(font);
  return std::max(1, canvas.TextHeight("0"));
}

}  // namespace

// ------------------------------------------------------------------ links

const TClassInfo& TDataSourceLink::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TDataSourceLink>("TDataSourceLink", &TDataLink::StaticClass()).Build();
  return info;
}

void TDataSourceLink::ActiveChanged() {
  if (FDBLookupControl) FDBLookupControl->DataLinkActiveChanged();
}

void TDataSourceLink::LayoutChanged() {
  if (FDBLookupControl) FDBLookupControl->DataLinkRecordChanged(nullptr);
}

void TDataSourceLink::RecordChanged(TField* field) {
  if (FDBLookupControl) FDBLookupControl->DataLinkRecordChanged(field);
}

void TDataSourceLink::FocusControl(TField* field) {
  TDBLookupControl* c = FDBLookupControl;
  if (c && field && (field == c->FDataField || field == c->FMasterField) && c->CanFocus()) c->SetFocus();
}

const TClassInfo& TListSourceLink::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TListSourceLink>("TListSourceLink", &TDataLink::StaticClass()).Build();
  return info;
}

void TListSourceLink::ActiveChanged() {
  if (FDBLookupControl) FDBLookupControl->UpdateListFields();
}

void TListSourceLink::LayoutChanged() {
  if (FDBLookupControl) FDBLookupControl->UpdateListFields();
}

void TListSourceLink::DataSetChanged() {
  if (FDBLookupControl) FDBLookupControl->ListLinkDataChanged();
}

void TListSourceLink::RecordChanged(TField*) {
  if (FDBLookupControl) FDBLookupControl->ListLinkDataChanged();
}

// ------------------------------------------------------------------ TDBLookupControl

const TClassInfo& TDBLookupControl::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBLookupControl>("TDBLookupControl", &TCustomControl::StaticClass())
          .Prop("DataField", &TDBLookupControl::GetDataField, &TDBLookupControl::SetDataField)
          .Prop("DataSource", &TDBLookupControl::GetDataSource, &TDBLookupControl::SetDataSource)
          .Prop("KeyField", &TDBLookupControl::GetKeyField, &TDBLookupControl::SetKeyField)
          .Prop("ListField", &TDBLookupControl::GetListField, &TDBLookupControl::SetListField)
          .Prop("ListFieldIndex", &TDBLookupControl::GetListFieldIndex, &TDBLookupControl::SetListFieldIndex)
          .Default(0)
          .Prop("ListSource", &TDBLookupControl::GetListSource, &TDBLookupControl::SetListSource)
          .Prop("ReadOnly", &TDBLookupControl::GetReadOnly, &TDBLookupControl::SetReadOnly)
          .Default(0)
          .Build();
  return info;
}

TDBLookupControl::TDBLookupControl(TComponent* owner)
    : TCustomControl(owner),
      FDataLink(std::make_unique<TDataSourceLink>()),
      FListLink(std::make_unique<TListSourceLink>()),
      FLookupSource(std::make_unique<TDataSource>(nullptr)) {
  InitColor(clWindow);
  FTabStop = true;
  // A click chooses through SelectKeyValue, which fires OnClick itself.
  FControlStyle.Exclude(csClickEvents);
  FDataLink->SetLookupControl(this);
  FListLink->SetLookupControl(this);
}

TDBLookupControl::~TDBLookupControl() {
  // The links go first, told nothing: the control is no longer whole for their calls.
  FDataLink->SetLookupControl(nullptr);
  FListLink->SetLookupControl(nullptr);
  FDataLink.reset();
  FListLink.reset();
  FLookupSource.reset();
}

TDataSource* TDBLookupControl::GetDataSource() const { return FDataLink->GetDataSource(); }

// Sources are watched (free notification) before they are bound, so that an error of the
// binding never leaves an unwatched reference; a source that neither link uses any more
// is let go afterwards.
void TDBLookupControl::WatchSource(TDataSource* oldSource, TDataSource* newSource) {
  if (newSource) newSource->FreeNotification(this);
  if (oldSource && oldSource != newSource && oldSource != FDataLink->GetDataSource() &&
      oldSource != FListLink->GetDataSource())
    oldSource->RemoveFreeNotification(this);
}

void TDBLookupControl::SetDataSource(TDataSource* source) {
  TDataSource* old = FDataLink->GetDataSource();
  if (source == old) return;
  if (source) source->FreeNotification(this);
  TScopeExit done([&] { WatchSource(old, nullptr); });
  FDataLink->SetDataSource(source);
}

void TDBLookupControl::SetDataField(const std::string& name) {
  if (name == FDataFieldName) return;
  FDataFieldName = name;
  UpdateDataFields();
}

TDataSource* TDBLookupControl::GetListSource() const {
  return FLookupMode ? nullptr : FListLink->GetDataSource();
}

void TDBLookupControl::SetListSource(TDataSource* source) {
  CheckNotLookup();
  TDataSource* old = FListLink->GetDataSource();
  if (source == old) return;
  if (source) source->FreeNotification(this);
  TScopeExit done([&] { WatchSource(old, nullptr); });
  FListLink->SetDataSource(source);
}

void TDBLookupControl::SetKeyField(const std::string& name) {
  CheckNotLookup();
  if (name == FKeyFieldName) return;
  FKeyFieldName = name;
  UpdateListFields();
}

void TDBLookupControl::SetListField(const std::string& names) {
  if (names == FListFieldName) return;
  FListFieldName = names;
  UpdateListFields();
}

void TDBLookupControl::SetListFieldIndex(int index) {
  if (index < 0) index = 0;
  if (index == FListFieldIndex) return;
  FListFieldIndex = index;
  // The search column changes among the fields already resolved (in lookup mode the
  // lookup result field stays the list field).
  if (FListActive && !FLookupMode && !FListFields.empty()) {
    FListField = FListFieldIndex < static_cast<int>(FListFields.size()) ? FListFields[static_cast<std::size_t>(FListFieldIndex)]
                                                                     : FListFields.front();
    KeyValueChanged();
  }
}

bool TDBLookupControl::GetReadOnly() const { return FDataLink->GetReadOnly(); }

void TDBLookupControl::SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }

void TDBLookupControl::SetKeyValue(const Variant& value) {
  if (value == FKeyValue) return;
  FKeyValue = value;
  KeyValueChanged();
}

void TDBLookupControl::KeyValueChanged() { Invalidate(); }

void TDBLookupControl::CheckNotCircular() const {
  TDataSource* list = GetListSource();
  TDataSet* listDataSet = list ? list->GetDataSet() : nullptr;
  TDataSet* edited = FDataLink->GetActive() ? FDataLink->GetDataSet() : nullptr;
  if (edited && listDataSet && (edited == listDataSet || edited->IsLinkedTo(list))) DatabaseError(SCircularDataLink);
}

void TDBLookupControl::CheckNotLookup() const {
  if (FLookupMode) DatabaseError(SPropDefByLookup);
}

TField* TDBLookupControl::FieldOf(TDataSet* dataSet, const std::string& name) const {
  TField* field = dataSet ? dataSet->FindField(name) : nullptr;
  if (!field) DatabaseErrorFmt(SFieldNotFound, {GetName(), name});
  return field;
}

void TDBLookupControl::DataLinkActiveChanged() { UpdateDataFields(); }

void TDBLookupControl::UpdateDataFields() {
  FDataField = nullptr;
  FMasterField = nullptr;
  try {
    if (FDataLink->GetActive() && !FDataFieldName.empty()) {
      CheckNotCircular();
      TDataSet* ds = FDataLink->GetDataSet();
      TField* data = FieldOf(ds, FDataFieldName);
      FMasterField = data->GetLookup() ? FieldOf(ds, data->GetKeyFields()) : data;
      FDataField = data;
    }
  } catch (...) {
    FDataField = nullptr;
    FMasterField = nullptr;
    SetLookupMode(false);
    DataLinkRecordChanged(nullptr);
    throw;
  }
  SetLookupMode(FDataField && FDataField->GetLookup());
  DataLinkRecordChanged(nullptr);
}

void TDBLookupControl::SetLookupMode(bool value) {
  if (!value) {
    if (!FLookupMode) return;
    FLookupMode = false;
    FKeyFieldName.clear();
    FListLink->SetDataSource(nullptr);
    FLookupSource->SetDataSet(nullptr);
    return;
  }
  // (Re-)entering lookup mode binds the list anew even when the control was in lookup
  // mode already: the data field may be another lookup field.
  FListLink->SetDataSource(nullptr);
  FMasterField = FieldOf(FDataField->GetDataSet(), FDataField->GetKeyFields());
  FLookupSource->SetDataSet(FDataField->GetLookupDataSet());
  FKeyFieldName = FDataField->GetLookupKeyFields();
  FLookupMode = true;
  FListLink->SetDataSource(FLookupSource.get());
}

void TDBLookupControl::DataLinkRecordChanged(TField* field) {
  if (field && field != FMasterField) return;
  SetKeyValue(FMasterField ? FMasterField->GetAsVariant() : Variant());
}

void TDBLookupControl::UpdateListFields() {
  FListActive = false;
  FKeyField = nullptr;
  FListField = nullptr;
  FListFields.clear();
  try {
    if (FListLink->GetActive() && !FKeyFieldName.empty()) {
      CheckNotCircular();
      TDataSet* ds = FListLink->GetDataSet();
      TField* key = FieldOf(ds, FKeyFieldName);
      std::vector<TField*> fields;
      try {
        fields = ds->GetFieldList(FListFieldName);
      } catch (const EDatabaseError&) {
        DatabaseErrorFmt(SFieldNotFound, {GetName(), FListFieldName});
      }
      TField* listField = nullptr;
      if (FLookupMode) {
        // The lookup result field(s) lead the columns and the first is the list field.
        std::vector<TField*> result;
        try {
          result = ds->GetFieldList(FDataField->GetLookupResultField());
        } catch (const EDatabaseError&) {
          DatabaseErrorFmt(SFieldNotFound, {GetName(), FDataField->GetLookupResultField()});
        }
        if (result.empty()) DatabaseErrorFmt(SFieldNotFound, {GetName(), FDataField->GetLookupResultField()});
        std::size_t at = 0;
        for (TField* f : result)
          if (std::find(fields.begin(), fields.end(), f) == fields.end()) fields.insert(fields.begin() + static_cast<std::ptrdiff_t>(at++), f);
        listField = result.front();
      } else {
        if (fields.empty()) fields.push_back(key);
        listField = FListFieldIndex < static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(FListFieldIndex)]
                                                                      : fields.front();
      }
      FKeyField = key;
      FListFields = std::move(fields);
      FListField = listField;
      FListActive = true;
    }
  } catch (...) {
    KeyValueChanged();
    throw;
  }
  KeyValueChanged();
}

bool TDBLookupControl::CanModify() const {
  return FListActive && !GetReadOnly() &&
         (!FDataLink->GetDataSource() || (FMasterField && FMasterField->CanModify()));
}

void TDBLookupControl::SelectKeyValue(const Variant& value) {
  auto alive = AliveToken();
  if (FMasterField) {
    if (FDataLink->Edit()) FMasterField->SetAsVariant(value);
  } else {
    SetKeyValue(value);
  }
  if (alive.expired()) return;
  Repaint();
  Click();
}

bool TDBLookupControl::LocateKey() {
  if (FKeyValue.IsNull() || !FKeyField || !FListLink->GetActive()) return false;
  try {
    return FListLink->GetDataSet()->Locate(FKeyField->GetFieldName(), FKeyValue, {});
  } catch (const Exception&) {
    return false;
  }
}

void TDBLookupControl::ProcessSearchKey(TKeyChar key) {
  if (!FListField || !FKeyField || FListField->GetDataType() != ftString) return;
  if (FListField->GetFieldKind() != fkData && FListField->GetFieldKind() != fkInternalCalc) return;
  auto search = [this](const std::string& text) {
    TDataSet* ds = FListLink->GetDataSet();
    if (!ds->Locate(FListField->GetFieldName(), Variant(text), {loCaseInsensitive, loPartialKey})) return false;
    Variant key = FKeyField->GetAsVariant();
    if (key == FKeyValue) return true;  // the longer text still finds the chosen record
    TRestore<bool> lock(FLockPosition, true);
    SelectKeyValue(key);
    return true;
  };
  if (key == 27) {
    FSearchText.clear();
  } else if (key == 8) {
    if (FSearchText.empty()) return;
    FSearchText = Utf8Left(FSearchText, Utf8Length(FSearchText) - 1);
    if (!FSearchText.empty() && CanModify()) search(FSearchText);
  } else if (key >= 32 && key != 127 && CanModify() && Utf8Length(FSearchText) < 32) {
    std::string text = FSearchText;
    Utf8Append(text, key);
    if (search(text)) FSearchText = text;
  }
  Invalidate();
}

void TDBLookupControl::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove || !FDataLink) return;
  if (component == FDataLink->GetDataSource()) SetDataSource(nullptr);
  if (component == FListLink->GetDataSource() && component != FLookupSource.get()) FListLink->SetDataSource(nullptr);
}

void TDBLookupControl::WMSetFocus() {
  FHasFocus = true;
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TDBLookupControl::WMKillFocus() {
  FHasFocus = false;
  FSearchText.clear();
  TCustomControl::WMKillFocus();
  Invalidate();
}

TRect TDBLookupControl::GetClientRect() const {
  int b = BorderWidth();
  return {0, 0, std::max(0, FWidth - 2 * b), std::max(0, FHeight - 2 * b)};
}

void TDBLookupControl::PaintBorder(TCanvas* canvas) { Frame3D(canvas, {0, 0, FWidth, FHeight}, true); }

void TDBLookupControl::PaintWindow(TCanvas* canvas) {
  int b = BorderWidth();
  if (b > 0) PaintBorder(canvas);
  TPainterBackend* painter = canvas->GetPainter();
  TPainterState state(painter);
  painter->Translate(b, b);
  painter->IntersectClip(GetClientRect());
  TCustomControl::PaintWindow(canvas);
}

void TDBLookupControl::SetDataLink(std::unique_ptr<TDataSourceLink> link) {
  TDataSource* source = FDataLink->GetDataSource();
  link->SetBufferCount(FDataLink->GetBufferCount());
  link->SetReadOnly(FDataLink->GetReadOnly());
  FDataLink->SetLookupControl(nullptr);
  FDataLink->SetDataSource(nullptr);
  FDataLink = std::move(link);
  FDataLink->SetLookupControl(this);
  FDataLink->SetDataSource(source);
}

void TDBLookupControl::SetListLink(std::unique_ptr<TListSourceLink> link) {
  TDataSource* source = FListLink->GetDataSource();
  link->SetBufferCount(FListLink->GetBufferCount());
  link->SetReadOnly(FListLink->GetReadOnly());
  FListLink->SetLookupControl(nullptr);
  FListLink->SetDataSource(nullptr);
  FListLink = std::move(link);
  FListLink->SetLookupControl(this);
  FListLink->SetDataSource(source);
}

// ------------------------------------------------------------------ TDBLookupListBox

const TClassInfo& TDBLookupListBox::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBLookupListBox>("TDBLookupListBox", &TDBLookupControl::StaticClass())
          .Prop("RowCount", &TDBLookupListBox::GetRowCount, &TDBLookupListBox::SetRowCount)
          .Stored(false)
          .Build();
  return info;
}

TDBLookupListBox::TDBLookupListBox(TComponent* owner) : TDBLookupControl(owner) {
  FControlStyle.Include(csOpaque);
  SetBounds(FLeft, FTop, 121, 97);
}

int TDBLookupListBox::GetTextHeight() const { return LineHeightOf(GetFont()); }

void TDBLookupListBox::SetRowCount(int rows) {
  rows = std::clamp(rows, 1, 100);
  SetBounds(FLeft, FTop, FWidth, rows * GetTextHeight() + 2 * BorderWidth());
}

void TDBLookupListBox::SetBounds(int left, int top, int width, int height) {
  int th = GetTextHeight();
  int border = 2 * BorderWidth();
  int rows = std::clamp((height - border) / th, 1, 100);
  if (rows != FRowCount) {
    FRowCount = rows;
    FListLink->SetBufferCount(rows);
  }
  TDBLookupControl::SetBounds(left, top, width, rows * th + border);
}

void TDBLookupListBox::FontChanged() {
  TDBLookupControl::FontChanged();
  if (FRowCount > 0) SetRowCount(FRowCount);
}

void TDBLookupListBox::Loaded() {
  TDBLookupControl::Loaded();
  SetRowCount(FRowCount);
}

bool TDBLookupListBox::ScrollBarVisible() const {
  TDataSet* ds = FListActive ? FListLink->GetDataSet() : nullptr;
  return ds && ds->GetRecordCount() > FRowCount;
}

TRect TDBLookupListBox::GetClientRect() const {
  TRect r = TDBLookupControl::GetClientRect();
  if (ScrollBarVisible()) r.Right = std::max(0, r.Right - ScrollBarWidth);
  return r;
}

void TDBLookupListBox::KeyValueChanged() {
  if (FListActive && !FLockPosition && !LocateKey()) FListLink->GetDataSet()->First();
  Invalidate();
}

void TDBLookupListBox::UpdateListFields() {
  try {
    TDBLookupControl::UpdateListFields();
  } catch (...) {
    ListLinkDataChanged();
    throw;
  }
  ListLinkDataChanged();
}

void TDBLookupListBox::ListLinkDataChanged() {
  if (FListActive && FListLink->GetActive()) {
    FRecordIndex = std::max(0, FListLink->GetActiveRecord());
    FRecordCount = FListLink->GetRecordCount();
    FKeySelected = !FKeyValue.IsNull() || !FListLink->GetDataSet()->GetBOF();
  } else {
    FRecordIndex = 0;
    FRecordCount = 0;
    FKeySelected = false;
  }
  Invalidate();
}

void TDBLookupListBox::SelectCurrent() {
  TRestore<bool> lock(FLockPosition, true);
  SelectKeyValue(FKeyField->GetAsVariant());
}

void TDBLookupListBox::MoveSelection(int delta) {
  if (!CanModify() || delta == 0) return;
  FSearchText.clear();
  TDataSet* ds = FListLink->GetDataSet();
  if (delta == INT_MIN) {
    ds->First();
  } else if (delta == INT_MAX) {
    ds->Last();
  } else {
    // Start from the highlighted record: in the visible rows, else found by its key.
    int keyRow = -1;
    if (!FKeyValue.IsNull()) {
      int current = FListLink->GetActiveRecord();
      for (int i = 0; i < FListLink->GetRecordCount() && keyRow < 0; ++i) {
        FListLink->SetActiveRecord(i);
        if (FKeyField->GetAsVariant() == FKeyValue) keyRow = i;
      }
      FListLink->SetActiveRecord(current);
    }
    if (keyRow >= 0) {
      ds->MoveBy(keyRow - FListLink->GetActiveRecord());
      ds->MoveBy(delta);
    } else if (LocateKey()) {
      ds->MoveBy(delta);
    } else {
      ds->First();  // nothing chosen yet: the first record is the one to start with
    }
  }
  SelectCurrent();
}

void TDBLookupListBox::KeyDown(std::uint16_t& key, TShiftState shift) {
  TDBLookupControl::KeyDown(key, shift);
  if (key == 0 || !FListActive) return;
  int page = std::max(1, FRowCount - 1);
  int delta = 0;
  switch (key) {
    case VK_UP:
    case VK_LEFT: delta = -1; break;
    case VK_DOWN:
    case VK_RIGHT: delta = 1; break;
    case VK_PRIOR: delta = -page; break;
    case VK_NEXT: delta = page; break;
    case VK_HOME: delta = INT_MIN; break;
    case VK_END: delta = INT_MAX; break;
    default: return;
  }
  MoveSelection(delta);
  key = 0;
}

void TDBLookupListBox::KeyPress(TKeyChar& key) {
  TDBLookupControl::KeyPress(key);
  if (key != 0) ProcessSearchKey(key);
}

void TDBLookupListBox::SelectItemAt(int x, int y) {
  int count = FListActive ? FListLink->GetRecordCount() : 0;
  if (count == 0) return;
  int th = GetTextHeight();
  y = std::clamp(y, 0, std::max(0, GetClientHeight() - 1));
  int row = std::min(y / th, count - 1);
  FListLink->GetDataSet()->MoveBy(row - FListLink->GetActiveRecord());
  SelectCurrent();
}

void TDBLookupListBox::StopTracking() { FTracking = false; }

int TDBLookupListBox::FirstVisible() const {
  TDataSet* ds = FListLink->GetDataSet();
  if (!ds) return 0;
  return std::max(0, ds->GetRecNo() - 1 - std::max(0, FListLink->GetActiveRecord()));
}

void TDBLookupListBox::ScrollRows(int rows) {
  int count = FListActive ? FListLink->GetRecordCount() : 0;
  if (rows == 0 || count == 0) return;
  TDataSet* ds = FListLink->GetDataSet();
  int index = FListLink->GetActiveRecord();
  if (rows < 0)
    ds->MoveBy(rows - index);
  else
    ds->MoveBy(count - 1 - index + rows);
}

// The scroll bar lies right of the client area, over its whole height: an arrow button at
// each end and the thumb in the track between them.
TRect TDBLookupListBox::ThumbRect() const {
  int h = GetClientHeight();
  int arrow = std::min(ScrollBarWidth, h / 2);
  int track = h - 2 * arrow;
  TDataSet* ds = FListLink->GetDataSet();
  int total = ds ? ds->GetRecordCount() : 0;
  if (track <= 0 || total <= FRowCount) return {};
  int thumb = std::clamp(static_cast<int>(static_cast<long long>(track) * FRowCount / total), std::min(8, track), track);
  int top = arrow + static_cast<int>(static_cast<long long>(track - thumb) * FirstVisible() / (total - FRowCount));
  top = std::clamp(top, arrow, arrow + track - thumb);
  int left = GetClientWidth();
  return {left, top, left + ScrollBarWidth, top + thumb};
}

TDBLookupListBox::TScrollPart TDBLookupListBox::ScrollPartAt(int y) const {
  int h = GetClientHeight();
  int arrow = std::min(ScrollBarWidth, h / 2);
  if (y < arrow) return TScrollPart::LineUp;
  if (y >= h - arrow) return TScrollPart::LineDown;
  TRect thumb = ThumbRect();
  if (y < thumb.Top) return TScrollPart::PageUp;
  if (y >= thumb.Bottom) return TScrollPart::PageDown;
  return TScrollPart::Thumb;
}

void TDBLookupListBox::ThumbTo(int y) {
  TRect thumb = ThumbRect();
  if (thumb.IsEmpty()) return;
  int h = GetClientHeight();
  int arrow = std::min(ScrollBarWidth, h / 2);
  int room = h - 2 * arrow - thumb.Height();
  TDataSet* ds = FListLink->GetDataSet();
  int total = ds->GetRecordCount();
  int first = room <= 0 ? 0
                        : static_cast<int>(static_cast<long long>(std::clamp(y - arrow, 0, room)) * (total - FRowCount) / room);
  int current = FirstVisible();
  if (first == current) return;
  // The cursor goes to the first (or last) record of the wanted window; the link's window
  // follows it to that edge.
  int target = first < current ? first : first + FRowCount - 1;
  ds->MoveBy(target - (ds->GetRecNo() - 1));
}

void TDBLookupListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    FSearchText.clear();
    if (!FPopup) {
      auto alive = AliveToken();
      if (!Focused() && CanFocus()) SetFocus();
      if (alive.expired()) return;
      if (!FHasFocus) return;
    }
    if (x >= GetClientWidth() && ScrollBarVisible()) {
      // The scroll bar is the window's own: the press goes no further.
      FScrolling = ScrollPartAt(y);
      int page = std::max(1, FRowCount - 1);
      switch (FScrolling) {
        case TScrollPart::LineUp: ScrollRows(-1); break;
        case TScrollPart::LineDown: ScrollRows(1); break;
        case TScrollPart::PageUp: ScrollRows(-page); break;
        case TScrollPart::PageDown: ScrollRows(page); break;
        case TScrollPart::Thumb: FThumbGrip = y - ThumbRect().Top; break;
        case TScrollPart::None: break;
      }
      return;
    }
    if (CanModify()) {
      FTracking = true;
      SelectItemAt(x, y);
    }
  }
  TDBLookupControl::MouseDown(button, shift, x, y);
}

void TDBLookupListBox::MouseMove(TShiftState shift, int x, int y) {
  if (FScrolling == TScrollPart::Thumb) {
    ThumbTo(y - FThumbGrip);
    return;
  }
  if (FScrolling != TScrollPart::None) return;
  if (FTracking && FListActive) {
    // Held above or below the rows, the list scrolls a record per move.
    SelectItemAt(x, y);
    if (y < 0 || y >= GetClientHeight()) {
      TDataSet* ds = FListLink->GetDataSet();
      if (ds->MoveBy(y < 0 ? -1 : 1) != 0) SelectCurrent();
    }
  }
  TDBLookupControl::MouseMove(shift, x, y);
}

void TDBLookupListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FScrolling != TScrollPart::None) {
    if (button == mbLeft) FScrolling = TScrollPart::None;
    return;
  }
  if (FTracking) {
    StopTracking();
    if (PtInRect(GetClientRect(), {x, y})) SelectItemAt(x, y);
  }
  TDBLookupControl::MouseUp(button, shift, x, y);
}

// Rows are drawn from the list link's buffer: the link's active record walks the visible
// records and goes back to the current one afterwards.
void TDBLookupListBox::Paint() {
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  int cw = c->TextWidth("0");
  int rh = c->TextHeight("0");
  int clientWidth = GetClientWidth();
  int last = static_cast<int>(FListFields.size()) - 1;
  // The buffer's records as they are now (a change may not have been told yet).
  int records = FListActive ? std::min(FRecordCount, FListLink->GetRecordCount()) : 0;
  int current = records ? FListLink->GetActiveRecord() : 0;
  TColor textColor = IsEnabledInTree() ? GetFont()->GetColor() : clGrayText;
  c->GetPen()->SetColor(ColorToRGB(FColor) != ColorToRGB(clBtnFace) ? clBtnFace : clBtnShadow);
  for (int i = 0; i < FRowCount; ++i) {
    c->GetFont()->SetColor(textColor);
    c->GetBrush()->SetColor(FColor);
    bool selected = !FKeySelected && i == 0;
    TRect r{0, i * rh, 0, i * rh + rh};
    if (i < records) {
      FListLink->SetActiveRecord(i);
      if (!FKeyValue.IsNull() && FKeyField->GetAsVariant() == FKeyValue) {
        c->GetFont()->SetColor(clHighlightText);
        c->GetBrush()->SetColor(clHighlight);
        selected = true;
      }
      for (int j = 0; j <= last; ++j) {
        TField* f = FListFields[static_cast<std::size_t>(j)];
        int w = j < last ? f->GetDisplayWidth() * cw + 4 : clientWidth - r.Right;
        std::string s = f->GetDisplayText();
        int x = 2;
        switch (f->GetAlignment()) {
          case taRightJustify: x = w - c->TextWidth(s) - 3; break;
          case taCenter: x = (w - c->TextWidth(s)) / 2; break;
          default: break;
        }
        r.Left = r.Right;
        r.Right += w;
        c->TextRect(r, r.Left + x, r.Top, s);
        if (j < last) {
          c->MoveTo(r.Right, r.Top);
          c->LineTo(r.Right, r.Bottom);
          ++r.Right;
          if (r.Right >= clientWidth) break;
        }
      }
    }
    r.Left = 0;
    r.Right = clientWidth;
    if (i >= records) c->FillRect(r);
    if (selected && (FHasFocus || FPopup)) c->DrawFocusRect(r);
  }
  if (records != 0) FListLink->SetActiveRecord(current);
}

void TDBLookupListBox::PaintWindow(TCanvas* canvas) {
  TDBLookupControl::PaintWindow(canvas);
  if (!ScrollBarVisible()) return;
  int b = BorderWidth();
  TRect client = GetClientRect();
  int h = client.Height();
  int arrow = std::min(ScrollBarWidth, h / 2);
  int left = b + client.Right, right = left + ScrollBarWidth, top = b, bottom = b + h;
  canvas->GetBrush()->SetColor(clScrollBar);
  canvas->FillRect({left, top, right, bottom});
  unsigned up = FScrolling == TScrollPart::LineUp ? DFCS_PUSHED : 0;
  unsigned down = FScrolling == TScrollPart::LineDown ? DFCS_PUSHED : 0;
  DrawFrameControl(canvas, {left, top, right, top + arrow}, DFC_SCROLL, DFCS_SCROLLUP | up);
  DrawFrameControl(canvas, {left, bottom - arrow, right, bottom}, DFC_SCROLL, DFCS_SCROLLDOWN | down);
  TRect thumb = ThumbRect();
  if (!thumb.IsEmpty())
    DrawFrameControl(canvas, {thumb.Left + b, thumb.Top + b, thumb.Right + b, thumb.Bottom + b}, DFC_BUTTON,
                     DFCS_BUTTONPUSH);
}

// ------------------------------------------------------------------ TPopupDataList

const TClassInfo& TPopupDataList::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TPopupDataList>("TPopupDataList", &TDBLookupListBox::StaticClass()).Build();
  return info;
}

TPopupDataList::TPopupDataList(TComponent* owner) : TDBLookupListBox(owner) {
  FPopup = true;
  FTabStop = false;
  FVisible = false;
}

void TPopupDataList::CreateParams(TCreateParams& params) {
  TDBLookupListBox::CreateParams(params);
  params.Kind = TWindowKind::Popup;
}

void TPopupDataList::PaintBorder(TCanvas* canvas) {
  canvas->GetBrush()->SetColor(clWindowFrame);
  canvas->FrameRect({0, 0, FWidth, FHeight});
}

// ------------------------------------------------------------------ TDBLookupComboBox

const TClassInfo& TDBLookupComboBox::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBLookupComboBox>("TDBLookupComboBox", &TDBLookupControl::StaticClass())
          .Prop("DropDownRows", &TDBLookupComboBox::GetDropDownRows, &TDBLookupComboBox::SetDropDownRows)
          .Default(7)
          .Prop("DropDownWidth", &TDBLookupComboBox::GetDropDownWidth, &TDBLookupComboBox::SetDropDownWidth)
          .Default(0)
          .Prop("OnCloseUp", &TDBLookupComboBox::GetOnCloseUp, &TDBLookupComboBox::SetOnCloseUp)
          .Prop("OnDropDown", &TDBLookupComboBox::GetOnDropDown, &TDBLookupComboBox::SetOnDropDown)
          .Build();
  return info;
}

TDBLookupComboBox::TDBLookupComboBox(TComponent* owner) : TDBLookupControl(owner) {
  FControlStyle.Include(csOpaque);
  FWidth = 145;
  FHeight = 21;
  SetDataList(new TPopupDataList(this));
}

TDBLookupComboBox::~TDBLookupComboBox() {
  delete FDataList;
  FDataList = nullptr;
}

void TDBLookupComboBox::SetDataList(TPopupDataList* list) {
  TPopupDataList* old = FDataList;
  FDataList = list;
  list->SetVisible(false);
  list->SetParent(this);
  list->SetOnMouseUp(Method<&TDBLookupComboBox::ListMouseUp>(this));
  delete old;
}

unsigned TDBLookupComboBox::GetDlgCode() const {
  return DLGC_WANTARROWS | DLGC_WANTCHARS | (FListVisible ? DLGC_WANTALLKEYS : 0);
}

void TDBLookupComboBox::KeyValueChanged() {
  UpdateDisplayText();
  Invalidate();
}

void TDBLookupComboBox::UpdateDisplayText() {
  std::string text;
  if (FLookupMode) {
    if (FDataField) text = FDataField->GetDisplayText();
  } else if (FListActive && FListField && LocateKey()) {
    text = FListField->GetDisplayText();
  }
  FAlignment = FListField ? FListField->GetAlignment() : taLeftJustify;
  SetText(text);
}

void TDBLookupComboBox::DropDown() {
  if (FListVisible || !FListActive) return;
  auto alive = AliveToken();
  if (FOnDropDown) FOnDropDown(this);
  // Whatever the drop-down event changed is what the list shows.
  if (alive.expired() || FListVisible || !FListActive) return;
  TDataSet* ds = FListLink->GetDataSet();
  FDataList->SetColor(FColor);
  FDataList->SetFont(GetFont());
  FDataList->SetWidth(FDropDownWidth > 0 ? FDropDownWidth : FWidth);
  FDataList->SetReadOnly(!CanModify());
  int rows = std::max(1, FDropDownRows);
  int count = ds ? ds->GetRecordCount() : 0;
  if (count > 0 && rows > count) rows = count;
  FDataList->SetRowCount(rows);
  FDataList->SetKeyValue(FKeyValue);
  FDataList->SetKeyField(FKeyFieldName);
  FDataList->SetListField(FieldNames(FListFields));
  auto at = std::find(FListFields.begin(), FListFields.end(), FListField);
  FDataList->SetListFieldIndex(at == FListFields.end() ? 0 : static_cast<int>(at - FListFields.begin()));
  FDataList->SetListSource(FListLink->GetDataSource());
  // Below the control, or above it when the screen has no room below.
  TPoint p = FParent ? FParent->ClientToScreen({FLeft, FTop}) : TPoint{FLeft, FTop};
  TSize screen = WidgetSet()->ScreenSize();
  int w = FDataList->GetWidth(), h = FDataList->GetHeight();
  int y = p.Y + FHeight;
  if (y + h > screen.cy) y = p.Y - h;
  int x = std::max(0, std::min(p.X, screen.cx - w));
  // Moved without a new size: the list's own SetBounds has settled its height.
  FDataList->TWinControl::SetBounds(x, y, w, h);
  FDataList->HandleNeeded();
  FListVisible = true;
  FDataList->SetVisible(true);
  FDataList->BringToFront();
  Invalidate();
}

void TDBLookupComboBox::CloseUp(bool accept) {
  if (!FListVisible) return;
  TControl* capture = GetCaptureControl();
  if (capture == this || capture == FDataList) SetCaptureControl(nullptr);
  FTracking = false;
  FPressed = false;
  Variant listValue = FDataList->GetKeyValue();
  FDataList->SetVisible(false);
  FListVisible = false;
  FDataList->SetListSource(nullptr);
  FDataList->SetSearchText("");
  Invalidate();
  FSearchText.clear();
  auto alive = AliveToken();
  if (accept && CanModify()) SelectKeyValue(listValue);
  if (alive.expired()) return;
  if (FOnCloseUp) FOnCloseUp(this);
}

void TDBLookupComboBox::ListMouseUp(TObject*, TMouseButton button, TShiftState, int x, int y) {
  if (button == mbLeft) CloseUp(PtInRect(FDataList->GetClientRect(), {x, y}));
}

void TDBLookupComboBox::KeyDown(std::uint16_t& key, TShiftState shift) {
  auto alive = AliveToken();
  TDBLookupControl::KeyDown(key, shift);
  if (alive.expired() || key == 0) return;
  if (FListActive && (key == VK_UP || key == VK_DOWN)) {
    if (shift.Contains(ssAlt)) {
      if (FListVisible)
        CloseUp(true);
      else
        DropDown();
      key = 0;
    } else if (!FListVisible) {
      if (CanModify()) {
        TDataSet* ds = FListLink->GetDataSet();
        if (!LocateKey())
          ds->First();
        else
          ds->MoveBy(key == VK_UP ? -1 : 1);
        SelectKeyValue(FKeyField->GetAsVariant());
      }
      key = 0;
    }
  } else if (FListActive && key == VK_F4 && !shift.Contains(ssAlt)) {
    if (FListVisible)
      CloseUp(true);
    else
      DropDown();
    key = 0;
  }
  if (alive.expired()) return;
  if (key != 0 && FListVisible) FDataList->KeyDown(key, shift);
}

void TDBLookupComboBox::KeyPress(TKeyChar& key) {
  auto alive = AliveToken();
  TDBLookupControl::KeyPress(key);
  if (alive.expired() || key == 0) return;
  if (FListVisible) {
    if (key == 13 || key == 27) {
      CloseUp(key == 13);
      key = 0;
    } else {
      FDataList->KeyPress(key);
    }
  } else {
    ProcessSearchKey(key);
  }
}

void TDBLookupComboBox::TrackButton(int x, int y) {
  int cw = GetClientWidth();
  bool pressed = FTracking && PtInRect({cw - FButtonWidth, 0, cw, GetClientHeight()}, {x, y});
  if (pressed == FPressed) return;
  FPressed = pressed;
  Invalidate();
}

void TDBLookupComboBox::StopTracking() {
  if (!FTracking) return;
  TrackButton(-1, -1);
  FTracking = false;
  SetMouseCapture(false);
}

void TDBLookupComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (!Focused() && CanFocus()) SetFocus();
    if (alive.expired() || !FHasFocus) return;
    if (FListVisible) {
      CloseUp(false);
    } else if (FListActive) {
      SetMouseCapture(true);
      FTracking = true;
      TrackButton(x, y);
      DropDown();
    }
    if (alive.expired()) return;
  }
  TDBLookupControl::MouseDown(button, shift, x, y);
}

void TDBLookupComboBox::MouseMove(TShiftState shift, int x, int y) {
  if (FTracking) {
    TrackButton(x, y);
    if (FListVisible) {
      // Dragged into the list: the list takes the press over (and the capture with it).
      TPoint p = FDataList->ScreenToClient(ClientToScreen({x, y}));
      if (PtInRect(FDataList->GetClientRect(), p)) {
        StopTracking();
        shift.Include(ssLeft);
        FDataList->DoMouseDown(mbLeft, shift, p.X, p.Y, false);
        return;
      }
    }
  }
  TDBLookupControl::MouseMove(shift, x, y);
}

void TDBLookupComboBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  StopTracking();
  TDBLookupControl::MouseUp(button, shift, x, y);
}

void TDBLookupComboBox::CMCancelMode(TControl* sender) {
  if (sender != this && sender != FDataList) CloseUp(false);
}

void TDBLookupComboBox::WMKillFocus() {
  TDBLookupControl::WMKillFocus();
  CloseUp(false);
}

void TDBLookupComboBox::Paint() {
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  c->GetBrush()->SetColor(FColor);
  bool selected = FHasFocus && !FListVisible && !FControlState.Contains(csPaintCopy);
  if (selected) {
    c->GetFont()->SetColor(clHighlightText);
    c->GetBrush()->SetColor(clHighlight);
  }
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  std::string text = FText;
  TAlignment alignment = FAlignment;
  if (FControlState.Contains(csPaintCopy) && FDataField && FDataField->GetLookup()) {
    text = FDataField->GetDisplayText();
    alignment = FDataField->GetAlignment();
  }
  int cw = GetClientWidth(), ch = GetClientHeight();
  int w = cw - FButtonWidth;
  int x = 2;
  switch (alignment) {
    case taRightJustify: x = w - c->TextWidth(text) - 3; break;
    case taCenter: x = (w - c->TextWidth(text)) / 2; break;
    default: break;
  }
  TRect r{1, 1, w - 1, ch - 1};
  c->TextRect(r, x, std::max(1, (ch - c->TextHeight("0")) / 2), text);
  if (selected) c->DrawFocusRect(r);
  unsigned state = DFCS_SCROLLCOMBOBOX;
  if (!FListActive)
    state |= DFCS_INACTIVE;
  else if (FPressed)
    state |= DFCS_FLAT | DFCS_PUSHED;
  DrawFrameControl(c, {w, 0, cw, ch}, DFC_SCROLL, state);
}

// ------------------------------------------------------------------ registration

void RegisterDBLookupClasses() {
  RegisterUiClasses();
  RegisterDataClasses();
  RegisterClasses({&TDBLookupListBox::StaticClass(), &TDBLookupComboBox::StaticClass()});
}

}  // namespace fw
