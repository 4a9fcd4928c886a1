// TDBGrid: a grid of the records of a data source, one row per record and one column per
// field (the dataset's visible fields, or the Columns collection of the grid), with titles,
// an indicator column, a vertical scroll bar, the keyboard and mouse of a data grid and
// in-place editing drawn inside the current cell.
//
// The grid reads records only through its data link's record window: the link asks for as
// many buffers as the grid shows rows (BufferCount), and painting walks that window with
// the link's ActiveRecord. Scrolling moves the dataset's cursor (MoveBy, First, Last,
// RecNo), so the dataset fetches only the records that come into view.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/data/DataSource.h"
#include "framework/ui/Controls.h"

namespace fw {

class TDBGrid;
class TColumn;

enum TDBGridOption { dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                     dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit,
                     dgMultiSelect };
FW_ENUM_INFO(TDBGridOption, "dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize",
             "dgColLines", "dgRowLines", "dgTabs", "dgRowSelect", "dgAlwaysShowSelection", "dgConfirmDelete",
             "dgCancelOnExit", "dgMultiSelect")
/// The grid's options. dgAlwaysShowEditor, dgColumnResize and dgMultiSelect are accepted
/// (form files carry them) and change nothing.
using TDBGridOptions = TSet<TDBGridOption>;
inline constexpr TDBGridOptions kDefaultGridOptions{dgEditing, dgTitles,  dgIndicator,     dgColumnResize, dgColLines,
                                                    dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};

/// The title of a column: its caption, by default the field's DisplayLabel.
class TColumnTitle : public TPersistent {
  FW_CLASS(TColumnTitle)
 public:
  explicit TColumnTitle(TColumn* column) : FColumn(column) {}
  std::string GetCaption() const;
  void SetCaption(const std::string& v);
  bool IsCaptionStored() const { return FCaptionSet; }
  void RestoreDefaults();
  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override;

 private:
  TColumn* FColumn;
  std::string FCaption;
  bool FCaptionSet = false;
};

/// A column of the grid's Columns collection: the field it shows (by name), its title, its
/// width in pixels (by default from the field's DisplayWidth and the grid's font), whether
/// it is shown and whether it may be edited.
class TColumn : public TCollectionItem {
  FW_CLASS(TColumn)
 public:
  explicit TColumn(TCollection* collection);
  ~TColumn() override;

  const std::string& GetFieldName() const { return FFieldName; }
  void SetFieldName(const std::string& v);
  /// The field of the grid's dataset of that name while the dataset is open, else null.
  TField* GetField() const;
  TColumnTitle* GetTitle() const { return FTitle.get(); }
  void SetTitle(TColumnTitle* v) { FTitle->Assign(v); }
  int GetWidth() const;
  void SetWidth(int v);
  bool IsWidthStored() const { return FWidthSet; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment v);
  bool IsAlignmentStored() const { return FAlignmentSet; }
  TDBGrid* GetGrid() const;
  std::string GetDisplayName() const override;
  void Assign(const TPersistent* source) override;

 private:
  friend class TColumnTitle;
  void TitleChanged() { Changed(false); }

  std::string FFieldName;
  std::unique_ptr<TColumnTitle> FTitle;
  int FWidth = 64;
  bool FWidthSet = false;
  bool FVisible = true;
  bool FReadOnly = false;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentSet = false;
};

/// The grid's columns. While it is empty the grid shows the dataset's visible fields.
class TDBGridColumns : public TOwnedCollection {
  FW_CLASS(TDBGridColumns)
 public:
  explicit TDBGridColumns(TDBGrid* grid);
  TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
  TColumn* GetItem(int index) const { return static_cast<TColumn*>(TCollection::GetItem(index)); }
  TDBGrid* GetGrid() const { return FGrid; }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TDBGrid* FGrid;
};

/// The data grid. Keys: Up/Down move a record (Down past the last one appends when the grid
/// may edit; Up or Down leave an untouched new record), PgUp/PgDn a page, Ctrl+Home and
/// Ctrl+End to the first and last record, Home/End/Left/Right/Tab/Shift+Tab between
/// columns (Tab wraps to the next record), Insert inserts, Delete (and Ctrl+Delete) deletes
/// after "Delete record?" through the message service (dgConfirmDelete), F2 and Enter open
/// the in-place editor, a typed character opens it with that character, Esc drops the
/// editor's text and then cancels the record's edit. The editor puts the dataset into edit
/// state when it opens; its text goes into the field on Enter, on a move to another column
/// and when the record is posted (any move to another record posts it). A text that the
/// field refuses raises the field's error and the editor stays open with the text.
class TDBGrid : public TCustomControl {
  FW_CLASS(TDBGrid)
 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* source);
  TDBGridColumns* GetColumns() const { return FColumns.get(); }
  void SetColumns(TDBGridColumns* columns) { FColumns->Assign(columns); }
  bool IsColumnsStored() const { return FColumns->GetCount() > 0; }
  TDBGridOptions GetOptions() const { return FOptions; }
  void SetOptions(TDBGridOptions v);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  /// The font of the titles: the grid's font until it is set on its own.
  TFont* GetTitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(const TFont* font) { FTitleFont->Assign(font); }
  bool IsTitleFontStored() const { return FTitleFontSet; }
  TDataLink* GetDataLink() const;

  /// The columns on show: one per visible column of Columns, or per visible field.
  int GetDisplayColumnCount() const { return static_cast<int>(FCols.size()); }
  TField* GetDisplayField(int column) const;
  std::string GetDisplayTitle(int column) const;
  int GetDisplayWidth(int column) const;
  /// The current column (among the columns on show) and its field.
  int GetSelectedIndex() const { return FSelected; }
  void SetSelectedIndex(int index);
  TField* GetSelectedField() const { return GetDisplayField(FSelected); }
  /// The text a cell of a record shows (read through the data link's window), or empty.
  std::string CellText(int column, int row) const;
  /// The first column on show at the left edge.
  int GetLeftCol() const { return FLeftCol; }

  /// Rows of records that fit the grid (the data link's BufferCount).
  int GetVisibleRowCount() const;
  int GetRowHeight() const;
  /// The place of a cell: `column` among the columns on show (-1: the indicator), `row`
  /// among the rows of records (-1: the titles). Empty when the cell is out of sight.
  TRect CellRect(int column, int row) const;
  /// The scroll bar's parts: the arrows and the thumb.
  TRect ScrollUpRect() const;
  TRect ScrollDownRect() const;
  TRect ScrollThumbRect() const;
  /// The default width of a field's column: DisplayWidth characters of the font's average
  /// width plus a margin, at least the title's width.
  int DefaultColumnWidth(const TField* field, const std::string& title) const;

  /// Whether the in-place editor is open, and its text.
  bool GetEditorMode() const { return FEditorShown; }
  /// Opens (when the current cell may be edited) or closes the editor (writing its text).
  void SetEditorMode(bool v);
  const std::string& GetEditText() const { return FEditText; }

  unsigned GetDlgCode() const override;
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void DefaultChar(TKeyChar key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  /// Writes the editor's text into the field; a refused text puts the focus back on the
  /// grid and raises. With dgCancelOnExit an untouched new record is dropped.
  void DoExit() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 protected:
  void Paint() override;
  void Resize() override;
  void FontChanged() override;

 private:
  class TGridDataLink;
  friend class TGridDataLink;
  friend class TDBGridColumns;
  friend class TColumn;
  /// A column on show.
  struct TGridColumn {
    TField* Field = nullptr;
    std::string Title;
    int Width = 64;
    TAlignment Alignment = taLeftJustify;
    bool ReadOnly = false;
  };

  // Data link notifications.
  void LinkActive();
  void LayoutChanged();
  void DataChanged();
  void Scrolled(int distance);
  void RecordChanged(TField* field);
  void EditingChanged();
  void UpdateData();
  void ColumnsChanged() { LayoutChanged(); }
  void TitleFontChanged(TObject* sender);

  /// Rebuilds the columns on show and the row count.
  void BuildColumns();
  /// Sets the link's BufferCount to the rows that fit.
  void UpdateRowCount();
  int TitleHeight() const;
  int IndicatorWidth() const;
  int ColLineWidth() const { return FOptions.Contains(dgColLines) ? 1 : 0; }
  int RowLineWidth() const { return FOptions.Contains(dgRowLines) ? 1 : 0; }
  /// The client area inside the frame, and the part of it that holds cells.
  TRect InnerRect() const;
  TRect CellArea() const;
  TRect ScrollBarRect() const;
  /// Keeps the current column in sight.
  void ScrollToSelected();

  TDataSet* ActiveDataSet() const;
  bool CanEditGrid() const;
  bool CanEditCell() const;
  /// Opens the editor on the current cell; false when it may not be edited.
  bool ShowEditor();
  /// Closes the editor; with `commit` its changed text goes into the field first (a refused
  /// text raises and leaves the editor open).
  void HideEditor(bool commit);
  void EditorKey(std::uint16_t& key, TShiftState shift);
  void EditorInsert(const std::string& text);
  int EditorCharAt(int x) const;
  /// Moves the cursor by `distance` records, writing the editor's text first.
  void MoveBy(int distance);
  void DeleteRecord();
  void CancelEdits();

  void PaintCell(TCanvas* canvas, const TRect& r, const std::string& text, TAlignment alignment, bool selected);
  void PaintEditor(TCanvas* canvas, const TRect& r);
  void PaintIndicator(TCanvas* canvas, const TRect& r, bool current);
  void PaintScrollBar(TCanvas* canvas);

  std::unique_ptr<TGridDataLink> FDataLink;
  std::unique_ptr<TDBGridColumns> FColumns;
  std::vector<TGridColumn> FCols;
  TDBGridOptions FOptions = kDefaultGridOptions;
  bool FReadOnly = false;
  int FSelected = 0;
  int FLeftCol = 0;
  mutable int FRowHeight = -1;  // measured from the fonts when first asked for
  mutable int FLastRecNo = 1;   // the position shown by the scroll bar while inserting
  std::unique_ptr<TFont> FTitleFont;
  bool FTitleFontSet = false;
  bool FCopyingTitleFont = false;

  bool FEditorShown = false;
  bool FEditModified = false;
  std::string FEditText;
  int FEditCaret = 0, FEditAnchor = 0;  // in characters

  enum class TDrag { None, Thumb };
  TDrag FDrag = TDrag::None;
  int FThumbGrab = 0;  // pixels from the thumb's top where it was taken
};

/// Registers TDBGrid for form files.
void RegisterDBGridClasses();

}  // namespace fw
