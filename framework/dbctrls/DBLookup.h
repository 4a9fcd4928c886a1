// The lookup control family. TDBLookupControl shows and chooses the key of a record of a
// list dataset: bound to a data field (DataSource, DataField) it writes the chosen key into
// that field, and when the field is a lookup field the list dataset, key field and list
// field come from the field's lookup definition (lookup mode). Its two links are
// TDataSourceLink (the record being edited) and TListSourceLink (the list). The list box
// TDBLookupListBox shows the list as rows of several columns over a record window of the
// list dataset as large as its visible rows; TPopupDataList is that list as the drop-down
// window of TDBLookupComboBox, a one-line control with a drop-down button.
//
// Descendants (the library's lookup combo) replace the links and the drop-down list by
// their own classes and read the protected state directly; the order of calls noted on the
// operations below is part of what they rely on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/core/Variant.h"
#include "framework/data/DataSource.h"
#include "framework/ui/Controls.h"

namespace fw {

class TDBLookupControl;
class TPopupDataList;

/// The link of a lookup control to the record it edits (its DataSource).
class TDataSourceLink : public TDataLink {
  FW_CLASS(TDataSourceLink)
 public:
  /// The lookup control the link belongs to, or null.
  TDBLookupControl* GetLookupControl() const { return FDBLookupControl; }
  /// Set by the control right after it creates the link, cleared before it frees it.
  void SetLookupControl(TDBLookupControl* control) { FDBLookupControl = control; }

 protected:
  /// The data source became active or inactive: the control resolves its data field and
  /// lookup mode anew (DataLinkActiveChanged).
  void ActiveChanged() override;
  /// Fields of the edited dataset added, removed or re-ordered: the control re-reads the
  /// field's value as for a change of the whole record.
  void LayoutChanged() override;
  /// The record or one field changed: the control re-reads its key (DataLinkRecordChanged).
  void RecordChanged(TField* field) override;
  /// Nothing: the control writes a choice into the field at once.
  void UpdateData() override {}
  /// The control takes the focus when its data field or key field is to be focused.
  void FocusControl(TField* field) override;

  TDBLookupControl* FDBLookupControl = nullptr;
};

/// The link of a lookup control to its list dataset (ListSource, or the lookup dataset of
/// a lookup field). Its BufferCount is the control's number of visible rows.
class TListSourceLink : public TDataLink {
  FW_CLASS(TListSourceLink)
 public:
  /// The lookup control the link belongs to, or null.
  TDBLookupControl* GetLookupControl() const { return FDBLookupControl; }
  void SetLookupControl(TDBLookupControl* control) { FDBLookupControl = control; }

 protected:
  /// The list dataset was opened, closed or exchanged: the control resolves its key field
  /// and list fields anew (UpdateListFields).
  void ActiveChanged() override;
  /// Fields of the list dataset changed: as ActiveChanged.
  void LayoutChanged() override;
  /// The list scrolled or was refreshed: ListLinkDataChanged.
  void DataSetChanged() override;
  /// A list record was edited: ListLinkDataChanged.
  void RecordChanged(TField* field) override;

  TDBLookupControl* FDBLookupControl = nullptr;
};

/// The base of the lookup controls: binding, lookup mode, the key value and the
/// incremental search. Errors of binding are database errors naming the control:
/// "%s: Field '%s' not found", "Circular datalinks are not allowed" (the edited dataset
/// is the list dataset or leads to it through its master sources) and "Property already
/// defined by lookup field" (KeyField or ListSource set in lookup mode).
class TDBLookupControl : public TCustomControl {
  FW_CLASS(TDBLookupControl)
 public:
  explicit TDBLookupControl(TComponent* owner);
  /// Detaches both links before anything of the control goes.
  ~TDBLookupControl() override;

  // ---- binding (published by the list box and the combo box)
  TDataSource* GetDataSource() const;
  /// Binds the data link; the control resolves its data field when the source is active.
  /// Setting none leaves lookup mode: no list source, key field name empty, no data and
  /// master field, KeyValue Null.
  void SetDataSource(TDataSource* source);
  const std::string& GetDataField() const { return FDataFieldName; }
  void SetDataField(const std::string& name);
  /// The list's data source; none in lookup mode.
  TDataSource* GetListSource() const;
  /// Binds the list link; raises "Property already defined by lookup field" in lookup mode.
  void SetListSource(TDataSource* source);
  /// The key field's name; empty in lookup mode, where the lookup field names it (its
  /// lookup key fields, kept in FKeyFieldName), so that form files do not hold it.
  std::string GetKeyField() const { return FLookupMode ? std::string() : FKeyFieldName; }
  /// Names the key field of the list dataset and resolves the list fields anew; raises
  /// "Property already defined by lookup field" in lookup mode.
  void SetKeyField(const std::string& name);
  const std::string& GetListField() const { return FListFieldName; }
  /// Names the columns (";"-separated) and resolves the list fields anew.
  void SetListField(const std::string& names);
  /// Index of the list field (the search column) among the list fields; out of range
  /// means the first.
  int GetListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(int index);
  /// Read-only flag of the data link.
  bool GetReadOnly() const;
  void SetReadOnly(bool value);

  /// The chosen key; Null when nothing is chosen.
  const Variant& GetKeyValue() const { return FKeyValue; }
  /// Does nothing for an equal value; otherwise stores it and refreshes the display
  /// (KeyValueChanged).
  void SetKeyValue(const Variant& value);

  // ---- state, read-only
  /// The data field (none when unbound or while the data source is inactive).
  TField* GetField() const { return FDataField; }
  /// The field that receives the chosen key: the data field, or the key field of a lookup
  /// data field; none when unbound.
  TField* GetMasterField() const { return FMasterField; }
  /// The key field of the list dataset.
  TField* GetListKeyField() const { return FKeyField; }
  /// The fields named by ListField (in lookup mode also the lookup result field), one
  /// column each.
  const std::vector<TField*>& GetListFields() const { return FListFields; }
  /// The list field at ListFieldIndex: the column the incremental search compares.
  TField* GetSearchField() const { return FListField; }
  TDataSourceLink* GetDataLink() const { return FDataLink.get(); }
  TListSourceLink* GetListLink() const { return FListLink.get(); }
  /// The data source of the list link in lookup mode (owned by the control).
  TDataSource* GetLookupSource() const { return FLookupSource.get(); }
  /// The list dataset is open and the key and list fields are resolved.
  bool GetListActive() const { return FListActive; }
  /// The data field is a lookup field.
  bool GetLookupMode() const { return FLookupMode; }
  bool GetHasFocus() const { return FHasFocus; }
  /// The text typed so far for the incremental search.
  const std::string& GetSearchText() const { return FSearchText; }
  void SetSearchText(const std::string& text) { FSearchText = text; }

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
  void Notification(TComponent* component, TOperation operation) override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  TRect GetClientRect() const override;
  TPoint GetClientOffset() const override { return {BorderWidth(), BorderWidth()}; }

 protected:
  friend class TDataSourceLink;
  friend class TListSourceLink;

  // ---- steps the links call
  /// The data link became active or inactive: resolves the data field, the master field
  /// and lookup mode (SetLookupMode), then DataLinkRecordChanged(null).
  virtual void DataLinkActiveChanged();
  /// Re-reads KeyValue from the master field (Null without one) when `field` is null or
  /// the master field.
  virtual void DataLinkRecordChanged(TField* field);
  /// Resolves the key field, the list fields and the list field from the list link's
  /// dataset (the list is inactive while the link is inactive or KeyField is empty), then
  /// KeyValueChanged. Called by the list link and by the KeyField and ListField setters.
  virtual void UpdateListFields();
  /// The list data scrolled, were refreshed or edited. Default: nothing.
  virtual void ListLinkDataChanged() {}
  /// KeyValue changed or the list was resolved: the display follows. Default: Invalidate.
  virtual void KeyValueChanged();

  /// Enters lookup mode (list link bound to the lookup source with the data field's lookup
  /// dataset, KeyField := its lookup key fields, master field := the field named by its
  /// key fields) or leaves it (list link without source, KeyField empty).
  void SetLookupMode(bool value);
  /// Raises "Circular datalinks are not allowed" when the edited dataset is the list
  /// dataset or leads to the list source through its master sources.
  void CheckNotCircular() const;
  /// Raises "Property already defined by lookup field" in lookup mode.
  void CheckNotLookup() const;
  /// The field of the dataset; raises "%s: Field '%s' not found" naming the control.
  TField* FieldOf(TDataSet* dataSet, const std::string& name) const;

  /// The list is active, the data link is not read-only, and either there is no data
  /// source or the master field exists and can be modified.
  virtual bool CanModify() const;
  /// Makes `value` the chosen key: with a master field, the data link's Edit and, when it
  /// reports edit state, the master field's value; without one, KeyValue. Then Repaint and
  /// Click.
  virtual void SelectKeyValue(const Variant& value);
  /// Moves the list dataset to the record of KeyValue; false (and nothing moved) when
  /// KeyValue is Null, the list is inactive or no record has that key.
  bool LocateKey();
  /// One typed character of the incremental search over a string list field: a printable
  /// character extends the search text (at most 32 characters) when a record whose list
  /// field starts with the longer text (ignoring case) exists, and chooses that record;
  /// Backspace takes the last character away and searches again; Esc empties the text.
  virtual void ProcessSearchKey(TKeyChar key);

  /// Width of the control's own border on each side (the client area lies inside).
  virtual int BorderWidth() const { return 0; }
  /// Draws the border in window coordinates. Default: a sunken 3-D frame.
  virtual void PaintBorder(TCanvas* canvas);
  /// The border, then the client area (background and Paint) in client coordinates.
  void PaintWindow(TCanvas* canvas) override;

  /// Replace the links by a descendant's own classes: the new link takes the old one's
  /// data source, buffer count and read-only flag and this control; the old link is
  /// detached from the control first and then freed.
  void SetDataLink(std::unique_ptr<TDataSourceLink> link);
  void SetListLink(std::unique_ptr<TListSourceLink> link);

  std::unique_ptr<TDataSourceLink> FDataLink;
  std::unique_ptr<TListSourceLink> FListLink;
  /// The list link's source in lookup mode; its dataset is the lookup field's.
  std::unique_ptr<TDataSource> FLookupSource;
  std::string FDataFieldName;
  std::string FKeyFieldName;
  std::string FListFieldName;
  int FListFieldIndex = 0;
  TField* FDataField = nullptr;
  TField* FMasterField = nullptr;
  TField* FKeyField = nullptr;
  TField* FListField = nullptr;
  std::vector<TField*> FListFields;
  Variant FKeyValue;
  std::string FSearchText;
  bool FLookupMode = false;
  bool FListActive = false;
  bool FHasFocus = false;
  /// The control is a drop-down list.
  bool FPopup = false;
  /// While set, KeyValueChanged leaves the list dataset where it is (the chosen record
  /// is the current one already).
  bool FLockPosition = false;

 private:
  void UpdateDataFields();
  void WatchSource(TDataSource* oldSource, TDataSource* newSource);
};

/// A list of the records of the list dataset, in rows of several columns (one per list
/// field), with the record of KeyValue highlighted. Its list link holds as many records
/// as rows are visible; arrows, Page Up/Down, Home and End move the choice, typed
/// characters search the list field, a click chooses a row; a scroll bar appears when the
/// list dataset has more records than rows.
class TDBLookupListBox : public TDBLookupControl {
  FW_CLASS(TDBLookupListBox)
 public:
  explicit TDBLookupListBox(TComponent* owner);

  int GetRowCount() const { return FRowCount; }
  /// Sizes the control to show that many rows (1 to 100).
  void SetRowCount(int rows);

  /// The row count follows the height: max(1, (height - border) div row height) rows,
  /// at most 100; the list link's buffer is resized; the window gets the height of
  /// those rows plus the border.
  void SetBounds(int left, int top, int width, int height) override;
  TRect GetClientRect() const override;
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void KeyPress(TKeyChar& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Loaded() override;

  /// Height of a row: the text height of "0" in the control's font.
  int GetTextHeight() const;
  /// Whether the scroll bar is shown (more records than rows).
  bool ScrollBarVisible() const;
  /// Width of the scroll bar.
  static constexpr int ScrollBarWidth = 16;

 protected:
  void Paint() override;
  void PaintWindow(TCanvas* canvas) override;
  int BorderWidth() const override { return 2; }
  void KeyValueChanged() override;
  void ListLinkDataChanged() override;
  /// The base's resolution, then the rows follow (also when it raises).
  void UpdateListFields() override;
  void FontChanged() override;
  /// Moves the list dataset by `delta` records from the highlighted record (from the
  /// first record when KeyValue is not in the list) and chooses the record it reaches;
  /// the largest deltas mean first and last.
  void MoveSelection(int delta);
  /// Chooses the row under a client position (clamped to the rows).
  void SelectItemAt(int x, int y);
  /// Chooses the list dataset's current record.
  void SelectCurrent();
  /// Moves the window of visible records by `rows` without changing the choice.
  void ScrollRows(int rows);
  void StopTracking();

  int FRowCount = 0;
  /// The buffer row of the list dataset's current record.
  int FRecordIndex = 0;
  /// Records in the list link's buffer.
  int FRecordCount = 0;
  /// KeyValue is not Null or the list dataset is not at its beginning; when false, row 0
  /// gets the focus rectangle.
  bool FKeySelected = false;
  bool FTracking = false;

 private:
  enum class TScrollPart { None, LineUp, LineDown, PageUp, PageDown, Thumb };
  TScrollPart ScrollPartAt(int y) const;
  void ThumbTo(int y);
  /// First visible record (0-based position in the list dataset) and the record count.
  int FirstVisible() const;
  TRect ThumbRect() const;
  TScrollPart FScrolling = TScrollPart::None;
  int FThumbGrip = 0;
};

/// The drop-down list of a lookup combo box: a list box in a pop-up window with a thin
/// border that never takes the focus or the activation; the combo keeps the focus and
/// passes keys on to it.
class TPopupDataList : public TDBLookupListBox {
  FW_CLASS(TPopupDataList)
 public:
  explicit TPopupDataList(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
  int BorderWidth() const override { return 1; }
  void PaintBorder(TCanvas* canvas) override;
};

/// A lookup combo box: the text of the chosen record's list field (in lookup mode the data
/// field's display text) in a one-line face with a drop-down button; the list drops down
/// below the control (above it when the screen has no room below) by the button, Alt+Down
/// or F4. While it is open Up, Down, Page Up, Page Down, Home and End move its choice,
/// typed characters search it, Enter (or Alt+Up, F4) chooses and Esc cancels; while it is
/// closed Up and Down choose the previous and next record and typed characters search.
class TDBLookupComboBox : public TDBLookupControl {
  FW_CLASS(TDBLookupComboBox)
 public:
  explicit TDBLookupComboBox(TComponent* owner);
  /// Frees the drop-down list first.
  ~TDBLookupComboBox() override;

  /// Does nothing unless the list is closed and active. Calls the base drop-down event
  /// (OnDropDown) first; only then copies colour, font, width (DropDownWidth, or the
  /// control's width when 0), read-only flag, row count (DropDownRows, fewer when the list
  /// dataset has fewer records), key field, list fields, list field index, KeyValue and the
  /// list source into the drop-down list, places it and shows it.
  virtual void DropDown();
  /// Does nothing unless the list is visible. Releases the mouse capture, hides the list,
  /// detaches it from the list source, clears the search texts, chooses the list's KeyValue
  /// (SelectKeyValue) when `accept` and the control can be modified, then fires OnCloseUp.
  virtual void CloseUp(bool accept);
  bool GetListVisible() const { return FListVisible; }

  int GetDropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int rows) { FDropDownRows = rows; }
  /// Width of the list in pixels; 0: the control's width.
  int GetDropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(int width) { FDropDownWidth = width; }
  /// The base drop-down event: called by DropDown before the list is filled and shown.
  TNotifyEvent GetOnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(TNotifyEvent e) { FOnDropDown = e; }
  TNotifyEvent GetOnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(TNotifyEvent e) { FOnCloseUp = e; }
  /// The drop-down list (owned; its parent is the combo).
  TPopupDataList* GetDataList() const { return FDataList; }
  /// Width of the drop-down button.
  int GetButtonWidth() const { return FButtonWidth; }

  unsigned GetDlgCode() const override;
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void KeyPress(TKeyChar& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  /// A modal action or a click anywhere but on the combo or its list closes the list.
  void CMCancelMode(TControl* sender) override;
  /// Losing the focus closes the list without choosing.
  void WMKillFocus() override;

 protected:
  void Paint() override;
  int BorderWidth() const override { return 2; }
  void KeyValueChanged() override;
  /// The face text: in lookup mode the data field's display text, else the list field's
  /// text of the record of KeyValue (the list dataset moves to it), else empty.
  void UpdateDisplayText();
  /// The drop-down list's OnMouseUp: a left button released inside the list's client area
  /// chooses, outside it cancels.
  void ListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  /// Puts another drop-down list in place of the current one (freed): hidden, with the
  /// combo as parent and ListMouseUp as its OnMouseUp.
  void SetDataList(TPopupDataList* list);
  void TrackButton(int x, int y);
  void StopTracking();

  TPopupDataList* FDataList = nullptr;
  int FButtonWidth = 17;
  int FDropDownRows = 7;
  int FDropDownWidth = 0;
  bool FListVisible = false;
  /// The drop-down button is held down.
  bool FPressed = false;
  /// The mouse went down on the combo and is still held.
  bool FTracking = false;
  /// Alignment of the face text: the list field's.
  TAlignment FAlignment = taLeftJustify;
  TNotifyEvent FOnDropDown, FOnCloseUp;
};

/// Registers the lookup list box and combo box for form files.
void RegisterDBLookupClasses();

}  // namespace fw
