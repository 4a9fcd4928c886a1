#include "framework/dbctrls/DBGrids.h"

#include <algorithm>
#include <cmath>

#include "framework/core/Consts.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/stream/Classes.h"
#include "framework/ui/UiRegister.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

constexpr int kIndicatorWidth = 11;
constexpr int kScrollBarWidth = 16;
constexpr int kCellMargin = 2;

/// The byte offset of a character position of a UTF-8 text.
std::size_t ByteOf(const std::string& s, int chars) {
  std::size_t i = 0;
  for (int n = 0; n < chars && i < s.size(); ++n) Utf8Next(s, i);
  return i;
}

int TextWidthOf(const TFont& font, const std::string& text) {
  return WidgetSet()->TextExtent(FontDataOf(font), text).cx;
}

bool Editing(const TDataSet* ds) { return ds && (ds->GetState() == dsEdit || ds->GetState() == dsInsert); }

}  // namespace

// ------------------------------------------------------------------ the grid's data link

/// Hands every notification of the data source to the grid.
class TDBGrid::TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TDBGrid* grid) : FGrid(grid) {}

 protected:
  void ActiveChanged() override { FGrid->LinkActive(); }
  void LayoutChanged() override { FGrid->LayoutChanged(); }
  void DataSetChanged() override { FGrid->DataChanged(); }
  void DataSetScrolled(int distance) override { FGrid->Scrolled(distance); }
  void RecordChanged(TField* field) override { FGrid->RecordChanged(field); }
  void EditingChanged() override { FGrid->EditingChanged(); }
  void UpdateData() override { FGrid->UpdateData(); }

 private:
  TDBGrid* FGrid;
};

// ------------------------------------------------------------------ TColumnTitle, TColumn

const TClassInfo& TColumnTitle::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TColumnTitle>("TColumnTitle", &TPersistent::StaticClass())
          .Prop("Caption", &TColumnTitle::GetCaption, &TColumnTitle::SetCaption).Stored(&TColumnTitle::IsCaptionStored)
          .Build();
  return info;
}

std::string TColumnTitle::GetCaption() const {
  if (FCaptionSet) return FCaption;
  if (TField* f = FColumn->GetField()) return f->GetDisplayLabel();
  return FColumn->GetFieldName();
}

void TColumnTitle::SetCaption(const std::string& v) {
  FCaption = v;
  FCaptionSet = true;
  FColumn->TitleChanged();
}

void TColumnTitle::RestoreDefaults() {
  FCaption.clear();
  FCaptionSet = false;
  FColumn->TitleChanged();
}

void TColumnTitle::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TColumnTitle*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  FCaption = other->FCaption;
  FCaptionSet = other->FCaptionSet;
  FColumn->TitleChanged();
}

TPersistent* TColumnTitle::GetOwner() const { return FColumn; }

const TClassInfo& TColumn::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TColumn>("TColumn", &TCollectionItem::StaticClass())
          .Prop("Alignment", &TColumn::GetAlignment, &TColumn::SetAlignment).Stored(&TColumn::IsAlignmentStored)
          .Prop("FieldName", &TColumn::GetFieldName, &TColumn::SetFieldName)
          .Prop("ReadOnly", &TColumn::GetReadOnly, &TColumn::SetReadOnly).Default(0)
          .Prop("Title", &TColumn::GetTitle, &TColumn::SetTitle)
          .Prop("Width", &TColumn::GetWidth, &TColumn::SetWidth).Stored(&TColumn::IsWidthStored)
          .Prop("Visible", &TColumn::GetVisible, &TColumn::SetVisible).Default(1)
          .Build();
  return info;
}

TColumn::TColumn(TCollection* collection)
    : TCollectionItem(collection), FTitle(std::make_unique<TColumnTitle>(this)) {}

TColumn::~TColumn() = default;

TDBGrid* TColumn::GetGrid() const {
  auto* columns = dynamic_cast<TDBGridColumns*>(GetCollection());
  return columns ? columns->GetGrid() : nullptr;
}

TField* TColumn::GetField() const {
  TDBGrid* grid = GetGrid();
  TDataSet* ds = grid ? grid->ActiveDataSet() : nullptr;
  return ds && !FFieldName.empty() ? ds->FindField(FFieldName) : nullptr;
}

void TColumn::SetFieldName(const std::string& v) {
  if (v == FFieldName) return;
  FFieldName = v;
  Changed(false);
}

int TColumn::GetWidth() const {
  if (FWidthSet) return FWidth;
  TDBGrid* grid = GetGrid();
  return grid ? grid->DefaultColumnWidth(GetField(), FTitle->GetCaption()) : FWidth;
}

void TColumn::SetWidth(int v) {
  FWidth = std::max(0, v);
  FWidthSet = true;
  Changed(false);
}

void TColumn::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  Changed(false);
}

void TColumn::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  Changed(false);
}

TAlignment TColumn::GetAlignment() const {
  if (FAlignmentSet) return FAlignment;
  TField* f = GetField();
  return f ? f->GetAlignment() : taLeftJustify;
}

void TColumn::SetAlignment(TAlignment v) {
  FAlignment = v;
  FAlignmentSet = true;
  Changed(false);
}

std::string TColumn::GetDisplayName() const { return FFieldName.empty() ? ClassName() : FFieldName; }

void TColumn::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TColumn*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  FFieldName = other->FFieldName;
  FWidth = other->FWidth;
  FWidthSet = other->FWidthSet;
  FVisible = other->FVisible;
  FReadOnly = other->FReadOnly;
  FAlignment = other->FAlignment;
  FAlignmentSet = other->FAlignmentSet;
  FTitle->Assign(other->FTitle.get());
  Changed(false);
}

const TClassInfo& TDBGridColumns::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBGridColumns>("TDBGridColumns", &TOwnedCollection::StaticClass()).Build();
  return info;
}

TDBGridColumns::TDBGridColumns(TDBGrid* grid) : TOwnedCollection(grid, TColumn::StaticClass()), FGrid(grid) {}

void TDBGridColumns::Update(TCollectionItem*) {
  if (FGrid) FGrid->ColumnsChanged();
}

// ------------------------------------------------------------------ TDBGrid

const TClassInfo& TDBGrid::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBGrid>("TDBGrid", &TCustomControl::StaticClass())
          .Prop("Columns", &TDBGrid::GetColumns, &TDBGrid::SetColumns).Stored(&TDBGrid::IsColumnsStored)
          .Prop("DataSource", &TDBGrid::GetDataSource, &TDBGrid::SetDataSource)
          .Prop("Options", &TDBGrid::GetOptions, &TDBGrid::SetOptions)
          .Default(static_cast<std::int64_t>(kDefaultGridOptions.ToInt()))
          .Prop("ReadOnly", &TDBGrid::GetReadOnly, &TDBGrid::SetReadOnly).Default(0)
          .Prop("TitleFont", &TDBGrid::GetTitleFont, &TDBGrid::SetTitleFont).Stored(&TDBGrid::IsTitleFontStored)
          .Build();
  return info;
}

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomControl(owner),
      FDataLink(std::make_unique<TGridDataLink>(this)),
      FColumns(std::make_unique<TDBGridColumns>(this)),
      FTitleFont(std::make_unique<TFont>()) {
  FTitleFont->Assign(GetFont());
  FTitleFont->SetOnChange(Method<&TDBGrid::TitleFontChanged>(this));
  InitColor(clWindow);
  FControlStyle.Include(csOpaque);
  FControlStyle.Exclude(csDoubleClicks);
  FTabStop = true;
  FWidth = 320;
  FHeight = 120;
}

TDBGrid::~TDBGrid() {
  // The link's last notifications find the grid destroying and do nothing.
  Destroying();
  FDataLink->SetDataSource(nullptr);
  FTitleFont->SetOnChange(nullptr);
}

TDataLink* TDBGrid::GetDataLink() const { return FDataLink.get(); }

TDataSource* TDBGrid::GetDataSource() const { return FDataLink->GetDataSource(); }

void TDBGrid::SetDataSource(TDataSource* source) {
  TDataSource* old = FDataLink->GetDataSource();
  if (source == old) return;
  if (old) old->RemoveFreeNotification(this);
  // The link asks for the grid's rows before it joins, so that the dataset fills its
  // window once.
  UpdateRowCount();
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
  LinkActive();
}

void TDBGrid::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == FDataLink->GetDataSource()) {
    FDataLink->SetDataSource(nullptr);
    LinkActive();
  }
}

void TDBGrid::Loaded() {
  TCustomControl::Loaded();
  BuildColumns();
  UpdateRowCount();
}

void TDBGrid::SetOptions(TDBGridOptions v) {
  if (v == FOptions) return;
  FOptions = v;
  FRowHeight = -1;
  if (FOptions.Contains(dgRowSelect) || !FOptions.Contains(dgEditing)) HideEditor(false);
  BuildColumns();
  UpdateRowCount();
  Invalidate();
}

void TDBGrid::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  if (v) HideEditor(false);
  Invalidate();
}

TDataSet* TDBGrid::ActiveDataSet() const { return FDataLink->GetActive() ? FDataLink->GetDataSet() : nullptr; }

TField* TDBGrid::GetDisplayField(int column) const {
  return column >= 0 && column < GetDisplayColumnCount() ? FCols[static_cast<std::size_t>(column)].Field : nullptr;
}

std::string TDBGrid::GetDisplayTitle(int column) const {
  return column >= 0 && column < GetDisplayColumnCount() ? FCols[static_cast<std::size_t>(column)].Title : std::string();
}

int TDBGrid::GetDisplayWidth(int column) const {
  return column >= 0 && column < GetDisplayColumnCount() ? FCols[static_cast<std::size_t>(column)].Width : 0;
}

std::string TDBGrid::CellText(int column, int row) const {
  TField* f = GetDisplayField(column);
  if (!f || !FDataLink->GetActive() || row < 0 || row >= FDataLink->GetRecordCount()) return {};
  int current = FDataLink->GetActiveRecord();
  FDataLink->SetActiveRecord(row);
  TScopeExit restore([&] { FDataLink->SetActiveRecord(current); });
  return f->GetDisplayText();
}

int TDBGrid::DefaultColumnWidth(const TField* field, const std::string& title) const {
  TTextMetric tm = GetTextMetrics(*GetFont());
  int width = field ? field->GetDisplayWidth() * tm.tmAveCharWidth + 2 * kCellMargin : 64;
  if (FOptions.Contains(dgTitles)) width = std::max(width, TextWidthOf(*FTitleFont, title) + 2 * kCellMargin);
  return width;
}

// ---- data link notifications ------------------------------------------------------------

void TDBGrid::LinkActive() {
  if (HasState(csDestroying)) return;
  if (!FDataLink->GetActive()) HideEditor(false);
  BuildColumns();
  UpdateRowCount();
  Invalidate();
}

void TDBGrid::LayoutChanged() {
  if (HasState(csDestroying)) return;
  HideEditor(false);  // its column may show another field now
  BuildColumns();
  UpdateRowCount();
  DataChanged();
}

void TDBGrid::DataChanged() {
  if (HasState(csDestroying)) return;
  HideEditor(false);
  Invalidate();
}

void TDBGrid::Scrolled(int) {
  if (HasState(csDestroying)) return;
  HideEditor(false);
  Invalidate();
}

void TDBGrid::RecordChanged(TField* field) {
  if (HasState(csDestroying)) return;
  if (FEditorShown && !FEditModified && (!field || field == GetSelectedField())) {
    if (TField* f = GetSelectedField()) {
      FEditText = f->GetText();
      FEditAnchor = 0;
      FEditCaret = static_cast<int>(Utf8Length(FEditText));
    }
  }
  Invalidate();
}

void TDBGrid::EditingChanged() {
  if (HasState(csDestroying)) return;
  if (!FDataLink->GetEditing()) HideEditor(false);
  Invalidate();
}

void TDBGrid::UpdateData() {
  if (!FEditorShown || !FEditModified) return;
  if (TField* f = GetSelectedField()) f->SetText(FEditText);
  FEditModified = false;
}

// ---- columns and geometry ----------------------------------------------------------------

void TDBGrid::BuildColumns() {
  if (HasState(csDestroying)) return;
  FCols.clear();
  if (FColumns->GetCount() > 0) {
    for (int i = 0; i < FColumns->GetCount(); ++i) {
      TColumn* c = FColumns->GetItem(i);
      if (!c->GetVisible()) continue;
      TGridColumn g;
      g.Field = c->GetField();
      g.Title = c->GetTitle()->GetCaption();
      g.Width = c->GetWidth();
      g.Alignment = c->GetAlignment();
      g.ReadOnly = c->GetReadOnly();
      FCols.push_back(g);
    }
  } else if (TDataSet* ds = ActiveDataSet()) {
    for (TField* f : ds->GetFields()) {
      if (!f->GetVisible()) continue;
      TGridColumn g;
      g.Field = f;
      g.Title = f->GetDisplayLabel();
      g.Width = DefaultColumnWidth(f, g.Title);
      g.Alignment = f->GetAlignment();
      FCols.push_back(g);
    }
  }
  FSelected = std::clamp(FSelected, 0, std::max(0, GetDisplayColumnCount() - 1));
  FLeftCol = std::clamp(FLeftCol, 0, FSelected);
  ScrollToSelected();
}

int TDBGrid::GetRowHeight() const {
  if (FRowHeight < 0) {
    int h = GetTextMetrics(*GetFont()).tmHeight;
    if (FOptions.Contains(dgTitles)) h = std::max(h, GetTextMetrics(*FTitleFont).tmHeight);
    FRowHeight = h + 4;
  }
  return FRowHeight;
}

int TDBGrid::TitleHeight() const { return FOptions.Contains(dgTitles) ? GetRowHeight() + RowLineWidth() : 0; }

int TDBGrid::IndicatorWidth() const { return FOptions.Contains(dgIndicator) ? kIndicatorWidth + ColLineWidth() : 0; }

TRect TDBGrid::InnerRect() const {
  TRect r = GetClientRect();
  return {r.Left + 2, r.Top + 2, std::max(r.Left + 2, r.Right - 2), std::max(r.Top + 2, r.Bottom - 2)};
}

TRect TDBGrid::ScrollBarRect() const {
  TRect i = InnerRect();
  return {std::max(i.Left, i.Right - kScrollBarWidth), i.Top, i.Right, i.Bottom};
}

TRect TDBGrid::CellArea() const {
  TRect i = InnerRect();
  i.Right = ScrollBarRect().Left;
  return i;
}

int TDBGrid::GetVisibleRowCount() const {
  int avail = CellArea().Height() - TitleHeight();
  return std::max(1, avail / (GetRowHeight() + RowLineWidth()));
}

void TDBGrid::UpdateRowCount() {
  if (HasState(csDestroying)) return;
  FDataLink->SetBufferCount(GetVisibleRowCount());
}

TRect TDBGrid::CellRect(int column, int row) const {
  TRect area = CellArea();
  int rh = GetRowHeight();
  int top;
  if (row == -1) {
    if (!FOptions.Contains(dgTitles)) return {};
    top = area.Top;
  } else {
    if (row < 0 || row >= GetVisibleRowCount()) return {};
    top = area.Top + TitleHeight() + row * (rh + RowLineWidth());
  }
  int left, right;
  if (column == -1) {
    if (!FOptions.Contains(dgIndicator)) return {};
    left = area.Left;
    right = left + kIndicatorWidth;
  } else {
    if (column < FLeftCol || column >= GetDisplayColumnCount()) return {};
    left = area.Left + IndicatorWidth();
    for (int c = FLeftCol; c < column; ++c) left += FCols[static_cast<std::size_t>(c)].Width + ColLineWidth();
    right = left + FCols[static_cast<std::size_t>(column)].Width;
  }
  TRect r{left, top, std::min(right, static_cast<int>(area.Right)), std::min(top + rh, static_cast<int>(area.Bottom))};
  if (r.IsEmpty()) return {};
  return r;
}

void TDBGrid::ScrollToSelected() {
  if (FCols.empty()) {
    FLeftCol = 0;
    return;
  }
  if (FSelected < FLeftCol) FLeftCol = FSelected;
  TRect area = CellArea();
  while (FLeftCol < FSelected) {
    int right = area.Left + IndicatorWidth();
    for (int c = FLeftCol; c <= FSelected; ++c) right += FCols[static_cast<std::size_t>(c)].Width + ColLineWidth();
    if (right - ColLineWidth() <= area.Right) break;
    ++FLeftCol;
  }
}

void TDBGrid::SetSelectedIndex(int index) {
  index = std::clamp(index, 0, std::max(0, GetDisplayColumnCount() - 1));
  if (index == FSelected) return;
  HideEditor(true);
  FSelected = index;
  ScrollToSelected();
  Invalidate();
}

void TDBGrid::Resize() {
  TCustomControl::Resize();
  UpdateRowCount();
  ScrollToSelected();
  Invalidate();
}

void TDBGrid::TitleFontChanged(TObject*) {
  if (!FCopyingTitleFont) FTitleFontSet = true;
  FRowHeight = -1;
  if (HasState(csDestroying)) return;
  BuildColumns();
  UpdateRowCount();
  Invalidate();
}

void TDBGrid::FontChanged() {
  FRowHeight = -1;
  if (!FTitleFontSet && FTitleFont) {
    TRestore<bool> copying(FCopyingTitleFont, true);
    FTitleFont->Assign(GetFont());
  }
  TCustomControl::FontChanged();
  BuildColumns();
  UpdateRowCount();
}

TRect TDBGrid::ScrollUpRect() const {
  TRect sb = ScrollBarRect();
  int h = std::min(kScrollBarWidth, sb.Height() / 2);
  return {sb.Left, sb.Top, sb.Right, sb.Top + h};
}

TRect TDBGrid::ScrollDownRect() const {
  TRect sb = ScrollBarRect();
  int h = std::min(kScrollBarWidth, sb.Height() / 2);
  return {sb.Left, sb.Bottom - h, sb.Right, sb.Bottom};
}

/*
** The thumb's length is the share of the records that the grid shows (at least 8 pixels)
** and its place the current record's position among all records, both from the dataset's
** RecNo and RecordCount. There is no thumb when every record is in sight.
*/
TRect TDBGrid::ScrollThumbRect() const {
  TDataSet* ds = ActiveDataSet();
  if (!ds) return {};
  int count = ds->GetRecordCount();
  int visible = GetVisibleRowCount();
  if (count <= visible) return {};
  int trackTop = ScrollUpRect().Bottom, trackBottom = ScrollDownRect().Top;
  int track = trackBottom - trackTop;
  if (track < 8) return {};
  int thumb = std::max(8, static_cast<int>(static_cast<long long>(track) * visible / count));
  // A new record has no position; the scroll bar stays where it was.
  int recNo = ds->GetRecNo() > 0 ? ds->GetRecNo() : FLastRecNo;
  FLastRecNo = recNo;
  double share = static_cast<double>(recNo - 1) / (count - 1);
  int top = trackTop + static_cast<int>(std::lround(share * (track - thumb)));
  TRect sb = ScrollBarRect();
  return {sb.Left, top, sb.Right, top + thumb};
}

// ---- editing ---------------------------------------------------------------------------------

bool TDBGrid::CanEditGrid() const {
  TDataSet* ds = ActiveDataSet();
  return ds && !FReadOnly && FOptions.Contains(dgEditing) && !FOptions.Contains(dgRowSelect) &&
         !FDataLink->GetReadOnly() && ds->CanModify();
}

bool TDBGrid::CanEditCell() const {
  if (!CanEditGrid() || FSelected >= GetDisplayColumnCount()) return false;
  const TGridColumn& c = FCols[static_cast<std::size_t>(FSelected)];
  return !c.ReadOnly && c.Field && c.Field->CanModify();
}

void TDBGrid::SetEditorMode(bool v) {
  if (v)
    ShowEditor();
  else
    HideEditor(true);
}

/*
** The editor opens only on a cell that may be edited, and only when the data link is
** editing afterwards: the dataset is put into edit state through the data source (its
** AutoEdit), an empty one into insert state. The editor starts with the field's edit text,
** all of it selected.
*/
bool TDBGrid::ShowEditor() {
  if (FEditorShown) return true;
  if (!CanEditCell()) return false;
  auto alive = AliveToken();
  if (!FDataLink->Edit() || alive.expired()) return false;
  TField* f = GetSelectedField();
  if (!f) return false;
  FEditText = f->GetText();
  FEditModified = false;
  FEditAnchor = 0;
  FEditCaret = static_cast<int>(Utf8Length(FEditText));
  FEditorShown = true;
  Invalidate();
  return true;
}

void TDBGrid::HideEditor(bool commit) {
  if (!FEditorShown) return;
  if (commit && FEditModified) {
    if (TField* f = GetSelectedField()) f->SetText(FEditText);
  }
  FEditorShown = false;
  FEditModified = false;
  Invalidate();
}

void TDBGrid::EditorInsert(const std::string& text) {
  int a = std::min(FEditCaret, FEditAnchor), b = std::max(FEditCaret, FEditAnchor);
  std::size_t from = ByteOf(FEditText, a), to = ByteOf(FEditText, b);
  std::string value = FEditText.substr(0, from) + text + FEditText.substr(to);
  TField* f = GetSelectedField();
  if (f && f->GetDataType() == ftString && f->GetSize() > 0 && value.size() > static_cast<std::size_t>(f->GetSize()) &&
      !text.empty())
    return;  // the field holds no more
  FEditText = value;
  FEditCaret = FEditAnchor = a + static_cast<int>(Utf8Length(text));
  FEditModified = true;
  Invalidate();
}

int TDBGrid::EditorCharAt(int x) const {
  TRect r = CellRect(FSelected, FDataLink->GetActiveRecord());
  int n = static_cast<int>(Utf8Length(FEditText));
  for (int i = 0; i < n; ++i) {
    int left = TextWidthOf(*GetFont(), Utf8Left(FEditText, static_cast<std::size_t>(i)));
    int right = TextWidthOf(*GetFont(), Utf8Left(FEditText, static_cast<std::size_t>(i + 1)));
    if (x - r.Left - kCellMargin < (left + right) / 2) return i;
  }
  return n;
}

void TDBGrid::EditorKey(std::uint16_t& key, TShiftState shift) {
  int n = static_cast<int>(Utf8Length(FEditText));
  bool ctrl = shift.Contains(ssCtrl), sh = shift.Contains(ssShift);
  auto moveTo = [&](int pos) {
    FEditCaret = std::clamp(pos, 0, n);
    if (!sh) FEditAnchor = FEditCaret;
    Invalidate();
  };
  switch (key) {
    case VK_LEFT:
      if (!sh && FEditCaret != FEditAnchor)
        moveTo(std::min(FEditCaret, FEditAnchor));
      else
        moveTo(FEditCaret - 1);
      break;
    case VK_RIGHT:
      if (!sh && FEditCaret != FEditAnchor)
        moveTo(std::max(FEditCaret, FEditAnchor));
      else
        moveTo(FEditCaret + 1);
      break;
    case VK_HOME:
      if (ctrl) return;
      moveTo(0);
      break;
    case VK_END:
      if (ctrl) return;
      moveTo(n);
      break;
    case VK_DELETE:
      if (ctrl) return;
      if (FEditCaret == FEditAnchor && FEditCaret < n) ++FEditCaret;
      EditorInsert("");
      break;
    case VK_RETURN:
    case VK_F2: HideEditor(true); break;
    case VK_ESCAPE: CancelEdits(); break;
    default: return;
  }
  key = 0;
}

void TDBGrid::CancelEdits() {
  TDataSet* ds = ActiveDataSet();
  if (FEditorShown) {
    HideEditor(false);
    // The editor's text was all that changed: the record's edit goes too.
    if (Editing(ds) && !ds->GetModified()) ds->Cancel();
    return;
  }
  if (Editing(ds)) ds->Cancel();
}

void TDBGrid::MoveBy(int distance) {
  if (TDataSet* ds = ActiveDataSet()) ds->MoveBy(distance);
}

void TDBGrid::DeleteRecord() {
  TDataSet* ds = ActiveDataSet();
  if (!ds || FReadOnly || FDataLink->GetReadOnly() || !ds->CanModify() || ds->IsEmpty()) return;
  if (FOptions.Contains(dgConfirmDelete) &&
      MessageDlg(SDeleteRecordQuestion, mtConfirmation, MsgDlgButton(mbOK) | MsgDlgButton(mbCancel)) == idCancel)
    return;
  HideEditor(false);
  ds->Delete();
}

// ---- keys and mouse -----------------------------------------------------------------------

unsigned TDBGrid::GetDlgCode() const {
  unsigned code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FOptions.Contains(dgTabs)) code |= DLGC_WANTTAB;
  if (FEditorShown || Editing(ActiveDataSet()) || CanEditCell()) code |= DLGC_WANTALLKEYS;
  return code;
}

/*
** Editor keys first (caret, Delete, Enter, F2, Esc); the others move between records and
** columns. Record moves go through the dataset, whose CheckBrowseMode writes the editor's
** text (the data link's UpdateData) and posts; a text the field refuses stops the move.
*/
void TDBGrid::KeyDown(std::uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  if (FEditorShown) {
    EditorKey(key, shift);
    if (key == 0) return;
  }
  TDataSet* ds = ActiveDataSet();
  if (!ds) return;
  bool ctrl = shift.Contains(ssCtrl);
  int last = std::max(0, GetDisplayColumnCount() - 1);
  auto untouchedInsert = [&] { return ds->GetState() == dsInsert && !ds->GetModified() && !FEditModified; };
  switch (key) {
    case VK_UP:
      if (untouchedInsert()) {
        HideEditor(false);
        ds->Cancel();
      } else {
        MoveBy(-1);
      }
      break;
    case VK_DOWN:
      if (untouchedInsert()) {
        HideEditor(false);
        ds->Cancel();
      } else if (ds->MoveBy(1) == 0 && ds->GetEOF() && CanEditGrid() && !ds->IsEmpty()) {
        ds->Append();
      }
      break;
    case VK_PRIOR: MoveBy(-GetVisibleRowCount()); break;
    case VK_NEXT: MoveBy(GetVisibleRowCount()); break;
    case VK_HOME:
      if (ctrl)
        ds->First();
      else
        SetSelectedIndex(0);
      break;
    case VK_END:
      if (ctrl)
        ds->Last();
      else
        SetSelectedIndex(last);
      break;
    case VK_LEFT: SetSelectedIndex(FSelected - 1); break;
    case VK_RIGHT: SetSelectedIndex(FSelected + 1); break;
    case VK_TAB:
      if (shift.Contains(ssShift)) {
        if (FSelected > 0) {
          SetSelectedIndex(FSelected - 1);
        } else {
          HideEditor(true);
          if (ds->MoveBy(-1) != 0) SetSelectedIndex(last);
        }
      } else if (FSelected < last) {
        SetSelectedIndex(FSelected + 1);
      } else {
        HideEditor(true);
        if (ds->MoveBy(1) != 0) SetSelectedIndex(0);
      }
      break;
    case VK_INSERT:
      if (CanEditGrid()) ds->Insert();
      break;
    case VK_DELETE: DeleteRecord(); break;
    case VK_F2:
    case VK_RETURN: ShowEditor(); break;
    case VK_ESCAPE: CancelEdits(); break;
    default: return;
  }
  key = 0;
}

void TDBGrid::DefaultChar(TKeyChar key) {
  if (key == 127 || (key < 32 && key != 8)) return;
  if (!FEditorShown) {
    if (key == 8 || !ShowEditor()) return;
  }
  if (key == 8) {
    if (FEditCaret == FEditAnchor && FEditCaret > 0) --FEditCaret;
    EditorInsert("");
    return;
  }
  std::string s;
  Utf8Append(s, key);
  EditorInsert(s);
}

/*
** A click on a record's row makes it the current record (moving the dataset's cursor; the
** move posts an edited record) and its column the current column; a click on the current
** cell of a focused grid opens the editor, inside an open editor it places the caret. A
** click on a title selects the column. The scroll bar moves a record (arrows), a page (the
** track) or follows the thumb while it is dragged.
*/
void TDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  auto alive = AliveToken();
  bool wasFocused = Focused();
  if (!wasFocused && CanFocus()) SetFocus();
  if (alive.expired()) return;
  TDataSet* ds = ActiveDataSet();
  TPoint p{x, y};
  if (PtInRect(ScrollBarRect(), p)) {
    if (ds) {
      TRect thumb = ScrollThumbRect();
      if (PtInRect(ScrollUpRect(), p))
        MoveBy(-1);
      else if (PtInRect(ScrollDownRect(), p))
        MoveBy(1);
      else if (!thumb.IsEmpty() && y < thumb.Top)
        MoveBy(-GetVisibleRowCount());
      else if (!thumb.IsEmpty() && y >= thumb.Bottom)
        MoveBy(GetVisibleRowCount());
      else if (!thumb.IsEmpty()) {
        FDrag = TDrag::Thumb;
        FThumbGrab = y - thumb.Top;
      }
    }
  } else if (PtInRect(CellArea(), p)) {
    TRect area = CellArea();
    int rowsTop = area.Top + TitleHeight();
    int row = y < rowsTop ? -1 : (y - rowsTop) / (GetRowHeight() + RowLineWidth());
    int column = -2;
    if (FOptions.Contains(dgIndicator) && x < area.Left + IndicatorWidth()) column = -1;
    for (int c = FLeftCol; c < GetDisplayColumnCount() && column == -2; ++c) {
      TRect r = CellRect(c, row < 0 ? -1 : 0);
      if (r.IsEmpty()) break;
      if (x >= r.Left && x < r.Right + ColLineWidth()) column = c;
    }
    if (row < 0) {
      if (column >= 0) SetSelectedIndex(column);
    } else if (ds && row < FDataLink->GetRecordCount()) {
      int active = FDataLink->GetActiveRecord();
      if (row != active) {
        MoveBy(row - active);
        if (alive.expired()) return;
        if (column >= 0) SetSelectedIndex(column);
      } else if (column >= 0 && column != FSelected) {
        SetSelectedIndex(column);
      } else if (column >= 0 && FEditorShown) {
        FEditCaret = FEditAnchor = EditorCharAt(x);
        Invalidate();
      } else if (column >= 0 && wasFocused) {
        ShowEditor();
      }
    }
  }
  if (alive.expired()) return;
  TCustomControl::MouseDown(button, shift, x, y);
}

void TDBGrid::MouseMove(TShiftState shift, int x, int y) {
  if (FDrag == TDrag::Thumb) {
    TDataSet* ds = ActiveDataSet();
    TRect thumb = ScrollThumbRect();
    if (ds && !thumb.IsEmpty()) {
      int trackTop = ScrollUpRect().Bottom, trackBottom = ScrollDownRect().Top;
      int room = trackBottom - trackTop - thumb.Height();
      int pos = std::clamp(y - FThumbGrab - trackTop, 0, std::max(0, room));
      int count = ds->GetRecordCount();
      int recNo = room > 0 ? 1 + static_cast<int>(std::lround(static_cast<double>(pos) / room * (count - 1))) : 1;
      if (recNo != ds->GetRecNo()) ds->SetRecNo(recNo);
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TDBGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FDrag = TDrag::None;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TDBGrid::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TDBGrid::WMKillFocus() {
  TCustomControl::WMKillFocus();
  FDrag = TDrag::None;
  Invalidate();
}

void TDBGrid::DoExit() {
  try {
    HideEditor(true);
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  if (FOptions.Contains(dgCancelOnExit)) {
    TDataSet* ds = ActiveDataSet();
    if (ds && ds->GetState() == dsInsert && !ds->GetModified()) ds->Cancel();
  }
  TCustomControl::DoExit();
}

// ---- painting --------------------------------------------------------------------------------

void TDBGrid::PaintCell(TCanvas* c, const TRect& r, const std::string& text, TAlignment alignment, bool selected) {
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(selected ? clHighlight : FColor);
  c->GetFont()->SetColor(selected ? clHighlightText : GetFont()->GetColor());
  int w = c->TextWidth(text);
  int x = alignment == taRightJustify ? r.Right - kCellMargin - w
          : alignment == taCenter     ? r.Left + (r.Width() - w) / 2
                                      : r.Left + kCellMargin;
  int y = r.Top + (r.Height() - c->TextHeight("Wg")) / 2;
  c->TextRect(r, x, y, text);
}

void TDBGrid::PaintEditor(TCanvas* c, const TRect& r) {
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(clWindow);
  c->GetFont()->SetColor(clWindowText);
  int th = c->TextHeight("Wg");
  int x0 = r.Left + kCellMargin, y = r.Top + (r.Height() - th) / 2;
  c->TextRect(r, x0, y, FEditText);
  int a = std::min(FEditCaret, FEditAnchor), b = std::max(FEditCaret, FEditAnchor);
  if (a != b) {
    int x1 = x0 + c->TextWidth(Utf8Left(FEditText, static_cast<std::size_t>(a)));
    int x2 = x0 + c->TextWidth(Utf8Left(FEditText, static_cast<std::size_t>(b)));
    std::string part = FEditText.substr(ByteOf(FEditText, a), ByteOf(FEditText, b) - ByteOf(FEditText, a));
    c->GetBrush()->SetColor(clHighlight);
    c->GetFont()->SetColor(clHighlightText);
    c->TextRect({x1, r.Top + 1, std::min(x2, static_cast<int>(r.Right)), r.Bottom - 1}, x1, y, part);
  }
  if (Focused()) {
    int cx = x0 + c->TextWidth(Utf8Left(FEditText, static_cast<std::size_t>(FEditCaret)));
    if (cx < r.Right) {
      c->GetBrush()->SetColor(clWindowText);
      c->FillRect({cx, y, cx + 1, y + th});
    }
  }
}

/// A fixed cell: the button face with a light upper-left edge and a dark lower-right one.
static void PaintFixedCell(TCanvas* c, const TRect& r) {
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(clBtnFace);
  c->FillRect(r);
  c->GetBrush()->SetColor(clBtnHighlight);
  c->FillRect({r.Left, r.Top, r.Right - 1, r.Top + 1});
  c->FillRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1});
  c->GetBrush()->SetColor(clBtnShadow);
  c->FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
  c->FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
}

/*
** The indicator of the current record: a triangle while browsing, an I-beam while editing,
** an asterisk for a new record.
*/
void TDBGrid::PaintIndicator(TCanvas* c, const TRect& r, bool current) {
  PaintFixedCell(c, r);
  if (!current) return;
  TDataSet* ds = ActiveDataSet();
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  c->GetBrush()->SetColor(clBtnText);
  c->GetPen()->SetColor(clBtnText);
  c->GetPen()->SetWidth(1);
  TDataSetState state = ds ? ds->GetState() : dsBrowse;
  if (state == dsEdit) {
    c->FillRect({cx, cy - 4, cx + 1, cy + 5});
    c->FillRect({cx - 2, cy - 4, cx + 3, cy - 3});
    c->FillRect({cx - 2, cy + 4, cx + 3, cy + 5});
  } else if (state == dsInsert) {
    c->FillRect({cx, cy - 3, cx + 1, cy + 4});
    for (int k = -2; k <= 2; ++k) {
      c->FillRect({cx + k, cy - 2 + (k + 2), cx + k + 1, cy - 1 + (k + 2)});
      c->FillRect({cx + k, cy + 2 - (k + 2), cx + k + 1, cy + 3 - (k + 2)});
    }
  } else {
    c->Polygon({{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}});
  }
}

void TDBGrid::PaintScrollBar(TCanvas* c) {
  TRect sb = ScrollBarRect();
  if (sb.IsEmpty()) return;
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(cl3DLight);
  c->FillRect(sb);
  TRect thumb = ScrollThumbRect();
  unsigned inactive = thumb.IsEmpty() ? DFCS_INACTIVE : 0u;
  DrawFrameControl(c, ScrollUpRect(), DFC_SCROLL, DFCS_SCROLLUP | inactive);
  DrawFrameControl(c, ScrollDownRect(), DFC_SCROLL, DFCS_SCROLLDOWN | inactive);
  if (!thumb.IsEmpty()) DrawFrameControl(c, thumb, DFC_BUTTON, DFCS_BUTTONPUSH);
}

/*
** Painting reads the records through the data link's window only: each row makes the
** link's ActiveRecord that row for as long as its cells are drawn, and the current record
** is put back at the end.
*/
void TDBGrid::Paint() {
  TCanvas* c = GetCanvas();
  TRect client = GetClientRect();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FColor);
  c->FillRect(InnerRect());
  Frame3D(c, client, true);
  c->SetFont(GetFont());
  TRect area = CellArea();
  int rh = GetRowHeight(), rl = RowLineWidth(), cl = ColLineWidth();
  bool active = FDataLink->GetActive();
  int rows = active ? std::min(FDataLink->GetRecordCount(), GetVisibleRowCount()) : 0;
  int current = active ? FDataLink->GetActiveRecord() : -1;
  bool showSelection = Focused() || FOptions.Contains(dgAlwaysShowSelection);

  // The right edge of the last column in sight, and the bottom of the last row.
  int lastRight = area.Left + IndicatorWidth() - cl;
  for (int col = FLeftCol; col < GetDisplayColumnCount(); ++col) {
    TRect r = CellRect(col, FOptions.Contains(dgTitles) ? -1 : 0);
    if (r.IsEmpty()) break;
    lastRight = r.Right;
  }
  int rowsTop = area.Top + TitleHeight();
  int rowsBottom = rowsTop + rows * (rh + rl) - rl;

  // Lines between the cells (under the cells; each cell covers its own rectangle).
  c->GetBrush()->SetColor(clSilver);
  if (cl && rows > 0)
    for (int col = FLeftCol; col < GetDisplayColumnCount(); ++col) {
      TRect r = CellRect(col, 0);
      if (r.IsEmpty()) break;
      c->FillRect({r.Right, rowsTop, std::min(r.Right + cl, static_cast<int>(area.Right)), std::min(rowsBottom, static_cast<int>(area.Bottom))});
    }
  if (rl)
    for (int row = 0; row < rows; ++row) {
      int y = rowsTop + row * (rh + rl) + rh;
      c->FillRect({area.Left + IndicatorWidth(), y, std::min(lastRight + cl, static_cast<int>(area.Right)), y + rl});
    }

  // Titles.
  if (FOptions.Contains(dgTitles)) {
    TRect ind = CellRect(-1, -1);
    if (!ind.IsEmpty()) PaintFixedCell(c, {ind.Left, ind.Top, ind.Right + cl, ind.Bottom + rl});
    for (int col = FLeftCol; col < GetDisplayColumnCount(); ++col) {
      TRect r = CellRect(col, -1);
      if (r.IsEmpty()) break;
      PaintFixedCell(c, {r.Left, r.Top, std::min(r.Right + cl, static_cast<int>(area.Right)), r.Bottom + rl});
      c->GetBrush()->SetStyle(bsClear);
      c->SetFont(FTitleFont.get());
      c->TextRect({r.Left, r.Top, r.Right - 1, r.Bottom}, r.Left + kCellMargin, r.Top + (rh - c->TextHeight("Wg")) / 2,
                  FCols[static_cast<std::size_t>(col)].Title);
      c->GetBrush()->SetStyle(bsSolid);
    }
  }

  // Rows, each read through the link's window.
  if (rows > 0) {
    TScopeExit restore([&] {
      if (FDataLink->GetActive() && current >= 0) FDataLink->SetActiveRecord(current);
    });
    for (int row = 0; row < rows; ++row) {
      FDataLink->SetActiveRecord(row);
      bool isCurrent = row == current;
      TRect ind = CellRect(-1, row);
      if (!ind.IsEmpty()) PaintIndicator(c, {ind.Left, ind.Top, ind.Right + cl, ind.Bottom + rl}, isCurrent);
      c->SetFont(GetFont());
      for (int col = FLeftCol; col < GetDisplayColumnCount(); ++col) {
        TRect r = CellRect(col, row);
        if (r.IsEmpty()) break;
        const TGridColumn& g = FCols[static_cast<std::size_t>(col)];
        if (isCurrent && col == FSelected && FEditorShown) {
          PaintEditor(c, r);
          continue;
        }
        bool selected = isCurrent && showSelection && (FOptions.Contains(dgRowSelect) || col == FSelected);
        PaintCell(c, r, g.Field ? g.Field->GetDisplayText() : std::string(), g.Alignment, selected);
      }
    }
  }
  if (Focused() && current >= 0 && current < rows && !FEditorShown && FSelected < GetDisplayColumnCount()) {
    TRect r = CellRect(FSelected, current);
    if (FOptions.Contains(dgRowSelect)) r = {area.Left + IndicatorWidth(), r.Top, lastRight, r.Bottom};
    if (!r.IsEmpty()) c->DrawFocusRect(r);
  }
  PaintScrollBar(c);
}

void RegisterDBGridClasses() {
  RegisterUiClasses();
  RegisterDataClasses();
  RegisterClasses({&TDBGrid::StaticClass()});
}

}  // namespace fw
