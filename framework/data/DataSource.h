// TDataSource, which connects a dataset to data-aware controls, and the data links through
// which controls hear of the dataset's changes: TDataLink and TFieldDataLink.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/data/DataSet.h"

namespace fw {

class TDataLink;

using TDataChangeEvent = TEvent<void(TObject* sender, TField* field)>;

class TDataSource : public TComponent {
  FW_CLASS(TDataSource)
 public:
  explicit TDataSource(TComponent* owner);
  /// Detaches every data link, last first, then leaves the dataset.
  ~TDataSource() override;

  TDataSet* GetDataSet() const { return FDataSet; }
  /// Connects another dataset (raises "Circular datalinks are not allowed" when it leads
  /// back to this source). Active links pass through the inactive state: they hear
  /// ActiveChanged when the old dataset goes and again when the new one comes.
  void SetDataSet(TDataSet* dataSet);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v);
  bool GetAutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool v) { FAutoEdit = v; }
  /// The dataset's state (inactive without an enabled dataset).
  TDataSetState GetState() const { return FState; }
  /// Puts the dataset into edit state when AutoEdit allows it.
  void Edit();
  bool IsLinkedTo(TDataSet* dataSet) const;

  TDataChangeEvent GetOnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(TDataChangeEvent e) { FOnDataChange = e; }
  TNotifyEvent GetOnStateChange() const { return FOnStateChange; }
  void SetOnStateChange(TNotifyEvent e) { FOnStateChange = e; }
  TNotifyEvent GetOnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(TNotifyEvent e) { FOnUpdateData = e; }

  const std::vector<TDataLink*>& GetDataLinks() const { return FDataLinks; }
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);
  /// Passes a dataset event to the links and fires the source's own events.
  void DataEvent(TDataEvent event, std::intptr_t info);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void UpdateState();

  TDataSet* FDataSet = nullptr;
  bool FEnabled = true;
  bool FAutoEdit = true;
  TDataSetState FState = dsInactive;
  std::vector<TDataLink*> FDataLinks;
  TDataChangeEvent FOnDataChange;
  TNotifyEvent FOnStateChange, FOnUpdateData;
};

/// A control's connection to a data source: sees a window of BufferCount records around
/// the dataset's current record and is told of every change through its virtual steps.
class TDataLink : public TPersistent {
  FW_CLASS(TDataLink)
 public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* GetDataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* source);
  TDataSet* GetDataSet() const;
  bool GetActive() const { return FActive; }
  /// Index of the dataset's current record within this link's window.
  int GetActiveRecord() const;
  /// Makes the dataset read another record of this link's window (the caller puts it back).
  void SetActiveRecord(int index);
  int GetBufferCount() const { return FBufferCount; }
  void SetBufferCount(int count);
  /// Records in this link's window.
  int GetRecordCount() const;
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  bool GetEditing() const { return FEditing; }
  /// Puts the dataset into edit state (through the source's AutoEdit); whether editing.
  bool Edit();
  /// Writes this link's pending edit into the record (UpdateData).
  void UpdateRecord();
  /// The first buffered record of the dataset that this link shows.
  int GetFirstRecord() const { return FFirstRecord; }

  void DataEvent(TDataEvent event, std::intptr_t info);

 protected:
  virtual void ActiveChanged() {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int distance) { DataSetChanged(); }
  virtual void RecordChanged(TField* field) {}
  virtual void EditingChanged() {}
  virtual void UpdateData() {}
  virtual void FocusControl(TField* field) {}
  virtual void CheckBrowseMode() {}

 private:
  void SetActive(bool value);
  void UpdateState();
  int AdjustRange(int shift);

  TDataSource* FDataSource = nullptr;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  int FBufferCount = 1;
  int FFirstRecord = 0;
  friend class TDataSource;
};

/// The link of a control that shows and edits one field.
class TFieldDataLink : public TDataLink {
  FW_CLASS(TFieldDataLink)
 public:
  const std::string& GetFieldName() const { return FFieldName; }
  void SetFieldName(const std::string& name);
  TField* GetField() const { return FField; }
  bool GetCanModify() const;
  /// Marks the control's text as changed (the record is written at UpdateRecord).
  void Modified() { FModified = true; }
  void Reset();
  TComponent* GetControl() const { return FControl; }
  void SetControl(TComponent* c) { FControl = c; }

  TNotifyEvent GetOnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(TNotifyEvent e) { FOnDataChange = e; }
  TNotifyEvent GetOnEditingChange() const { return FOnEditingChange; }
  void SetOnEditingChange(TNotifyEvent e) { FOnEditingChange = e; }
  TNotifyEvent GetOnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(TNotifyEvent e) { FOnUpdateData = e; }
  TNotifyEvent GetOnActiveChange() const { return FOnActiveChange; }
  void SetOnActiveChange(TNotifyEvent e) { FOnActiveChange = e; }

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void EditingChanged() override;
  void UpdateData() override;
  void FocusControl(TField* field) override;

 private:
  void UpdateField();

  std::string FFieldName;
  TField* FField = nullptr;
  TComponent* FControl = nullptr;
  bool FModified = false;
  TNotifyEvent FOnDataChange, FOnEditingChange, FOnUpdateData, FOnActiveChange;
};

}  // namespace fw
