// Unit QorDB of the library: the edit-data call protocol's shared types and flag
// (TOnEditDataEvent, TTypeShow, TFieldReturn, ValueReturned, TItemDataSet), the hook that
// the library's datasets call right after their cursor opens (DataSetOpenedHook), the
// record cloner (CloneRecord), the data module description (TQorDMInfo) and the
// application service's parts that need no windows (TQorApp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/TypInfo.h"
#include "framework/core/Variant.h"

namespace fw {
class TDataSet;
}

namespace qor {

void EnsureUnitsStarted();  // the units' start, described with InitializeUnits below

/// What an edit-data handler is asked to do; tsEditLookup (ordinal 2) is the only one passed.
enum TTypeShow : std::uint8_t { tsView, tsEdit, tsEditLookup };
FW_ENUM_INFO(TTypeShow, "tsView", "tsEdit", "tsEditLookup")

/// The key field name(s) and key value handed to an edit-data handler, in and out.
/// Created by the caller without an owner and freed by it after the call.
class TFieldReturn : public fw::TComponent {
  FW_CLASS(TFieldReturn)
 public:
  explicit TFieldReturn(fw::TComponent* owner) : fw::TComponent(owner) { EnsureUnitsStarted(); }
  std::string FieldName;
  fw::Variant Value;
};

/// Handler that shows a lookup dataset for editing and may return a key value.
using TOnEditDataEvent = fw::TEvent<void(fw::TObject* sender, TTypeShow typeShow, TFieldReturn* fieldReturn)>;

/// Set by an edit-data handler when TFieldReturn::Value holds a key to take; cleared when
/// the unit starts and by the caller right before each call.
extern bool ValueReturned;

/// A dataset (not owned) and the Tag it had, kept while a dataset is shielded.
struct TItemDataSet {
  fw::TDataSet* DataSet = nullptr;
  std::int32_t Tag = 0;
};

/// Called by the library's tables and queries right after their cursor opens, while their
/// state is still inactive. The lookup unit installs PrepareLookupFields here.
using TDataSetOpenedHook = void (*)(fw::TDataSet* dataSet);
extern TDataSetOpenedHook DataSetOpenedHook;

/// A component that a data module carries to describe itself.
class TQorDMInfo : public fw::TComponent {
  FW_CLASS(TQorDMInfo)
 public:
  explicit TQorDMInfo(fw::TComponent* owner) : fw::TComponent(owner) { EnsureUnitsStarted(); }
  const std::string& GetCaption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }

 private:
  std::string FCaption;
};

/// The value of a published property by name: an ordinal (integer, enumeration or set) as
/// an int64 variant, or an object reference as its address in an int64 variant; none (an
/// unassigned variant, IsEmpty) when the component is null or has no ordinal or object
/// property of that name. Never raises.
fw::Variant GetOrdPropByName(const fw::TObject* component, const std::string& propName);

/// Copies the current record of a dataset into a new record inserted into it, left in
/// insert state; the copy is written from the dataset's OnNewRecord, then the dataset's
/// own OnNewRecord handler runs.
void CloneRecord(fw::TDataSet* dataSet);

/// The record cloner behind CloneRecord: saves the copied fields of the current record,
/// borrows the dataset's OnNewRecord for one insertion and writes them into the new record.
class TRecordCloner : public fw::TObject {
 public:
  std::vector<std::string>* Values = nullptr;
  fw::TEvent<void(fw::TDataSet*)> OldOnNewRecord;
  void Clone(fw::TDataSet* dataSet);
  void ReadValues(fw::TDataSet* dataSet, std::vector<std::string>& values);
  void InsertClone(fw::TDataSet* dataSet, std::vector<std::string>& values);
  void CloneNewRecord(fw::TDataSet* dataSet);
};

/// The application service (its parts without windows).
class TQorApp : public fw::TComponent {
  FW_CLASS(TQorApp)
 public:
  explicit TQorApp(fw::TComponent* owner) : fw::TComponent(owner) { EnsureUnitsStarted(); }
  int GetRefreshLock() const { return FRefreshLock; }
  void DisableRefresh() { ++FRefreshLock; }
  void EnableRefresh() {
    if (FRefreshLock > 0) --FRefreshLock;
  }
  /// Shows a message through the message service while the refresh is held.
  void ShowMessageNoRefresh(const std::string& message);
  /// The browse-mode check of every open dataset of every database of the default
  /// session; errors are swallowed dataset by dataset.
  void CheckBrowseModeAll();
  /// Handler for a data module's OnDestroy: CheckBrowseModeAll, then the old handler.
  void DataModuleDestroy(fw::TObject* sender);
  fw::TNotifyEvent OldDataModuleDestroy;

 private:
  int FRefreshLock = 0;
};

/// The one application service object, created on first use, freed when the units end.
TQorApp* QorApp();

/// Frees the application service object when it exists; the next QorApp() makes a new one.
void FreeQorApp();

/// Starts and ends the library's units in link order: QorDB (clears ValueReturned),
/// QorLook (installs its hooks), QorTable (creates AutoIncQuery); the end releases them
/// in reverse. Starting twice does nothing more, and so does ending twice. A program
/// need not call either: the units start on first use of any library class (through
/// EnsureUnitsStarted) and end when the program exits.
void InitializeUnits();
void FinalizeUnits();

/// Starts the units unless they are running. Called by the constructors of the
/// library's classes and by its entry points that need the units (AssignAutoIncValues,
/// the opening of its datasets), so that using the library without InitializeUnits
/// behaves as with it; after FinalizeUnits the next use starts them again.
void EnsureUnitsStarted();

}  // namespace qor
